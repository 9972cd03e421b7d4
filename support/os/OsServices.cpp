#include <quen/OsServices.h>

#include "platform/Paths.h"
#include "platform/Power.h"

using quen::platform::AwakeHold;
using quen::platform::SetAwakeHold;

std::wstring COsServices::GetWindowsDirectoryW() { return quen::platform::WindowsDir(); }

std::wstring COsServices::GetTempFolder() { return quen::platform::TempDir(); }

bool COsServices::DisableScreenSaver(bool disable) { return SetAwakeHold(AwakeHold::ScreenSaver, disable, {}); }

bool COsServices::DisableStandby(bool disable) { return SetAwakeHold(AwakeHold::Standby, disable, {}); }

bool COsServices::DisableHibernation(bool disable) { return SetAwakeHold(AwakeHold::Hibernation, disable, {}); }

bool COsServices::DisableShutdown(bool disable, const wchar_t* reason)
{
    return SetAwakeHold(AwakeHold::Shutdown, disable, reason ? reason : L"");
}
