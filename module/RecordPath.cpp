#include "module/RecordPath.h"

#include <quen/Exceptions.h>

#include "foundation/WideString.h"
#include "platform/WindowsPath.h"

namespace quen {
namespace {

using platform::IsPathSeparator;

// True for a component that names its own folder, its parent or nothing
// once Windows drops its trailing dots and blanks.
bool IsDotsAndBlanks(std::wstring_view component)
{
    return component.find_first_not_of(L". ") == std::wstring_view::npos;
}

}  // namespace

bool IsSafeRecordPath(std::wstring_view piece)
{
    if (!piece.empty() && IsPathSeparator(piece.front()))
        piece.remove_prefix(1);
    if (!piece.empty() && IsPathSeparator(piece.back()))
        piece.remove_suffix(1);
    // Also refuses "", "\" and a share's "\\" (its second slash is an empty
    // component once the first is dropped).
    if (piece.empty())
        return false;
    for (const wchar_t c : piece) {
        if (c == L':' || c < 0x20 || c == 0x7F)
            return false;
    }
    std::size_t start = 0;
    while (start <= piece.size()) {
        std::size_t end = start;
        while (end < piece.size() && !IsPathSeparator(piece[end]))
            ++end;
        if (IsDotsAndBlanks(piece.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

void CheckRecordPath(const std::wstring& piece, const wchar_t* field, const std::wstring& recordLabel,
                     const wchar_t* sourceFile, int32_t line)
{
    if (IsSafeRecordPath(piece))
        return;
    throw ELibraryException(Format(L"Field \"%s\" of record %s must be a relative path below its folder (no drive, "
                                   L"share, \".\", \"..\" or empty part): \"%s\".",
                                   field, recordLabel, piece),
                            sourceFile, line);
}

}  // namespace quen
