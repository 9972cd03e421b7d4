// %NAME% expansion as ExpandEnvironmentStrings does it, over any set of
// variables.
#pragma once

#include <functional>
#include <string>

namespace quen::platform::personality {

// Gives the value of a variable; false when it is not set.
using VariableLookup = std::function<bool(const std::wstring& name, std::wstring& value)>;

// Replaces each %NAME% of a set variable by its value; unknown references and
// a lone % stay as they are.
std::wstring ExpandEnvVars(const std::wstring& text, const VariableLookup& lookup);

}  // namespace quen::platform::personality
