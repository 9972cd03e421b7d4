#include <quen/Plugins.h>

#include "platform/Text.h"
#include "support/plugins/MediaBurner.h"

IOSDependentPlugin::~IOSDependentPlugin() = default;

bool COSDependentFactory::NameLess::operator()(const std::wstring& a, const std::wstring& b) const
{
    return quen::platform::CompareNoCase(a, b) < 0;
}

COSDependentFactory::COSDependentFactory()
{
    m_plugins.emplace(L"MediaBurner", std::make_shared<quen::plugins::CMediaBurner>());
}

COSDependentFactory& COSDependentFactory::GetInstance()
{
    static COSDependentFactory factory;
    return factory;
}

std::shared_ptr<IOSDependentPlugin> COSDependentFactory::GetPlugin(const std::wstring& name) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_plugins.find(name);
    return it == m_plugins.end() ? nullptr : it->second;
}

std::shared_ptr<IOSDependentPlugin> COSDependentFactory::RegisterPlugin(const std::wstring& name,
                                                                        std::shared_ptr<IOSDependentPlugin> plugin)
{
    std::lock_guard lock(m_mutex);
    std::shared_ptr<IOSDependentPlugin> previous;
    if (const auto it = m_plugins.find(name); it != m_plugins.end()) {
        previous = std::move(it->second);
        m_plugins.erase(it);
    }
    if (plugin)
        m_plugins.emplace(name, std::move(plugin));
    return previous;
}
