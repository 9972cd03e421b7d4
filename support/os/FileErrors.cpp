#include "support/os/FileErrors.h"

#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Paths.h"

namespace quen::os {

void ThrowFileError(const wchar_t* sourceFile, int line, EFileException::EKind kind, const std::wstring& what,
                    const std::wstring& path, uint32_t code)
{
    std::wstring message = what;
    if (code != 0) {
        std::wstring text = GetErrorText(code);
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
            text.pop_back();
        if (!text.empty())
            message += L" " + text;
    }
    CFileException error(message, sourceFile, line, kind, path);
    error.SetErrorCode(code);
    throw error;
}

std::wstring FullPathOrThrow(const std::wstring& path, const wchar_t* sourceFile, int line)
{
    std::wstring full;
    if (!platform::FullPath(path, full))
        ThrowFileError(sourceFile, line, EFileException::BadPath, Format(L"The path %s is not valid.", path), path,
                       platform::LastError());
    return full;
}

}  // namespace quen::os
