// The machine root and the drive map. Host paths cross as UTF-8, which
// std::filesystem turns into the native encoding on either platform.
#include "capi/Call.h"

#include "foundation/WideString.h"

#include <quen/Machine.h>

namespace {

std::filesystem::path HostFolder(const wchar_t* folder)
{
    const std::string utf8 = quen::ToUtf8(quen::capi::Text(folder));
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

QUEN_C_API quen_status quen_set_machine_root(const wchar_t* root)
{
    using namespace quen::capi;
    return Call([&] { quen::SetMachineRoot(HostFolder(RequiredText(root, "root").c_str())); });
}

QUEN_C_API quen_status quen_map_drive(wchar_t letter, const wchar_t* host_folder)
{
    using namespace quen::capi;
    return Call([&] { quen::MapDrive(letter, HostFolder(host_folder)); });
}

QUEN_C_API quen_status quen_host_path(const wchar_t* windows_path, const wchar_t** host_path)
{
    using namespace quen::capi;
    return Call([&] {
        const std::u8string utf8 = quen::HostPath(RequiredText(windows_path, "windows_path")).u8string();
        Required(host_path, "host_path") =
            Returned(quen::FromUtf8Lossy(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size())));
    });
}
