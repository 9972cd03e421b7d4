// POSIX personality: CWinMutex as a recursive mutex, since a Windows mutex
// lets its owner in again.
#include <quen/WinMutex.h>

#include <mutex>

struct CWinMutex::Handle {
    std::recursive_mutex mutex;
};

CWinMutex::CWinMutex() : m_handle(new Handle) {}

CWinMutex::~CWinMutex() { delete m_handle; }

void CWinMutex::Lock() { m_handle->mutex.lock(); }

void CWinMutex::Unlock() { m_handle->mutex.unlock(); }
