// The Windows environment: variables by case-insensitive name, and expansion
// of %NAME% references. On POSIX the usual Windows variables (SystemRoot,
// ProgramFiles, TEMP, ...) have their Windows defaults; other names come from
// the process environment.
#pragma once

#include <string>

namespace quen::platform {

bool GetEnvVar(const std::wstring& name, std::wstring& value);
// Sets the variable for this process; an empty value removes it.
void SetEnvVar(const std::wstring& name, const std::wstring& value);
// Replaces each %NAME% of a set variable by its value; unknown references
// and a lone % stay as they are.
std::wstring ExpandEnvVars(const std::wstring& text);

}  // namespace quen::platform
