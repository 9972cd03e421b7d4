// POSIX personality: a drive letter is optical when its folder lies on a file
// system mounted from an optical drive. Opening the tray goes through
// udisks, the desktop's disk service, as a file manager's "Eject" does: it
// releases the disc's file system first and asks no root rights of the
// user at the machine.
#include "platform/OpticalDrives.h"

#include "foundation/Report.h"
#include "platform/Text.h"
#include "platform/posix/MachineState.h"
#include "platform/posix/MountTableFile.h"
#include "platform/posix/SdBus.h"

#include <filesystem>

namespace quen::platform {
namespace {

using posix::Bus;
using posix::BusError;
using posix::Message;

constexpr const char* kUdisks = "org.freedesktop.UDisks2";

struct OpticalDrive {
    std::wstring root;   // "E:\"
    std::string device;  // "/dev/sr0"
};

// The device a mount came from, with links (/dev/cdrom, /dev/disk/by-label/...)
// resolved; as the table writes it when it does not resolve, as for a
// device node this mount namespace does not show.
std::string MountDevice(const std::string& source)
{
    std::error_code ec;
    const std::filesystem::path device = std::filesystem::canonical(source, ec);
    return ec ? source : device.native();
}

std::vector<OpticalDrive> FindOpticalDrives()
{
    const std::vector<personality::Mount> mounts = posix::ReadMountTable();
    std::vector<OpticalDrive> drives;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        std::error_code ec;
        const std::filesystem::path folder = std::filesystem::canonical(posix::DriveFolder(letter), ec);
        if (ec)
            continue;
        const personality::Mount* mount = personality::MountHolding(mounts, folder.native());
        if (!mount)
            continue;
        const std::string device = MountDevice(mount->source);
        if (personality::IsOpticalDeviceNode(device))
            drives.push_back({std::wstring(1, letter) + L":\\", device});
    }
    return drives;
}

bool Refused(const std::wstring& root, const std::wstring& why)
{
    Report(ReportLevel::Warning, L"Could not open drive " + root + L": " + why);
    return false;
}

bool EjectThroughUdisks(const std::wstring& root, const std::string& device)
{
    Bus bus;
    int r = posix::OpenBus(posix::BusKind::System, bus);
    if (r < 0)
        return Refused(root, L"the system bus is not available (" + posix::ErrnoText(-r) + L")");

    const std::string block =
        "/org/freedesktop/UDisks2/block_devices/" + std::filesystem::path(device).filename().string();
    {
        BusError error;
        r = sd_bus_call_method(bus.get(), kUdisks, block.c_str(), "org.freedesktop.UDisks2.Filesystem", "Unmount",
                               &error, nullptr, "a{sv}", 0);
        if (r < 0 && !error.Is("org.freedesktop.UDisks2.Error.NotMounted"))
            return Refused(root, L"the disc's file system stays in use: " + posix::CallFailure(error, r));
    }

    BusError error;
    sd_bus_message* rawReply = nullptr;
    r = sd_bus_get_property(bus.get(), kUdisks, block.c_str(), "org.freedesktop.UDisks2.Block", "Drive", &error,
                            &rawReply, "o");
    Message reply(rawReply);
    const char* drive = nullptr;
    if (r >= 0)
        r = sd_bus_message_read(reply.get(), "o", &drive);
    if (r < 0)
        return Refused(root, L"udisks does not know the drive of " + FromUtf8Lossy(device) + L": " +
                                 posix::CallFailure(error, r));

    BusError ejectError;
    r = sd_bus_call_method(bus.get(), kUdisks, drive, "org.freedesktop.UDisks2.Drive", "Eject", &ejectError, nullptr,
                           "a{sv}", 0);
    if (r < 0)
        return Refused(root, posix::CallFailure(ejectError, r));
    return true;
}

}  // namespace

std::vector<std::wstring> ListOpticalDrives()
{
    std::vector<std::wstring> roots;
    for (const OpticalDrive& drive : FindOpticalDrives())
        roots.push_back(drive.root);
    return roots;
}

bool EjectOpticalDrive(const std::wstring& root)
{
    for (const OpticalDrive& drive : FindOpticalDrives()) {
        if (EqualsNoCase(drive.root, root))
            return EjectThroughUdisks(drive.root, drive.device);
    }
    return Refused(root, L"it is not an optical drive");
}

}  // namespace quen::platform
