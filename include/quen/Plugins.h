// The plug-in library: operating-system dependent services found by name.
//
// The library registers its own "MediaBurner" (an IMediaBurner for the
// machine's optical drives). A host, or a test, registers a plug-in of its
// own under a name to replace it:
//
//   auto previous = COSDependentFactory::GetInstance().RegisterPlugin(L"MediaBurner", myBurner);
//   ...
//   COSDependentFactory::GetInstance().RegisterPlugin(L"MediaBurner", previous);
#pragma once

#include <quen/Export.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QUEN_API IOSDependentPlugin {
public:
    virtual ~IOSDependentPlugin();
};

// The optical drives of the machine, for a run from recovery discs. Drives
// are named by their root ("E:\"). Autoplay and the media request act on the
// selected drive.
class QUEN_API IMediaBurner : public IOSDependentPlugin {
public:
    virtual void SelectDrive(const std::wstring& drive) = 0;
    // Replaces the list's content with the machine's optical drives.
    virtual void GetDriveList(std::vector<std::wstring>& drives) = 0;
    // Keeps the system from starting what a disc inserted into the drive
    // holds, until RestoreAutoplay or the end of the process. Throws
    // ELibraryException when the system refuses.
    virtual void SuppressAutoplay() = 0;
    virtual void RestoreAutoplay() = 0;
    // A disc is needed in the drive: make room for it (open the tray of an
    // optical drive).
    virtual void MediaRequest() = 0;
};

class QUEN_API COSDependentFactory {
public:
    static COSDependentFactory& GetInstance();

    // The plug-in registered under `name` (compared without regard to case),
    // or null. It stays usable while held, even when it is replaced meanwhile.
    std::shared_ptr<IOSDependentPlugin> GetPlugin(const std::wstring& name) const;
    // Registers `plugin` under `name` and returns the one it replaces (null
    // when none); a null `plugin` removes the name.
    std::shared_ptr<IOSDependentPlugin> RegisterPlugin(const std::wstring& name,
                                                       std::shared_ptr<IOSDependentPlugin> plugin);

private:
    COSDependentFactory();

    struct NameLess {
        bool operator()(const std::wstring& a, const std::wstring& b) const;
    };

    mutable std::mutex m_mutex;
    std::map<std::wstring, std::shared_ptr<IOSDependentPlugin>, NameLess> m_plugins;
};
