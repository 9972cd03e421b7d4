// How far this thread's long copies and unpacks are, in bytes, for whoever
// watches them.
//
// A ByteProgressScope installs a sink on its thread for its lifetime; without
// one nothing is reported and the calls below cost a thread-local look-up.
// The work is reported in steps (a folder's files, one file, one package):
// Begin names the step and its size, and the code doing the work reports its
// bytes as they go. The sink may run through C code that calls back (a copy
// routine, an image library), so it never throws through it: an exception
// from the sink is kept, the work is told to stop, and the caller that sees
// the work fail rethrows it with RethrowPending.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

namespace quen::platform {

class ByteProgressScope {
public:
    using Sink = std::function<void(const std::wstring& item, uint64_t done, uint64_t total)>;

    explicit ByteProgressScope(Sink sink);
    ~ByteProgressScope();
    ByteProgressScope(const ByteProgressScope&) = delete;
    ByteProgressScope& operator=(const ByteProgressScope&) = delete;

    static bool Active();
    // A step of `total` bytes begins: reported at 0 at once.
    static void Begin(const std::wstring& item, uint64_t total);
    // `bytes` more of the step are done. False when the sink threw: stop.
    static bool Advance(uint64_t bytes) noexcept;
    // The step is `done` bytes far. False when the sink threw: stop.
    static bool Reach(uint64_t done) noexcept;
    // How far the current step is (0 without a scope).
    static uint64_t Done();
    // Throws what the sink threw, if it did, and forgets it.
    static void RethrowPending();

private:
    Sink m_sink;
    std::wstring m_item;
    uint64_t m_done = 0;
    uint64_t m_total = 0;
    std::exception_ptr m_pending;
    ByteProgressScope* m_outer;
};

}  // namespace quen::platform
