// A "MediaBurner" that records the calls it gets and touches no drive, and
// the scope that registers a plug-in in place of the library's own.
#pragma once

#include <quen/Plugins.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quen::test {

class FakeMediaBurner : public IMediaBurner {
public:
    void SelectDrive(const std::wstring& drive) override { Record(L"SelectDrive " + drive); }
    void GetDriveList(std::vector<std::wstring>& drives) override
    {
        Record(L"GetDriveList");
        drives = {L"E:\\"};
    }
    void SuppressAutoplay() override { Record(L"SuppressAutoplay"); }
    void RestoreAutoplay() override { Record(L"RestoreAutoplay"); }
    void MediaRequest() override { Record(L"MediaRequest"); }

    // Also lets a test put the host's own steps in the same order.
    void Record(const std::wstring& call)
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(call);
    }
    std::vector<std::wstring> Calls() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::wstring> m_calls;
};

// Registers `plugin` under `name` (null: no plug-in of that name) for the
// scope's lifetime, then puts back what was there.
class ScopedPlugin {
public:
    ScopedPlugin(std::wstring name, std::shared_ptr<IOSDependentPlugin> plugin)
        : m_name(std::move(name)),
          m_previous(COSDependentFactory::GetInstance().RegisterPlugin(m_name, std::move(plugin)))
    {
    }
    ~ScopedPlugin() { COSDependentFactory::GetInstance().RegisterPlugin(m_name, m_previous); }
    ScopedPlugin(const ScopedPlugin&) = delete;
    ScopedPlugin& operator=(const ScopedPlugin&) = delete;

private:
    std::wstring m_name;
    std::shared_ptr<IOSDependentPlugin> m_previous;
};

}  // namespace quen::test
