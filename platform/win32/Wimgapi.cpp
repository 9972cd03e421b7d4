// Windows: the wimgapi calls, taken from wimgapi.dll at run time so that the
// library loads on machines without it. The DLL is looked for once, at the
// first call, by the system's usual search. Without it every call fails with
// the loader's error; without a function, with GetProcAddress's (127). A
// stub DLL fails with whatever it sets.
#include "platform/Wimgapi.h"
#include "platform/win32/WindowsSupport.h"

namespace quen::platform {
namespace {

struct WimgapiDll {
    HMODULE module;
    DWORD loadError;
};

const WimgapiDll& Dll()
{
    static const WimgapiDll dll = [] {
        const HMODULE module = ::LoadLibraryW(L"wimgapi.dll");
        return WimgapiDll{module, module ? ERROR_SUCCESS : ::GetLastError()};
    }();
    return dll;
}

// The DLL's function `name` as type `Function`; null, with the last error
// set, when the DLL or the function is missing.
template <typename Function>
Function* Find(const char* name)
{
    const WimgapiDll& dll = Dll();
    if (!dll.module) {
        ::SetLastError(dll.loadError);
        return nullptr;
    }
    // GetProcAddress gives a generic FARPROC; wimgapi's header gives the real type.
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(dll.module, name)));
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
    auto* call = Find<CreateFileFn>("WIMCreateFile");
    return call ? call(path, desiredAccess, creationDisposition, flagsAndAttributes, compressionType,
                       reinterpret_cast<PDWORD>(creationResult))
                : nullptr;
}

bool WIMCloseHandle(WimHandle handle)
{
    auto* call = Find<CloseHandleFn>("WIMCloseHandle");
    return call && call(handle);
}

bool WIMSetTemporaryPath(WimHandle wim, const wchar_t* path)
{
    auto* call = Find<SetPathFn>("WIMSetTemporaryPath");
    return call && call(wim, path);
}

bool WIMSetReferenceFile(WimHandle wim, const wchar_t* path, uint32_t flags)
{
    auto* call = Find<SetReferenceFn>("WIMSetReferenceFile");
    return call && call(wim, path, flags);
}

uint32_t WIMGetImageCount(WimHandle wim)
{
    auto* call = Find<GetCountFn>("WIMGetImageCount");
    return call ? call(wim) : 0;
}

WimHandle WIMLoadImage(WimHandle wim, uint32_t index)
{
    auto* call = Find<LoadImageFn>("WIMLoadImage");
    return call ? call(wim, index) : nullptr;
}

bool WIMApplyImage(WimHandle image, const wchar_t* path, uint32_t flags)
{
    auto* call = Find<ApplyFn>("WIMApplyImage");
    return call && call(image, path, flags);
}

bool WIMGetImageInformation(WimHandle handle, void** info, uint32_t* size)
{
    auto* call = Find<GetInformationFn>("WIMGetImageInformation");
    return call && call(handle, info, reinterpret_cast<PDWORD>(size));
}

bool WIMMountImage(const wchar_t* mountPath, const wchar_t* wimPath, uint32_t index, const wchar_t* tempPath)
{
    auto* call = Find<MountFn>("WIMMountImage");
    return call && call(mountPath, wimPath, index, tempPath);
}

bool WIMUnmountImage(const wchar_t* mountPath, const wchar_t* wimPath, uint32_t index, bool commit)
{
    auto* call = Find<UnmountFn>("WIMUnmountImage");
    return call && call(mountPath, wimPath, index, commit ? TRUE : FALSE);
}

uint32_t WIMRegisterMessageCallback(WimHandle wim, WimGenericProc proc, void* userData)
{
    auto* call = Find<RegisterFn>("WIMRegisterMessageCallback");
    return call ? call(wim, AsFarProc(proc), userData) : INVALID_CALLBACK_VALUE;
}

bool WIMUnregisterMessageCallback(WimHandle wim, WimGenericProc proc)
{
    auto* call = Find<UnregisterFn>("WIMUnregisterMessageCallback");
    return call && call(wim, AsFarProc(proc));
}

void LocalFree(void* buffer) { ::LocalFree(buffer); }

std::wstring WimFailureDetail() { return std::wstring(); }

}  // namespace quen::platform
