// Numbered recovery discs kept in host folders, shown to the library through
// one drive letter as if a disc were changed in one drive.
//
// Registered as the run's "MediaBurner": the folders are no optical drives,
// so there is no autoplay to hold off and no tray to open, and the machine's
// real drives stay untouched. Insert maps the drive to the disc asked for.
#pragma once

#include <quen/Plugins.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace quen::host {

class DiscFolders : public IMediaBurner {
public:
    DiscFolders(wchar_t letter, std::vector<std::filesystem::path> discs);

    // Puts disc `number` (from 1) in the drive; false when there is no
    // folder for it.
    bool Insert(int number);
    const std::filesystem::path& Folder(int number) const;
    std::size_t Count() const { return m_discs.size(); }

    void SelectDrive(const std::wstring&) override {}
    void GetDriveList(std::vector<std::wstring>& drives) override;
    void SuppressAutoplay() override {}
    void RestoreAutoplay() override {}
    void MediaRequest() override {}

private:
    wchar_t m_letter;
    std::vector<std::filesystem::path> m_discs;
};

// Registers a plug-in for the life of the scope and puts the one it replaced
// back at the end.
class PluginScope {
public:
    PluginScope(const std::wstring& name, std::shared_ptr<IOSDependentPlugin> plugin);
    ~PluginScope();
    PluginScope(const PluginScope&) = delete;
    PluginScope& operator=(const PluginScope&) = delete;

private:
    std::wstring m_name;
    std::shared_ptr<IOSDependentPlugin> m_previous;
};

}  // namespace quen::host
