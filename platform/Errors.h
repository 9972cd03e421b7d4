// Win32 error codes: the thread's last error and the system's texts for codes.
// On POSIX the last error is a thread-local code that the platform layer sets,
// translating errno and wimlib codes into the Win32 codes below.
#pragma once

#include <cstdint>
#include <string>

namespace quen::platform {

namespace err {
inline constexpr uint32_t Success = 0;
inline constexpr uint32_t InvalidFunction = 1;
inline constexpr uint32_t FileNotFound = 2;
inline constexpr uint32_t PathNotFound = 3;
inline constexpr uint32_t TooManyOpenFiles = 4;
inline constexpr uint32_t AccessDenied = 5;
inline constexpr uint32_t InvalidHandle = 6;
inline constexpr uint32_t NotEnoughMemory = 8;
inline constexpr uint32_t BadFormat = 11;
inline constexpr uint32_t InvalidData = 13;
inline constexpr uint32_t OutOfMemory = 14;
inline constexpr uint32_t NoMoreFiles = 18;
inline constexpr uint32_t WriteProtect = 19;
inline constexpr uint32_t NotReady = 21;
inline constexpr uint32_t WriteFault = 29;
inline constexpr uint32_t ReadFault = 30;
inline constexpr uint32_t GenFailure = 31;
inline constexpr uint32_t SharingViolation = 32;
inline constexpr uint32_t LockViolation = 33;
inline constexpr uint32_t HandleEof = 38;
inline constexpr uint32_t HandleDiskFull = 39;
inline constexpr uint32_t NotSupported = 50;
inline constexpr uint32_t FileExists = 80;
inline constexpr uint32_t InvalidParameter = 87;
inline constexpr uint32_t BrokenPipe = 109;
inline constexpr uint32_t OpenFailed = 110;
inline constexpr uint32_t BufferOverflow = 111;
inline constexpr uint32_t DiskFull = 112;
inline constexpr uint32_t CallNotImplemented = 120;
inline constexpr uint32_t InsufficientBuffer = 122;
inline constexpr uint32_t InvalidName = 123;
inline constexpr uint32_t ModNotFound = 126;
inline constexpr uint32_t ProcNotFound = 127;
inline constexpr uint32_t DirNotEmpty = 145;
inline constexpr uint32_t BadPathname = 161;
inline constexpr uint32_t Busy = 170;
inline constexpr uint32_t AlreadyExists = 183;
inline constexpr uint32_t BadExeFormat = 193;
inline constexpr uint32_t FilenameExcedRange = 206;
inline constexpr uint32_t MoreData = 234;
inline constexpr uint32_t NoMoreItems = 259;
inline constexpr uint32_t Directory = 267;
inline constexpr uint32_t OperationAborted = 995;
inline constexpr uint32_t RegistryCorrupt = 1015;
inline constexpr uint32_t KeyDeleted = 1018;
inline constexpr uint32_t NoUnicodeTranslation = 1113;
inline constexpr uint32_t Cancelled = 1223;
inline constexpr uint32_t RequestAborted = 1235;
inline constexpr uint32_t FileCorrupt = 1392;
inline constexpr uint32_t ResourceTypeNotFound = 1813;
inline constexpr uint32_t Timeout = 1460;
}  // namespace err

uint32_t LastError();
void SetLastErrorCode(uint32_t code);

// The system's message for `code`, ending as the system ends it; empty when
// the system has none. On POSIX: the English Windows texts of the common codes.
std::wstring SystemErrorText(uint32_t code);

}  // namespace quen::platform
