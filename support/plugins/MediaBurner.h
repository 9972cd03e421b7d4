// The library's own "MediaBurner": the machine's optical drives through the
// platform layer.
#pragma once

#include <quen/Plugins.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace quen::plugins {

class CMediaBurner : public IMediaBurner {
public:
    void SelectDrive(const std::wstring& drive) override;
    void GetDriveList(std::vector<std::wstring>& drives) override;
    void SuppressAutoplay() override;
    void RestoreAutoplay() override;
    // Opens the selected drive's tray, but only when it is one of the
    // machine's optical drives: a request for a folder on a hard disk or a
    // share leaves every drive alone.
    void MediaRequest() override;

private:
    std::wstring Selected() const;

    mutable std::mutex m_mutex;
    std::wstring m_selected;
};

}  // namespace quen::plugins
