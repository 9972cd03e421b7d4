// Windows: CWinMutex over an unnamed kernel mutex.
#include <quen/WinMutex.h>

#include "platform/win32/WindowsSupport.h"

struct CWinMutex::Handle {
    quen::platform::win32::ScopedHandle mutex{::CreateMutexW(nullptr, FALSE, nullptr)};
};

CWinMutex::CWinMutex() : m_handle(new Handle) {}

CWinMutex::~CWinMutex() { delete m_handle; }

// An abandoned mutex (its owner thread ended holding it) passes to the waiter
// as an ordinary one: the list it guards is changed only under the lock, so
// it is whole.
void CWinMutex::Lock() { ::WaitForSingleObject(m_handle->mutex.Get(), INFINITE); }

void CWinMutex::Unlock() { ::ReleaseMutex(m_handle->mutex.Get()); }
