#include "DiscFolders.h"

#include "UserPaths.h"

#include <quen/Machine.h>

namespace quen::host {

DiscFolders::DiscFolders(wchar_t letter, std::vector<std::filesystem::path> discs)
    : m_letter(letter), m_discs(std::move(discs))
{
}

bool DiscFolders::Insert(int number)
{
    if (number < 1 || static_cast<std::size_t>(number) > m_discs.size())
        return false;
    quen::MapDrive(m_letter, std::filesystem::absolute(Folder(number)));
    RememberDrive(m_letter, std::filesystem::absolute(Folder(number)));
    return true;
}

const std::filesystem::path& DiscFolders::Folder(int number) const
{
    return m_discs.at(static_cast<std::size_t>(number - 1));
}

void DiscFolders::GetDriveList(std::vector<std::wstring>& drives)
{
    drives = {std::wstring(1, m_letter) + L":\\"};
}

PluginScope::PluginScope(const std::wstring& name, std::shared_ptr<IOSDependentPlugin> plugin)
    : m_name(name), m_previous(COSDependentFactory::GetInstance().RegisterPlugin(name, std::move(plugin)))
{
}

PluginScope::~PluginScope() { COSDependentFactory::GetInstance().RegisterPlugin(m_name, m_previous); }

}  // namespace quen::host
