// wimgapi on wimlib: opening WIM files, their images, and image information.
#include "platform/Wimgapi.h"

#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/posix/PosixErrors.h"
#include "platform/posix/WimCalls.h"
#include "platform/posix/WimHandles.h"
#include "platform/posix/WimProgress.h"
#include "platform/personality/WimXml.h"

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace quen::platform {

using posix::BeginWimCall;
using posix::CallWimlib;
using posix::FailWim;
using posix::WimFile;
using posix::WimObject;

namespace {

// Windows tells a missing file from a missing folder on the way to it.
bool CheckExistingFile(const std::filesystem::path& host)
{
    struct stat st;
    if (::stat(host.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? FailWim(err::AccessDenied, std::wstring()) : true;
    const int error = errno;
    if (error == ENOENT && ::stat(host.parent_path().c_str(), &st) != 0)
        return FailWim(err::PathNotFound, std::wstring());
    return FailWim(Win32FromErrno(error), std::wstring());
}

uint32_t ImageCount(WIMStruct* wim)
{
    wimlib_wim_info info;
    std::memset(&info, 0, sizeof info);
    wimlib_get_wim_info(wim, &info);
    return info.image_count;
}

int IgnoreEntry(const wimlib_dir_entry*, void*) { return 0; }

// A malloc'd copy of `bytes` followed by a UTF-16 zero, as LocalFree frees it.
void* InformationBuffer(const std::string& bytes, uint32_t& size)
{
    size = static_cast<uint32_t>(bytes.size() + 2);
    void* buffer = std::malloc(size);
    if (buffer) {
        std::memcpy(buffer, bytes.data(), bytes.size());
        std::memset(static_cast<char*>(buffer) + bytes.size(), 0, 2);
    }
    return buffer;
}

}  // namespace

WimHandle WIMCreateFile(const wchar_t* path, uint32_t desiredAccess, uint32_t creationDisposition,
                        uint32_t flagsAndAttributes, uint32_t, uint32_t* creationResult)
{
    BeginWimCall();
    std::filesystem::path host;
    if (!posix::WimHostPath(path, host))
        return nullptr;
    constexpr uint32_t kReadAccess = WIM_GENERIC_READ | WIM_GENERIC_MOUNT;
    if (creationDisposition != WIM_OPEN_EXISTING || (desiredAccess & WIM_GENERIC_READ) == 0 ||
        (desiredAccess & ~kReadAccess) != 0) {
        FailWim(err::NotSupported, L"Only existing WIM files open here, for reading and mounting.");
        return nullptr;
    }
    if (!CheckExistingFile(host))
        return nullptr;
    posix::StartWimlib();
    const int openFlags = (flagsAndAttributes & WIM_FLAG_VERIFY) ? WIMLIB_OPEN_FLAG_CHECK_INTEGRITY : 0;
    WIMStruct* wim = nullptr;
    if (!CallWimlib([&] { return wimlib_open_wim(host.c_str(), openFlags, &wim); }))
        return nullptr;
    auto file = std::make_shared<WimFile>(wim);
    wimlib_register_progress_function(wim, posix::ReportProgress, file.get());
    if (creationResult)
        *creationResult = WIM_OPENED_EXISTING;
    return posix::AddHandle(WimObject{std::move(file), 0});
}

bool WIMCloseHandle(WimHandle handle)
{
    BeginWimCall();
    return posix::RemoveHandle(handle);
}

bool WIMSetTemporaryPath(WimHandle wim, const wchar_t* path)
{
    // wimlib keeps no temporary files for what this interface does; the path
    // is checked all the same.
    BeginWimCall();
    std::shared_ptr<WimFile> file;
    std::filesystem::path host;
    return posix::FindFile(wim, file) && posix::WimHostPath(path, host);
}

bool WIMSetReferenceFile(WimHandle wim, const wchar_t* path, uint32_t flags)
{
    BeginWimCall();
    std::shared_ptr<WimFile> file;
    std::filesystem::path host;
    if (!posix::FindFile(wim, file) || !posix::WimHostPath(path, host))
        return false;
    const uint32_t mode = flags & (WIM_REFERENCE_APPEND | WIM_REFERENCE_REPLACE);
    if (mode != WIM_REFERENCE_APPEND && mode != WIM_REFERENCE_REPLACE)
        return FailWim(err::InvalidParameter, std::wstring());
    if (mode == WIM_REFERENCE_REPLACE && file->hasReferences)
        return FailWim(err::NotSupported, L"wimlib cannot drop a reference file once added.");
    const char* const paths[] = {host.c_str()};
    if (!CallWimlib([&] { return wimlib_reference_resource_files(file->wim, paths, 1, 0, 0); }))
        return false;
    file->hasReferences = true;
    return true;
}

uint32_t WIMGetImageCount(WimHandle wim)
{
    BeginWimCall();
    std::shared_ptr<WimFile> file;
    return posix::FindFile(wim, file) ? ImageCount(file->wim) : 0;
}

WimHandle WIMLoadImage(WimHandle wim, uint32_t index)
{
    BeginWimCall();
    std::shared_ptr<WimFile> file;
    if (!posix::FindFile(wim, file))
        return nullptr;
    const uint32_t count = ImageCount(file->wim);
    if (index == 0 || index > count) {
        FailWim(err::InvalidParameter, Format(L"The WIM file holds %u images; there is no image %u.", count, index));
        return nullptr;
    }
    // Reading the root of the image loads its metadata, so a damaged image
    // fails here rather than halfway through an apply.
    const int image = static_cast<int>(index);
    if (!CallWimlib([&] { return wimlib_iterate_dir_tree(file->wim, image, "/", 0, IgnoreEntry, nullptr); }))
        return nullptr;
    return posix::AddHandle(WimObject{std::move(file), image});
}

bool WIMApplyImage(WimHandle image, const wchar_t* path, uint32_t flags)
{
    BeginWimCall();
    WimObject object;
    std::filesystem::path host;
    if (!posix::FindImage(image, object) || !posix::WimHostPath(path, host))
        return false;
    // wimlib checks every file's hash as it extracts: that is the verification.
    if ((flags & ~WIM_FLAG_VERIFY) != 0)
        return FailWim(err::NotSupported, Format(L"Apply flags 0x%x are not supported here.", flags));
    return CallWimlib(
        [&] { return wimlib_extract_image(object.file->wim, object.index, host.c_str(), 0); });
}

bool WIMGetImageInformation(WimHandle handle, void** info, uint32_t* size)
{
    BeginWimCall();
    WimObject object;
    if (!info || !size)
        return FailWim(err::InvalidParameter, std::wstring());
    if (!posix::FindObject(handle, object))
        return false;
    void* xml = nullptr;
    std::size_t xmlSize = 0;
    if (!CallWimlib([&] { return wimlib_get_xml_data(object.file->wim, &xml, &xmlSize); }))
        return false;
    std::u16string text = Utf16FromLe({static_cast<const char*>(xml), xmlSize});
    std::free(xml);
    if (object.index != 0) {
        std::u16string element;
        if (!personality::FindImageElement(text, object.index, element))
            return FailWim(err::FileCorrupt, Format(L"The XML data describes no image %d.", object.index));
        text = u'\xFEFF' + element;
    }
    *info = InformationBuffer(Utf16ToLe(text), *size);
    return *info != nullptr || FailWim(err::NotEnoughMemory, std::wstring());
}

uint32_t WIMRegisterMessageCallback(WimHandle wim, WimGenericProc proc, void* userData)
{
    BeginWimCall();
    std::shared_ptr<WimFile> file;
    if (!posix::FindFile(wim, file))
        return INVALID_CALLBACK_VALUE;
    if (!proc) {
        FailWim(err::InvalidParameter, std::wstring());
        return INVALID_CALLBACK_VALUE;
    }
    file->callbacks.push_back({proc, userData});
    return static_cast<uint32_t>(file->callbacks.size() - 1);
}

bool WIMUnregisterMessageCallback(WimHandle wim, WimGenericProc proc)
{
    BeginWimCall();
    std::shared_ptr<WimFile> file;
    if (!posix::FindFile(wim, file))
        return false;
    auto& callbacks = file->callbacks;
    if (!proc) {
        callbacks.clear();
        return true;
    }
    for (auto it = callbacks.begin(); it != callbacks.end(); ++it) {
        if (it->proc == proc) {
            callbacks.erase(it);
            return true;
        }
    }
    return FailWim(err::InvalidParameter, std::wstring());
}

void LocalFree(void* buffer) { std::free(buffer); }

}  // namespace quen::platform
