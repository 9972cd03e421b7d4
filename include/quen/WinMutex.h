// CWinMutex: one unnamed system mutex, created unowned and closed by the
// destructor. Like a Windows mutex, its owner may take it again (each Lock
// needs its Unlock), and a wait has no time limit.
#pragma once

#include <quen/Export.h>

class QUEN_API CWinMutex {
public:
    CWinMutex();
    ~CWinMutex();
    CWinMutex(const CWinMutex&) = delete;
    CWinMutex& operator=(const CWinMutex&) = delete;

    void Lock();
    void Unlock();

private:
    struct Handle;
    Handle* m_handle;
};

// Holds a CWinMutex for the lifetime of a scope.
class CWinMutexLock {
public:
    explicit CWinMutexLock(CWinMutex& mutex) : m_mutex(mutex) { m_mutex.Lock(); }
    ~CWinMutexLock() { m_mutex.Unlock(); }
    CWinMutexLock(const CWinMutexLock&) = delete;
    CWinMutexLock& operator=(const CWinMutexLock&) = delete;

private:
    CWinMutex& m_mutex;
};
