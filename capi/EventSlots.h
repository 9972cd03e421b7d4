// The C callbacks of each installer. CInstaller's callbacks are plain
// functions that learn nothing but the payload, so each installer gets a slot
// of a fixed table whose own set of functions it registers: the function that
// fires knows its slot, and the slot holds the host's callback and context.
#pragma once

#include <quen/Installer.h>

#include <cstddef>

namespace quen::capi {

inline constexpr std::size_t kEventSlots = 64;

enum class Event { Progress, Status, SetupFailed, DiscRequest, Finished, DetailProgress, ModuleOutcome, Count };

// A free slot, taken; throws Refused when all are in use.
std::size_t TakeSlot();
// Forgets the slot's callbacks and frees it.
void FreeSlot(std::size_t slot);
// Registers the slot's functions for all seven events with `installer`.
void RegisterSlot(std::size_t slot, CInstaller& installer);
// Sets (or, with a null callback, removes) the host's callback for `event`.
void SetCallback(std::size_t slot, Event event, void (*callback)(), void* context);

}  // namespace quen::capi
