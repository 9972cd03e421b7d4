// POSIX personality: the Windows environment. The usual Windows variables
// have fixed Windows defaults (a POSIX TEMP=/tmp means nothing to a Windows
// path); a value set through SetEnvVar wins; other names come from the process
// environment. Names compare without regard to case.
#include "platform/Environment.h"

#include "foundation/WideString.h"
#include "platform/Text.h"
#include "platform/personality/ExpandEnvironment.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

extern char** environ;

namespace quen::platform {
namespace {

struct NoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return CompareNoCase(a, b) < 0; }
};

using VarMap = std::map<std::wstring, std::wstring, NoCaseLess>;

const VarMap& WindowsDefaults()
{
    static const VarMap defaults = [] {
        VarMap m{
            {L"SystemDrive", L"C:"},
            {L"SystemRoot", L"C:\\Windows"},
            {L"windir", L"C:\\Windows"},
            {L"ProgramFiles", L"C:\\Program Files"},
            {L"ProgramFiles(x86)", L"C:\\Program Files (x86)"},
            {L"ProgramW6432", L"C:\\Program Files"},
            {L"CommonProgramFiles", L"C:\\Program Files\\Common Files"},
            {L"CommonProgramFiles(x86)", L"C:\\Program Files (x86)\\Common Files"},
            {L"CommonProgramW6432", L"C:\\Program Files\\Common Files"},
            {L"ProgramData", L"C:\\ProgramData"},
            {L"ALLUSERSPROFILE", L"C:\\ProgramData"},
            {L"PUBLIC", L"C:\\Users\\Public"},
            {L"USERPROFILE", L"C:\\Users\\Default"},
            {L"APPDATA", L"C:\\Users\\Default\\AppData\\Roaming"},
            {L"LOCALAPPDATA", L"C:\\Users\\Default\\AppData\\Local"},
            {L"TEMP", L"C:\\Windows\\Temp"},
            {L"TMP", L"C:\\Windows\\Temp"},
            {L"ComSpec", L"C:\\Windows\\system32\\cmd.exe"},
            {L"Path", L"C:\\Windows\\system32;C:\\Windows;C:\\Windows\\System32\\Wbem"},
            {L"PATHEXT", L".COM;.EXE;.BAT;.CMD;.VBS;.JS;.WSF;.MSC"},
            {L"OS", L"Windows_NT"},
            {L"PROCESSOR_ARCHITECTURE", L"AMD64"},
            {L"COMPUTERNAME", L"QUEN-PC"},
        };
        const unsigned cores = std::thread::hardware_concurrency();
        m[L"NUMBER_OF_PROCESSORS"] = std::to_wstring(cores ? cores : 1);
        return m;
    }();
    return defaults;
}

struct Overrides {
    std::mutex mutex;
    std::map<std::wstring, std::optional<std::wstring>, NoCaseLess> values;  // nullopt: removed
};

Overrides& ProcessOverrides()
{
    static Overrides overrides;
    return overrides;
}

bool FromProcessEnvironment(const std::wstring& name, std::wstring& value)
{
    for (char** e = environ; e && *e; ++e) {
        const std::string_view entry(*e);
        const auto eq = entry.find('=');
        if (eq == std::string_view::npos || eq == 0)
            continue;
        if (EqualsNoCase(FromUtf8Lossy(entry.substr(0, eq)), name)) {
            value = FromUtf8Lossy(entry.substr(eq + 1));
            return true;
        }
    }
    return false;
}

}  // namespace

bool GetEnvVar(const std::wstring& name, std::wstring& value)
{
    if (name.empty())
        return false;
    {
        Overrides& o = ProcessOverrides();
        std::lock_guard lock(o.mutex);
        if (auto it = o.values.find(name); it != o.values.end()) {
            if (!it->second)
                return false;
            value = *it->second;
            return true;
        }
    }
    if (auto it = WindowsDefaults().find(name); it != WindowsDefaults().end()) {
        value = it->second;
        return true;
    }
    return FromProcessEnvironment(name, value);
}

void SetEnvVar(const std::wstring& name, const std::wstring& value)
{
    Overrides& o = ProcessOverrides();
    std::lock_guard lock(o.mutex);
    if (value.empty())
        o.values[name] = std::nullopt;
    else
        o.values[name] = value;
}

std::wstring ExpandEnvVars(const std::wstring& text) { return personality::ExpandEnvVars(text, GetEnvVar); }

}  // namespace quen::platform
