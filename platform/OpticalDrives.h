// The machine's optical drives, named by their root ("E:\"). On POSIX a drive
// letter is optical when its folder lies on a file system mounted from an
// optical drive (/dev/srN).
#pragma once

#include <string>
#include <vector>

namespace quen::platform {

// In letter order.
std::vector<std::wstring> ListOpticalDrives();

// Opens the tray of the optical drive at `root`, releasing the disc's file
// system first where the system needs that. False, with a Warning line that
// says why, when it cannot; a drive that is not optical is never touched.
bool EjectOpticalDrive(const std::wstring& root);

}  // namespace quen::platform
