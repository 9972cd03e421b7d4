// POSIX personality: a thread-local Win32 last error and the English Windows
// texts of the codes this layer reports.
#include "platform/Errors.h"
#include "platform/posix/PosixErrors.h"

#include <cerrno>

namespace quen::platform {
namespace {

thread_local uint32_t t_lastError = 0;

struct ErrorText {
    uint32_t code;
    const wchar_t* text;
};

// Texts as Windows gives them in English, line end included.
constexpr ErrorText kTexts[] = {
    {0, L"The operation completed successfully.\r\n"},
    {1, L"Incorrect function.\r\n"},
    {2, L"The system cannot find the file specified.\r\n"},
    {3, L"The system cannot find the path specified.\r\n"},
    {4, L"The system cannot open the file.\r\n"},
    {5, L"Access is denied.\r\n"},
    {6, L"The handle is invalid.\r\n"},
    {8, L"Not enough memory resources are available to process this command.\r\n"},
    {11, L"An attempt was made to load a program with an incorrect format.\r\n"},
    {13, L"The data is invalid.\r\n"},
    {14, L"Not enough memory resources are available to complete this operation.\r\n"},
    {18, L"There are no more files.\r\n"},
    {19, L"The media is write protected.\r\n"},
    {21, L"The device is not ready.\r\n"},
    {29, L"The system cannot write to the specified device.\r\n"},
    {30, L"The system cannot read from the specified device.\r\n"},
    {31, L"A device attached to the system is not functioning.\r\n"},
    {32, L"The process cannot access the file because it is being used by another process.\r\n"},
    {33, L"The process cannot access the file because another process has locked a portion of the file.\r\n"},
    {38, L"Reached the end of the file.\r\n"},
    {39, L"The disk is full.\r\n"},
    {50, L"The request is not supported.\r\n"},
    {80, L"The file exists.\r\n"},
    {87, L"The parameter is incorrect.\r\n"},
    {109, L"The pipe has been ended.\r\n"},
    {110, L"The system cannot open the device or file specified.\r\n"},
    {111, L"The file name is too long.\r\n"},
    {112, L"There is not enough space on the disk.\r\n"},
    {120, L"This function is not supported on this system.\r\n"},
    {122, L"The data area passed to a system call is too small.\r\n"},
    {123, L"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {145, L"The directory is not empty.\r\n"},
    {161, L"The specified path is invalid.\r\n"},
    {170, L"The requested resource is in use.\r\n"},
    {183, L"Cannot create a file when that file already exists.\r\n"},
    {193, L"%1 is not a valid Win32 application.\r\n"},
    {206, L"The filename or extension is too long.\r\n"},
    {234, L"More data is available.\r\n"},
    {259, L"No more data is available.\r\n"},
    {267, L"The directory name is invalid.\r\n"},
    {995, L"The I/O operation has been aborted because of either a thread exit or an application request.\r\n"},
    {1015, L"The registry is corrupted. The structure of one of the files containing registry data is corrupted, "
           L"or the system's memory image of the file is corrupted, or the file could not be recovered because the "
           L"alternate copy or log was absent or corrupted.\r\n"},
    {1018, L"Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {1113, L"No mapping for the Unicode character exists in the target multi-byte code page.\r\n"},
    {1223, L"The operation was canceled by the user.\r\n"},
    {1235, L"The request was aborted.\r\n"},
    {1392, L"The file or directory is corrupted and unreadable.\r\n"},
    {1460, L"This operation returned because the timeout period expired.\r\n"},
    {1813, L"The specified resource type cannot be found in the image file.\r\n"},
};

}  // namespace

uint32_t LastError() { return t_lastError; }

void SetLastErrorCode(uint32_t code) { t_lastError = code; }

std::wstring SystemErrorText(uint32_t code)
{
    for (const auto& entry : kTexts) {
        if (entry.code == code)
            return entry.text;
    }
    return std::wstring();
}

uint32_t Win32FromErrno(int error)
{
    switch (error) {
    case 0: return err::Success;
    case ENOENT: return err::FileNotFound;
    case ENOTDIR: return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return err::AccessDenied;
    case EEXIST: return err::AlreadyExists;
    case ENOTEMPTY: return err::DirNotEmpty;
    case ENOSPC:
    case EDQUOT: return err::DiskFull;
    case ENOMEM: return err::NotEnoughMemory;
    case EMFILE:
    case ENFILE: return err::TooManyOpenFiles;
    case ENAMETOOLONG: return err::FilenameExcedRange;
    case EBUSY:
    case ETXTBSY: return err::Busy;
    case EINVAL: return err::InvalidParameter;
    case EISDIR: return err::AccessDenied;
    case ELOOP: return err::BadPathname;
    case EIO: return err::GenFailure;
    case EBADF: return err::InvalidHandle;
    case ENOEXEC: return err::BadExeFormat;
    case ENOSYS:
    case EOPNOTSUPP: return err::NotSupported;
    case EPIPE: return err::BrokenPipe;
    case ETIMEDOUT: return err::Timeout;
    case EINTR: return err::OperationAborted;
    case EAGAIN: return err::LockViolation;
    case EXDEV: return err::NotSupported;
    default: return err::GenFailure;
    }
}

bool FailWithErrno(int error)
{
    SetLastErrorCode(Win32FromErrno(error));
    return false;
}

bool Fail(uint32_t code)
{
    SetLastErrorCode(code);
    return false;
}

}  // namespace quen::platform
