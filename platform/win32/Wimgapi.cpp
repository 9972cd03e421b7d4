// Windows: the wimgapi calls, taken from wimgapi.dll at run time so that the
// library loads on machines without it. The DLL is looked for once, at the
// first call, in the system folder alone: a wimgapi.dll beside the host
// program (or in its current folder, or on PATH) is never loaded. Without the
// DLL every call fails with the loader's error; without a function, with
// GetProcAddress's (127). A stub DLL fails with whatever it sets.
#include "platform/Wimgapi.h"
#include "platform/Errors.h"
#include "platform/win32/WindowsSupport.h"

namespace quen::platform {
namespace {

constexpr wchar_t kDllName[] = L"wimgapi.dll";

struct WimgapiDll {
    HMODULE module;
    DWORD loadError;
};

const WimgapiDll& Dll()
{
    static const WimgapiDll dll = [] {
        const HMODULE module = ::LoadLibraryExW(kDllName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return WimgapiDll{module, module ? ERROR_SUCCESS : ::GetLastError()};
    }();
    return dll;
}

// Why the last call on this thread failed in the DLL rather than in the
// operation; empty when it did not.
thread_local std::wstring t_dllFailure;

std::wstring Wide(const char* name) { return std::wstring(name, name + std::char_traits<char>::length(name)); }

// The DLL's function `name` as type `Function`; null, with the last error
// and the DLL failure set, when the DLL or the function is missing.
template <typename Function>
Function* Find(const char* name)
{
    const WimgapiDll& dll = Dll();
    if (!dll.module) {
        t_dllFailure = std::wstring(kDllName) + L" could not be loaded from the system folder";
        ::SetLastError(dll.loadError);
        return nullptr;
    }
    // GetProcAddress gives a generic FARPROC; wimgapi's header gives the real type.
    auto* function = reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(dll.module, name)));
    if (!function)
        t_dllFailure = std::wstring(kDllName) + L" has no function " + Wide(name);
    return function;
}

template <typename Function>
struct Signature;
template <typename Result, typename... Parameters>
struct Signature<Result(Parameters...)> {
    using ResultType = Result;
};

// Calls `name`, or gives `failed` when it cannot be called. A call that sets
// "not implemented" is a stub's, and so the DLL's failure.
template <typename Function, typename... Args>
typename Signature<Function>::ResultType Call(const char* name, typename Signature<Function>::ResultType failed,
                                              Args... args)
{
    t_dllFailure.clear();
    auto* function = Find<Function>(name);
    if (!function)
        return failed;
    ::SetLastError(ERROR_SUCCESS);
    const auto result = function(args...);
    if (::GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
        t_dllFailure = std::wstring(kDllName) + L" does not implement " + Wide(name);
    return result;
}

using CreateFileFn = HANDLE WINAPI(PCWSTR, DWORD, DWORD, DWORD, DWORD, PDWORD);
using CloseHandleFn = BOOL WINAPI(HANDLE);
using SetPathFn = BOOL WINAPI(HANDLE, PCWSTR);
using SetReferenceFn = BOOL WINAPI(HANDLE, PCWSTR, DWORD);
using GetCountFn = DWORD WINAPI(HANDLE);
using LoadImageFn = HANDLE WINAPI(HANDLE, DWORD);
using ApplyFn = BOOL WINAPI(HANDLE, PCWSTR, DWORD);
using GetInformationFn = BOOL WINAPI(HANDLE, PVOID*, PDWORD);
using MountFn = BOOL WINAPI(PCWSTR, PCWSTR, DWORD, PCWSTR);
using UnmountFn = BOOL WINAPI(PCWSTR, PCWSTR, DWORD, BOOL);
using RegisterFn = DWORD WINAPI(HANDLE, FARPROC, PVOID);
using UnregisterFn = BOOL WINAPI(HANDLE, FARPROC);

FARPROC AsFarProc(WimGenericProc proc) { return reinterpret_cast<FARPROC>(proc); }

}  // namespace

WimHandle WIMCreateFile(const wchar_t* path, uint32_t desiredAccess, uint32_t creationDisposition,
                        uint32_t flagsAndAttributes, uint32_t compressionType, uint32_t* creationResult)
{
    static_assert(sizeof(DWORD) == sizeof(uint32_t));
    return Call<CreateFileFn>("WIMCreateFile", nullptr, path, desiredAccess, creationDisposition,
                              flagsAndAttributes, compressionType, reinterpret_cast<PDWORD>(creationResult));
}

bool WIMCloseHandle(WimHandle handle) { return Call<CloseHandleFn>("WIMCloseHandle", FALSE, handle); }

bool WIMSetTemporaryPath(WimHandle wim, const wchar_t* path)
{
    return Call<SetPathFn>("WIMSetTemporaryPath", FALSE, wim, path);
}

bool WIMSetReferenceFile(WimHandle wim, const wchar_t* path, uint32_t flags)
{
    return Call<SetReferenceFn>("WIMSetReferenceFile", FALSE, wim, path, flags);
}

uint32_t WIMGetImageCount(WimHandle wim) { return Call<GetCountFn>("WIMGetImageCount", 0, wim); }

WimHandle WIMLoadImage(WimHandle wim, uint32_t index) { return Call<LoadImageFn>("WIMLoadImage", nullptr, wim, index); }

bool WIMApplyImage(WimHandle image, const wchar_t* path, uint32_t flags)
{
    return Call<ApplyFn>("WIMApplyImage", FALSE, image, path, flags);
}

bool WIMGetImageInformation(WimHandle handle, void** info, uint32_t* size)
{
    return Call<GetInformationFn>("WIMGetImageInformation", FALSE, handle, info, reinterpret_cast<PDWORD>(size));
}

bool WIMMountImage(const wchar_t* mountPath, const wchar_t* wimPath, uint32_t index, const wchar_t* tempPath)
{
    return Call<MountFn>("WIMMountImage", FALSE, mountPath, wimPath, index, tempPath);
}

bool WIMUnmountImage(const wchar_t* mountPath, const wchar_t* wimPath, uint32_t index, bool commit)
{
    return Call<UnmountFn>("WIMUnmountImage", FALSE, mountPath, wimPath, index, commit ? TRUE : FALSE);
}

uint32_t WIMRegisterMessageCallback(WimHandle wim, WimGenericProc proc, void* userData)
{
    return Call<RegisterFn>("WIMRegisterMessageCallback", INVALID_CALLBACK_VALUE, wim, AsFarProc(proc), userData);
}

bool WIMUnregisterMessageCallback(WimHandle wim, WimGenericProc proc)
{
    return Call<UnregisterFn>("WIMUnregisterMessageCallback", FALSE, wim, AsFarProc(proc));
}

void LocalFree(void* buffer) { ::LocalFree(buffer); }

std::wstring WimFailureDetail() { return std::wstring(); }

std::wstring WimLibraryFailure() { return t_dllFailure; }

std::wstring WimLibraryProblem()
{
    const WimgapiDll& dll = Dll();
    if (!dll.module)
        return std::wstring(kDllName) + L" could not be loaded from the system folder: " +
               SystemErrorText(dll.loadError);
    if (!::GetProcAddress(dll.module, "WIMCreateFile"))
        return std::wstring(kDllName) + L" has no function WIMCreateFile";
    return std::wstring();
}

}  // namespace quen::platform
