// Windows: before autoplay starts for new media, the shell asks every
// IQueryCancelAutoPlay registered in the running object table, and the table
// drops an entry when the process that registered it ends. One object,
// registered from a thread of its own that keeps the process's
// multithreaded apartment alive (whatever apartment the caller lives in),
// answers for the held drives; taking or giving back a hold only changes the
// set it answers from.
#include "platform/Autoplay.h"
#include "platform/win32/WindowsSupport.h"

#include "foundation/Report.h"
#include "platform/win32/ErrorLine.h"
#include "platform/Text.h"

#include <objbase.h>
#include <shobjidl.h>

#include <atomic>
#include <mutex>
#include <set>

namespace quen::platform {
namespace {

class AutoplayCanceller final : public IQueryCancelAutoPlay {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IQueryCancelAutoPlay)) {
            *object = static_cast<IQueryCancelAutoPlay*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The object lives as long as the process: counting keeps COM's
    // bookkeeping honest, nothing is freed.
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; }

    // S_FALSE cancels autoplay for the medium at `path` ("E:\").
    HRESULT STDMETHODCALLTYPE AllowAutoPlay(LPCWSTR path, DWORD /*contentType*/, LPCWSTR /*label*/,
                                            DWORD /*serialNumber*/) override
    {
        if (!path || !*path)
            return S_OK;
        std::lock_guard lock(m_mutex);
        return m_held.count(ToUpper(path[0])) ? S_FALSE : S_OK;
    }

    void Hold(wchar_t letter, bool hold)
    {
        std::lock_guard lock(m_mutex);
        if (hold)
            m_held.insert(ToUpper(letter));
        else
            m_held.erase(ToUpper(letter));
    }

private:
    std::atomic<ULONG> m_references{1};
    std::mutex m_mutex;
    std::set<wchar_t> m_held;
};

AutoplayCanceller& Canceller()
{
    static AutoplayCanceller canceller;
    return canceller;
}

// Lives on the asking thread, which waits for `done`; the helper thread
// touches nothing of it after setting `done`.
struct Start {
    HRESULT result = E_FAIL;
    win32::ScopedHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

DWORD WINAPI KeepRegistered(void* parameter)
{
    auto* start = static_cast<Start*>(parameter);
    HRESULT result = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IRunningObjectTable* table = nullptr;
    IMoniker* moniker = nullptr;
    DWORD cookie = 0;
    if (SUCCEEDED(result))
        result = ::GetRunningObjectTable(0, &table);
    if (SUCCEEDED(result))
        result = ::CreateClassMoniker(CLSID_QueryCancelAutoPlay, &moniker);
    if (SUCCEEDED(result))
        result = table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, &Canceller(), moniker, &cookie);
    if (moniker)
        moniker->Release();
    if (table)
        table->Release();
    const bool registered = SUCCEEDED(result);
    start->result = result;
    ::SetEvent(start->done.Get());
    if (!registered)
        return 0;
    // The shell may call the object until the process ends: keep this module
    // loaded and the apartment alive until then.
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCWSTR>(&KeepRegistered), &self);
    ::Sleep(INFINITE);
    return 0;
}

HRESULT Register()
{
    Start start;
    win32::ScopedHandle thread(::CreateThread(nullptr, 0, KeepRegistered, &start, 0, nullptr));
    if (!thread.Valid())
        return HRESULT_FROM_WIN32(::GetLastError());
    ::WaitForSingleObject(start.done.Get(), INFINITE);
    return start.result;
}

}  // namespace

bool SetAutoplayHold(const std::wstring& root, bool hold)
{
    if (root.empty())
        return false;
    if (hold) {
        static const HRESULT registration = Register();
        if (FAILED(registration)) {
            Report(ReportLevel::Warning, L"Could not hold off autoplay for drive " + root + L": " +
                                             win32::ErrorLine(static_cast<uint32_t>(registration)));
            return false;
        }
    }
    Canceller().Hold(root[0], hold);
    return true;
}

}  // namespace quen::platform
