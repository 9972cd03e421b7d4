// The check that every path piece taken from a record passes before the
// library joins it to one of its folders and touches the disk there: a
// release path, a release ID, a driver's label, a package name.
//
// A piece must name something below the folder it is joined to: non-empty
// and relative, no drive, no share, no `:` (a stream), no `.` or `..`, no
// empty component, no component that Windows shortens to one of those (it
// drops trailing dots and blanks), no control character. Either slash
// separates. One leading backslash and one trailing backslash are tolerated,
// as plain concatenation tolerates them: `\Modules\App\` names the same
// folder as `Modules\App`.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quen {

bool IsSafeRecordPath(std::wstring_view piece);

// Throws ELibraryException naming `field` and the record (`recordLabel`, as
// CDataTable::Label gives it) when `piece` fails the check. `sourceFile` and
// `line` are the caller's.
void CheckRecordPath(const std::wstring& piece, const wchar_t* field, const std::wstring& recordLabel,
                     const wchar_t* sourceFile, int32_t line);

}  // namespace quen
