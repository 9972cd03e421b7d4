// Windows: power holds on a thread of their own.
//
// SetThreadExecutionState holds for the thread that calls it and ends with
// that thread, and a shutdown block belongs to a top-level window whose thread
// answers messages. So one helper thread, started at the first call, runs a
// message loop, and every hold is taken and given back there; at the first
// shutdown hold it makes a hidden top-level window (keeping the machine awake
// needs none, and a window costs a desktop). The thread lives as long as the
// process; the system ends the holds with it.
#include "platform/Power.h"
#include "platform/win32/WindowsSupport.h"

#include "foundation/Report.h"
#include "platform/Errors.h"

namespace quen::platform {
namespace {

using win32::ScopedHandle;

constexpr UINT kRequest = WM_APP + 1;  // a thread message whose lParam is a Request*
constexpr wchar_t kWindowClass[] = L"QuenInstallerPowerHolds";
constexpr wchar_t kDefaultReason[] = L"An installation is in progress";

// What the helper thread made of a request: code 0, or the error and why.
struct Outcome {
    DWORD code = ERROR_SUCCESS;
    std::wstring why;
};

// Lives on the asking thread, which waits for `done`; the helper thread
// writes the outcome and touches nothing after setting `done`.
struct Request {
    AwakeHold what;
    bool hold;
    std::wstring reason;
    Outcome outcome;
    ScopedHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

const wchar_t* Name(AwakeHold what)
{
    switch (what) {
    case AwakeHold::ScreenSaver: return L"the screen saver";
    case AwakeHold::Standby: return L"standby";
    case AwakeHold::Hibernation: return L"hibernation";
    case AwakeHold::Shutdown: break;
    }
    return L"shutdown";
}

std::wstring ErrorText(DWORD code)
{
    std::wstring text = SystemErrorText(code);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    return text.empty() ? L"error " + std::to_wstring(code) : text;
}

Outcome Failed(DWORD code) { return {code, ErrorText(code)}; }

bool Refused(AwakeHold what, const Outcome& outcome)
{
    Report(ReportLevel::Warning, L"Could not hold off " + std::wstring(Name(what)) + L": " + outcome.why);
    return win32::Fail(outcome.code);
}

constexpr unsigned Bit(AwakeHold what) { return 1u << static_cast<unsigned>(what); }

HWND CreateHoldWindow();

// Wine has no shutdown block, and its first window may wait for a desktop
// process that never comes up: it gets no window at all.
bool RunsUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Runs on the helper thread only, so it needs no lock.
class Holds {
public:
    Outcome Apply(const Request& request)
    {
        if (request.what == AwakeHold::Shutdown)
            return ApplyShutdown(request);
        const unsigned before = m_bits;
        m_bits = request.hold ? m_bits | Bit(request.what) : m_bits & ~Bit(request.what);
        if (::SetThreadExecutionState(ExecutionState()) != 0)
            return {};
        m_bits = before;
        return Failed(::GetLastError());
    }

    bool BlocksShutdown() const { return m_blocking; }

private:
    EXECUTION_STATE ExecutionState() const
    {
        EXECUTION_STATE state = ES_CONTINUOUS;
        if (m_bits & Bit(AwakeHold::ScreenSaver))
            state |= ES_DISPLAY_REQUIRED;
        if (m_bits & (Bit(AwakeHold::Standby) | Bit(AwakeHold::Hibernation)))
            state |= ES_SYSTEM_REQUIRED;
        return state;
    }

    Outcome ApplyShutdown(const Request& request)
    {
        if (!request.hold) {
            if (m_blocking)
                ::ShutdownBlockReasonDestroy(m_window);
            m_blocking = false;
            return {};
        }
        if (!m_triedWindow) {
            m_window = RunsUnderWine() ? nullptr : CreateHoldWindow();
            m_triedWindow = true;
        }
        if (!m_window)
            return {ERROR_CALL_NOT_IMPLEMENTED, L"the hidden window that holds it could not be created"};
        const std::wstring reason = request.reason.empty() ? kDefaultReason : request.reason;
        if (!::ShutdownBlockReasonCreate(m_window, reason.c_str()))
            return Failed(::GetLastError());
        m_blocking = true;
        return {};
    }

    HWND m_window = nullptr;
    bool m_triedWindow = false;  // once: where no desktop answers, creating it may wait long
    unsigned m_bits = 0;  // bits of the AwakeHold values held by the execution state
    bool m_blocking = false;
};

Holds* g_holds = nullptr;  // the helper thread's, for its window procedure

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Refuse to end the session while shutdown is held.
    if (message == WM_QUERYENDSESSION && g_holds && g_holds->BlocksShutdown())
        return FALSE;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The module of this code, pinned: the helper thread runs it until the
// process ends, so a host that unloads the library must not unmap it.
HINSTANCE PinnedModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCWSTR>(&WindowProcedure), &module);
    return module;
}

HWND CreateHoldWindow()
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = PinnedModule();
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassExW(&windowClass);
    // Top-level and never shown: a message-only window would not be asked
    // whether the session may end.
    return ::CreateWindowExW(0, kWindowClass, L"Quen installer", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
}

DWORD WINAPI HelperThread(void* parameter)
{
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // gives the thread its message queue
    Holds holds;
    g_holds = &holds;
    ::SetEvent(static_cast<HANDLE>(parameter));  // the starting thread's "ready"
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kRequest) {
            auto& request = *reinterpret_cast<Request*>(message.lParam);
            request.outcome = holds.Apply(request);
            ::SetEvent(request.done.Get());
            continue;
        }
        ::DispatchMessageW(&message);
    }
    return 0;
}

// The helper thread, once it runs; id 0 and the error when it could not start.
struct Helper {
    DWORD id = 0;
    DWORD error = ERROR_SUCCESS;
};

const Helper& HelperThreadOnce()
{
    static const Helper helper = [] {
        PinnedModule();  // before the thread runs any of its code
        const ScopedHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!ready.Valid())
            return Helper{0, ::GetLastError()};
        DWORD threadId = 0;
        const ScopedHandle thread(::CreateThread(nullptr, 0, HelperThread, ready.Get(), 0, &threadId));
        if (!thread.Valid())
            return Helper{0, ::GetLastError()};
        ::WaitForSingleObject(ready.Get(), INFINITE);
        return Helper{threadId, ERROR_SUCCESS};
    }();
    return helper;
}

}  // namespace

bool SetAwakeHold(AwakeHold what, bool hold, const std::wstring& reason)
{
    const Helper& helper = HelperThreadOnce();
    if (helper.id == 0)
        return Refused(what, {helper.error, L"no thread to hold it on (" + ErrorText(helper.error) + L")"});
    Request request{what, hold, reason, {}};
    if (!request.done.Valid() ||
        !::PostThreadMessageW(helper.id, kRequest, 0, reinterpret_cast<LPARAM>(&request)))
        return Refused(what, Failed(::GetLastError()));
    ::WaitForSingleObject(request.done.Get(), INFINITE);
    if (request.outcome.code != ERROR_SUCCESS)
        return Refused(what, request.outcome);
    return true;
}

}  // namespace quen::platform
