// CModuleInstaller: destination and version paths as records write them,
// with the program-files tokens and environment variables of this machine.
// A version path that names the registry is no folder: it is never placed
// below the destination.
#include <quen/Installer.h>
#include <quen/ModuleInstaller.h>

#include "platform/Environment.h"
#include "platform/SystemInfo.h"
#include "platform/WindowsPath.h"
#include "version/RegistryPath.h"

#include <string_view>

namespace {

using quen::platform::IsPathSeparator;

constexpr std::wstring_view kProgramFiles32 = L"%PROGRAMFILES32%";
constexpr std::wstring_view kProgramFiles64 = L"%PROGRAMFILES64%";

void ReplaceAll(std::wstring& text, std::wstring_view token, std::wstring_view replacement)
{
    for (std::size_t at = text.find(token); at != std::wstring::npos;
         at = text.find(token, at + replacement.size()))
        text.replace(at, token.size(), replacement);
}

// The variable that names the 32-bit or the 64-bit program-files folder;
// empty where the token stays as it is.
std::wstring_view ProgramFilesVariable(bool want64, bool wow64, uint16_t architecture)
{
    if (wow64)
        return want64 ? L"%ProgramW6432%" : L"%ProgramFiles(x86)%";
    if (want64 || architecture == quen::platform::kArchitectureX86)
        return L"%ProgramFiles%";
    if (architecture == quen::platform::kArchitectureX64)
        return L"%ProgramFiles(x86)%";
    return {};
}

std::wstring Unquoted(const std::wstring& text)
{
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        return text.substr(1, text.size() - 2);
    return text;
}

// Names a place of its own, whatever the current folder: a drive ("C:\x",
// "C:x") or a share ("\\server\share").
bool IsAbsolute(const std::wstring& path)
{
    const bool drive = path.size() >= 2 && path[1] == L':' && path[0] != L':' && !IsPathSeparator(path[0]);
    const bool share = path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
    return drive || share;
}

}  // namespace

bool CModuleInstaller::ReplaceEnvironmentString(const std::wstring& input, std::wstring& output)
{
    output = input;
    bool wow64 = false;
    if (!quen::platform::QueryWow64(wow64))
        return false;
    const uint16_t architecture = quen::platform::NativeArchitecture();

    // One token per text: %PROGRAMFILES64% is left to the system expansion
    // when %PROGRAMFILES32% is there.
    const bool want64 = output.find(kProgramFiles32) == std::wstring::npos;
    const std::wstring_view token = want64 ? kProgramFiles64 : kProgramFiles32;
    const std::wstring_view variable = ProgramFilesVariable(want64, wow64, architecture);
    if (variable.empty() || output.find(token) == std::wstring::npos)
        return false;
    ReplaceAll(output, token, variable);
    return true;
}

std::wstring CModuleInstaller::ExpandPath(const std::wstring& path) const
{
    return Expanded(path, Installer()->DestDir(), false);
}

std::wstring CModuleInstaller::ExpandVersionPath(const std::wstring& versionPath, const std::wstring& destination)
{
    return Expanded(versionPath, destination, true);
}

std::wstring CModuleInstaller::Expanded(const std::wstring& path, const std::wstring& destination,
                                        bool registryStays)
{
    std::wstring text;
    ReplaceEnvironmentString(path, text);
    const std::wstring expanded = Unquoted(quen::platform::ExpandEnvVars(text));
    if (IsAbsolute(expanded) || (registryStays && quen::NamesRegistryRoot(expanded)))
        return expanded;

    // Below the destination, with one separator between the two.
    const bool joined = destination.empty() || expanded.empty() || IsPathSeparator(destination.back()) ||
                        IsPathSeparator(expanded.front());
    return joined ? destination + expanded : destination + L"\\" + expanded;
}
