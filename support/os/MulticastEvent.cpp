#include <quen/OsServices.h>

#include <algorithm>

CMulticastEvent::CMulticastEvent() = default;

CMulticastEvent::~CMulticastEvent() = default;

bool CMulticastEvent::Register(Callback callback)
{
    std::lock_guard lock(m_mutex);
    if (!callback || std::find(m_callbacks.begin(), m_callbacks.end(), callback) != m_callbacks.end())
        return false;
    m_callbacks.push_back(callback);
    return true;
}

bool CMulticastEvent::Unregister(Callback callback)
{
    std::lock_guard lock(m_mutex);
    const auto it = std::find(m_callbacks.begin(), m_callbacks.end(), callback);
    if (it == m_callbacks.end())
        return false;
    m_callbacks.erase(it);
    return true;
}

void CMulticastEvent::FireEvent(void* payload)
{
    // Callbacks run on a copy and outside the lock: one may change the list,
    // or fire another event, without deadlock or a loop over a moving vector.
    std::vector<Callback> snapshot;
    {
        std::lock_guard lock(m_mutex);
        snapshot = m_callbacks;
    }
    for (Callback callback : snapshot)
        callback(payload);
}
