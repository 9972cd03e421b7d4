// wimlib's error codes as Win32 codes (docs/wim.md has the table).
#include "platform/posix/WimErrors.h"

#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Wimgapi.h"
#include "platform/posix/PosixErrors.h"

#include <wimlib.h>

namespace quen::platform {
namespace {

thread_local std::wstring t_detail;

// Failures of a system call inside wimlib: errno says best what went wrong,
// when wimlib left one.
uint32_t FromSystemCall(int savedErrno, uint32_t fallback)
{
    return savedErrno != 0 ? Win32FromErrno(savedErrno) : fallback;
}

}  // namespace

std::wstring WimFailureDetail() { return t_detail; }

std::wstring WimLibraryFailure() { return std::wstring(); }

std::wstring WimLibraryProblem() { return std::wstring(); }

namespace posix {

void BeginWimCall() { t_detail.clear(); }

bool FailWim(uint32_t code, const std::wstring& detail)
{
    t_detail = detail;
    SetLastErrorCode(code);
    return false;
}

bool FailWithWimlib(int code, int savedErrno)
{
    const wimlib_tchar* text = wimlib_get_error_string(static_cast<wimlib_error_code>(code));
    return FailWim(Win32FromWimlib(code, savedErrno),
                   Format(L"wimlib error %d: %s", code, FromUtf8Lossy(text ? text : "")));
}

uint32_t Win32FromWimlib(int code, int savedErrno)
{
    switch (code) {
    case WIMLIB_ERR_SUCCESS: return err::Success;
    case WIMLIB_ERR_NOT_A_WIM_FILE:
    case WIMLIB_ERR_INVALID_HEADER:
    case WIMLIB_ERR_INVALID_PART_NUMBER:
    case WIMLIB_ERR_UNKNOWN_VERSION:
    case WIMLIB_ERR_INVALID_CHUNK_SIZE:
    case WIMLIB_ERR_INVALID_COMPRESSION_TYPE: return err::InvalidData;
    case WIMLIB_ERR_DECOMPRESSION:
    case WIMLIB_ERR_IMAGE_COUNT:
    case WIMLIB_ERR_INTEGRITY:
    case WIMLIB_ERR_INVALID_INTEGRITY_TABLE:
    case WIMLIB_ERR_INVALID_LOOKUP_TABLE_ENTRY:
    case WIMLIB_ERR_INVALID_METADATA_RESOURCE:
    case WIMLIB_ERR_INVALID_PIPABLE_WIM:
    case WIMLIB_ERR_INVALID_RESOURCE_HASH:
    case WIMLIB_ERR_METADATA_NOT_FOUND:
    case WIMLIB_ERR_SPLIT_INVALID:
    case WIMLIB_ERR_UNEXPECTED_END_OF_FILE:
    case WIMLIB_ERR_WIM_IS_INCOMPLETE:
    case WIMLIB_ERR_XML: return err::FileCorrupt;
    case WIMLIB_ERR_RESOURCE_NOT_FOUND: return err::FileNotFound;
    case WIMLIB_ERR_INVALID_IMAGE:
    case WIMLIB_ERR_INVALID_PARAM:
    case WIMLIB_ERR_NOT_A_MOUNTPOINT: return err::InvalidParameter;
    case WIMLIB_ERR_NOMEM: return err::NotEnoughMemory;
    case WIMLIB_ERR_PATH_DOES_NOT_EXIST: return err::PathNotFound;
    case WIMLIB_ERR_NOTDIR: return err::Directory;
    case WIMLIB_ERR_NOTEMPTY: return err::DirNotEmpty;
    case WIMLIB_ERR_ALREADY_LOCKED: return err::SharingViolation;
    case WIMLIB_ERR_MOUNTED_IMAGE_IS_BUSY: return err::Busy;
    case WIMLIB_ERR_IS_DIRECTORY:
    case WIMLIB_ERR_NOT_A_REGULAR_FILE:
    case WIMLIB_ERR_INSUFFICIENT_PRIVILEGES:
    case WIMLIB_ERR_WIM_IS_READONLY:
    case WIMLIB_ERR_NOT_PERMITTED_TO_UNMOUNT: return err::AccessDenied;
    case WIMLIB_ERR_FUSE:
    case WIMLIB_ERR_IS_SPLIT_WIM:
    case WIMLIB_ERR_UNSUPPORTED:
    case WIMLIB_ERR_UNSUPPORTED_FILE:
    case WIMLIB_ERR_WIM_IS_ENCRYPTED: return err::NotSupported;
    case WIMLIB_ERR_ABORTED_BY_PROGRESS: return err::RequestAborted;
    case WIMLIB_ERR_OPEN:
    case WIMLIB_ERR_OPENDIR: return FromSystemCall(savedErrno, err::OpenFailed);
    case WIMLIB_ERR_READ: return FromSystemCall(savedErrno, err::ReadFault);
    case WIMLIB_ERR_WRITE: return FromSystemCall(savedErrno, err::WriteFault);
    case WIMLIB_ERR_LINK:
    case WIMLIB_ERR_MKDIR:
    case WIMLIB_ERR_MKNOD:
    case WIMLIB_ERR_READLINK:
    case WIMLIB_ERR_RENAME:
    case WIMLIB_ERR_SET_ATTRIBUTES:
    case WIMLIB_ERR_SET_REPARSE_DATA:
    case WIMLIB_ERR_SET_SECURITY:
    case WIMLIB_ERR_SET_SHORT_NAME:
    case WIMLIB_ERR_SET_TIMESTAMPS:
    case WIMLIB_ERR_SET_XATTR:
    case WIMLIB_ERR_STAT: return FromSystemCall(savedErrno, err::GenFailure);
    default: return err::GenFailure;
    }
}

}  // namespace posix
}  // namespace quen::platform
