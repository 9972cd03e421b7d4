// The Windows Imaging interface (wimgapi): the calls and constants the WIM
// code uses, under wimgapi's names and with its arguments and results. A call
// that fails returns null, false, 0 or INVALID_CALLBACK_VALUE and sets the
// last error (a Win32 code).
//
// Windows: the functions of wimgapi.dll, loaded from the system folder alone
// at the first call. Without the DLL, or without one of its functions, every
// call fails with the loader's error (126, 127); a stub DLL fails with its own
// (Wine's: 120).
// POSIX: wimlib underneath; docs/wim.md says what each call does there.
#pragma once

#include <cstdint>
#include <string>

namespace quen::platform {

// A WIM file (from WIMCreateFile) or an image in it (from WIMLoadImage).
using WimHandle = void*;
// wimgapi's FARPROC: how a message procedure is passed. It must be a
// WimMessageProc; the interface calls it as one.
using WimGenericProc = intptr_t (*)();
// Receives a message (WIM_MSG_*) during an operation; returns WIM_MSG_SUCCESS
// to go on or WIM_MSG_ABORT_IMAGE to cancel.
using WimMessageProc = uint32_t (*)(uint32_t messageId, uintptr_t wParam, intptr_t lParam, void* userData);

inline constexpr uint32_t WIM_GENERIC_READ = 0x80000000u;
inline constexpr uint32_t WIM_GENERIC_MOUNT = 0x20000000u;
inline constexpr uint32_t WIM_OPEN_EXISTING = 3;
inline constexpr uint32_t WIM_OPENED_EXISTING = 1;  // creation result
inline constexpr uint32_t WIM_FLAG_VERIFY = 0x00000002u;
inline constexpr uint32_t WIM_COMPRESS_NONE = 0;
inline constexpr uint32_t WIM_REFERENCE_APPEND = 0x00010000u;
inline constexpr uint32_t WIM_REFERENCE_REPLACE = 0x00020000u;
inline constexpr uint32_t INVALID_CALLBACK_VALUE = 0xFFFFFFFFu;

inline constexpr uint32_t WIM_MSG = 0x8000u + 0x1476u;  // WM_APP + 0x1476
// wParam: percent done (0 to 100); lParam: estimated milliseconds left.
inline constexpr uint32_t WIM_MSG_PROGRESS = WIM_MSG + 2;
inline constexpr uint32_t WIM_MSG_SUCCESS = 0;
inline constexpr uint32_t WIM_MSG_ABORT_IMAGE = 0xFFFFFFFFu;

WimHandle WIMCreateFile(const wchar_t* path, uint32_t desiredAccess, uint32_t creationDisposition,
                        uint32_t flagsAndAttributes, uint32_t compressionType, uint32_t* creationResult);
bool WIMCloseHandle(WimHandle handle);
bool WIMSetTemporaryPath(WimHandle wim, const wchar_t* path);
bool WIMSetReferenceFile(WimHandle wim, const wchar_t* path, uint32_t flags);
uint32_t WIMGetImageCount(WimHandle wim);
WimHandle WIMLoadImage(WimHandle wim, uint32_t index);
bool WIMApplyImage(WimHandle image, const wchar_t* path, uint32_t flags);
// The XML description of a WIM file (or of one image, for an image handle):
// UTF-16LE with its byte-order mark and a terminating zero. `*size` counts
// bytes. Free the buffer with LocalFree.
bool WIMGetImageInformation(WimHandle handle, void** info, uint32_t* size);
// Mounts image `index` of the file on a folder: read-write with changes kept
// below `tempPath`, or read-only when `tempPath` is null or empty.
bool WIMMountImage(const wchar_t* mountPath, const wchar_t* wimPath, uint32_t index, const wchar_t* tempPath);
bool WIMUnmountImage(const wchar_t* mountPath, const wchar_t* wimPath, uint32_t index, bool commit);
// The callback's position among the file's callbacks, or INVALID_CALLBACK_VALUE.
uint32_t WIMRegisterMessageCallback(WimHandle wim, WimGenericProc proc, void* userData);
// A null `proc` removes every callback of the file.
bool WIMUnregisterMessageCallback(WimHandle wim, WimGenericProc proc);
void LocalFree(void* buffer);

// More about the last failure of a call above on this thread, for the log:
// wimlib's own text on POSIX; empty when there is nothing beyond the error
// code (always, on Windows).
std::wstring WimFailureDetail();

// After a failed call above on this thread: a sentence naming wimgapi.dll
// when the failure is the DLL's (it could not be loaded, lacks the function,
// or is a stub that does not implement it) rather than the operation's;
// empty otherwise, and always on POSIX, where wimlib is linked in.
std::wstring WimLibraryFailure();

// Why the image library cannot serve these calls at all (wimgapi.dll cannot
// be loaded, or lacks WIMCreateFile), as a sentence naming it; empty when it
// can, and always on POSIX.
std::wstring WimLibraryProblem();

}  // namespace quen::platform
