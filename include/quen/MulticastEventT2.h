// CMulticastEventT2<A, B>: a list of `void(*)(A, B)` callbacks, the
// two-argument sibling of CMulticastEvent.
//
// One mutex guards the list and is held for a whole firing, so a thread that
// registers or unregisters while another fires waits until the firing ends.
// Callbacks run in registration order on the firing thread, over a snapshot
// of the list: one that registers or unregisters on this event (the mutex
// lets the firing thread in again) changes the next firing, not this one. An
// exception thrown by a callback is discarded and the next callback runs.
#pragma once

#include <quen/WinMutex.h>

#include <algorithm>
#include <vector>

template <typename A, typename B>
class CMulticastEventT2 {
public:
    using Callback = void (*)(A, B);

    CMulticastEventT2() = default;
    virtual ~CMulticastEventT2() = default;
    CMulticastEventT2(const CMulticastEventT2&) = delete;
    CMulticastEventT2& operator=(const CMulticastEventT2&) = delete;

    // False when the callback is null or registered already.
    bool Register(Callback callback)
    {
        CWinMutexLock lock(m_mutex);
        if (!callback || std::find(m_callbacks.begin(), m_callbacks.end(), callback) != m_callbacks.end())
            return false;
        m_callbacks.push_back(callback);
        return true;
    }

    // True when the callback was registered and is now removed.
    bool Unregister(Callback callback)
    {
        CWinMutexLock lock(m_mutex);
        const auto it = std::find(m_callbacks.begin(), m_callbacks.end(), callback);
        if (it == m_callbacks.end())
            return false;
        m_callbacks.erase(it);
        return true;
    }

    void FireEvent(A a, B b)
    {
        CWinMutexLock lock(m_mutex);
        const std::vector<Callback> snapshot = m_callbacks;
        for (Callback callback : snapshot) {
            try {
                callback(a, b);
            } catch (...) {
                // A host's failure must not keep the other callbacks from
                // their answer.
            }
        }
    }

private:
    std::vector<Callback> m_callbacks;
    CWinMutex m_mutex;
};
