// Autoplay: the system starting what a newly inserted disc holds. A hold
// keeps it from doing so for the drive at `root` ("E:\") and ends with the
// process at the latest, so a crash leaves no setting changed.
#pragma once

#include <string>

namespace quen::platform {

// Takes (`hold` true) or gives back the hold for one drive. False, with a
// Warning line that says why, when the system refuses.
bool SetAutoplayHold(const std::wstring& root, bool hold);

}  // namespace quen::platform
