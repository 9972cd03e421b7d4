// IModuleToCopy: one entry of the copy list, something the staging copy puts
// into the work area from a recovery disc (or the recovery folder).
#pragma once

#include <quen/Export.h>

#include <string>

class QUEN_API IModuleToCopy {
public:
    // The disc the entry is copied from; -1 when none is assigned (a
    // recovery folder on a hard disk).
    virtual int GetDisc() const = 0;
    // Copies the entry into the installs folder of the work area.
    virtual void CopyToInstallDir() = 0;
    virtual std::wstring PathToRelease() const = 0;
    virtual std::wstring CustomerLabel() const = 0;
    virtual std::wstring OS() const = 0;

protected:
    // Entries are owned and deleted by their own type, never through this
    // interface.
    ~IModuleToCopy() = default;
};
