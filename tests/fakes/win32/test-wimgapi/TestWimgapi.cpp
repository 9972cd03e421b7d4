// A wimgapi.dll for the Windows build's tests only; never shipped. It takes
// the calls the library makes, with wimgapi's signatures, over a stand-in
// archive: the 16 header bytes "MSWIM\0\0\0" + 8 more, then one line per
// file, "<image index>|<path below the image root>|<content>\n"; the image
// count is the highest index named. Every call appends a line with its
// arguments (UTF-8) to the file named by QUEN_TEST_WIMGAPI_CALLS, when set.
#include "platform/win32/WindowsSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr DWORD kMsgProgress = 0x8000 + 0x1476 + 2;
constexpr DWORD kInvalidCallback = 0xFFFFFFFF;

struct Entry {
    DWORD image;
    std::string path;
    std::string content;
};

using MessageProc = DWORD(CALLBACK*)(DWORD, WPARAM, LPARAM, PVOID);

struct Object {
    std::vector<Entry> entries;
    DWORD index = 0;  // 0: the file; else an image of `file`
    Object* file = nullptr;
    std::vector<std::pair<MessageProc, PVOID>> callbacks;
};

// Recursive: a message callback may call back into the DLL.
std::recursive_mutex g_lock;
std::set<Object*> g_objects;
// Mounted folders, with the file they show.
std::vector<std::pair<std::wstring, std::wstring>> g_mounts;

std::string Utf8(const wchar_t* text)
{
    if (!text)
        return "(null)";
    const std::u8string utf8 = fs::path(text).u8string();
    return std::string(utf8.begin(), utf8.end());
}

void Record(const std::string& line)
{
    wchar_t file[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"QUEN_TEST_WIMGAPI_CALLS", file, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        std::ofstream(fs::path(file), std::ios::app | std::ios::binary) << line << '\n';
}

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// Sets the last error and gives the failed call's result.
template <typename Result = BOOL>
Result Fail(DWORD code, Result failed = Result())
{
    ::SetLastError(code);
    return failed;
}

Object* Find(HANDLE handle)
{
    const auto it = g_objects.find(static_cast<Object*>(handle));
    if (it != g_objects.end())
        return *it;
    ::SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

// The archive's entries; false with the system's error when the file cannot
// be read, ERROR_BAD_FORMAT when it is no stand-in archive.
bool ReadArchive(const wchar_t* path, std::vector<Entry>& entries)
{
    quen::platform::win32::ScopedHandle file(
        ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return false;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    if (bytes.size() < 16 || bytes.compare(0, 8, std::string("MSWIM\0\0\0", 8)) != 0)
        return Fail(ERROR_BAD_FORMAT);
    std::istringstream lines(bytes.substr(16));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t first = line.find('|');
        const std::size_t second = first == std::string::npos ? first : line.find('|', first + 1);
        if (second == std::string::npos)
            return Fail(ERROR_BAD_FORMAT);
        entries.push_back({static_cast<DWORD>(std::stoul(line.substr(0, first))),
                           line.substr(first + 1, second - first - 1), line.substr(second + 1)});
    }
    return true;
}

DWORD ImageCount(const std::vector<Entry>& entries)
{
    DWORD count = 0;
    for (const Entry& entry : entries)
        count = std::max(count, entry.image);
    return count;
}

// Writes image `index`'s files below `folder`, sending a progress message
// per file to the file's callbacks; false when a callback cancels.
bool WriteImage(const std::vector<Entry>& entries, DWORD index, const fs::path& folder, const Object* owner)
{
    for (const Entry& entry : entries) {
        if (entry.image != index)
            continue;
        const fs::path target = folder / fs::u8path(entry.path);
        std::error_code error;
        fs::create_directories(target.parent_path(), error);
        if (!(std::ofstream(target, std::ios::binary) << entry.content))
            return Fail(ERROR_WRITE_FAULT);
        for (const auto& [proc, data] : owner ? owner->callbacks : decltype(Object::callbacks){}) {
            if (proc(kMsgProgress, 100, 0, data) == kInvalidCallback)
                return Fail(ERROR_REQUEST_ABORTED);
        }
    }
    return TRUE;
}

}  // namespace

extern "C" {

__declspec(dllexport) HANDLE WINAPI WIMCreateFile(PCWSTR path, DWORD access, DWORD disposition, DWORD flags,
                                                  DWORD compression, PDWORD creationResult)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMCreateFile " + Utf8(path) + " " + Hex(access) + " " + std::to_string(disposition) + " " +
           Hex(flags) + " " + std::to_string(compression));
    if (!path || disposition != 3 /* WIM_OPEN_EXISTING */)
        return Fail<HANDLE>(ERROR_INVALID_PARAMETER);
    auto object = std::make_unique<Object>();
    if (!ReadArchive(path, object->entries))
        return nullptr;
    if (creationResult)
        *creationResult = 1;  // WIM_OPENED_EXISTING
    g_objects.insert(object.get());
    return object.release();
}

__declspec(dllexport) BOOL WINAPI WIMCloseHandle(HANDLE handle)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Object* object = Find(handle);
    Record(std::string("WIMCloseHandle ") + (object && object->index ? "image " : "file ") +
           (object ? std::to_string(object->index) : "invalid"));
    if (!object)
        return FALSE;
    g_objects.erase(object);
    delete object;
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI WIMSetTemporaryPath(HANDLE handle, PCWSTR path)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMSetTemporaryPath " + Utf8(path));
    return Find(handle) != nullptr;
}

__declspec(dllexport) DWORD WINAPI WIMGetImageCount(HANDLE handle)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMGetImageCount");
    const Object* object = Find(handle);
    return object ? ImageCount(object->entries) : 0;
}

__declspec(dllexport) HANDLE WINAPI WIMLoadImage(HANDLE handle, DWORD index)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMLoadImage " + std::to_string(index));
    Object* file = Find(handle);
    if (!file)
        return nullptr;
    if (file->index != 0 || index == 0 || index > ImageCount(file->entries))
        return Fail<HANDLE>(ERROR_INVALID_PARAMETER);
    auto image = std::make_unique<Object>(Object{file->entries, index, file, {}});
    g_objects.insert(image.get());
    return image.release();
}

__declspec(dllexport) BOOL WINAPI WIMApplyImage(HANDLE handle, PCWSTR path, DWORD flags)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMApplyImage " + Utf8(path) + " " + Hex(flags));
    const Object* image = Find(handle);
    if (!image)
        return FALSE;
    if (image->index == 0 || !path)
        return Fail(ERROR_INVALID_PARAMETER);
    const Object* file = g_objects.count(image->file) ? image->file : nullptr;
    return WriteImage(image->entries, image->index, fs::path(path), file);
}

__declspec(dllexport) BOOL WINAPI WIMGetImageInformation(HANDLE handle, PVOID* info, PDWORD size)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMGetImageInformation");
    const Object* object = Find(handle);
    if (!object)
        return FALSE;
    std::wstring xml = L"\xFEFF<WIM>";
    for (DWORD i = 1; i <= ImageCount(object->entries); ++i) {
        if (object->index == 0 || object->index == i)
            xml += L"<IMAGE INDEX=\"" + std::to_wstring(i) + L"\"></IMAGE>";
    }
    xml += L"</WIM>";
    *size = static_cast<DWORD>((xml.size() + 1) * sizeof(wchar_t));
    *info = ::LocalAlloc(LMEM_FIXED, *size);
    if (*info)
        std::memcpy(*info, xml.c_str(), *size);
    return *info != nullptr;
}

__declspec(dllexport) BOOL WINAPI WIMMountImage(PCWSTR mountPath, PCWSTR wimPath, DWORD index, PCWSTR tempPath)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMMountImage " + Utf8(mountPath) + " " + Utf8(wimPath) + " " + std::to_string(index) + " " +
           Utf8(tempPath));
    std::vector<Entry> entries;
    if (!ReadArchive(wimPath, entries))
        return FALSE;
    if (index == 0 || index > ImageCount(entries))
        return Fail(ERROR_INVALID_PARAMETER);
    if (!WriteImage(entries, index, fs::path(mountPath), nullptr))
        return FALSE;
    g_mounts.emplace_back(mountPath, wimPath);
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI WIMUnmountImage(PCWSTR mountPath, PCWSTR wimPath, DWORD index, BOOL commit)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMUnmountImage " + Utf8(mountPath) + " " + Utf8(wimPath) + " " + std::to_string(index) + " " +
           std::to_string(commit));
    const auto mount = std::find(g_mounts.begin(), g_mounts.end(), std::make_pair(std::wstring(mountPath), std::wstring(wimPath)));
    if (mount == g_mounts.end())
        return Fail(ERROR_NOT_FOUND);
    // An unmounted folder is left empty, as wimgapi leaves it.
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(mountPath), error))
        fs::remove_all(entry.path(), error);
    g_mounts.erase(mount);
    return TRUE;
}

__declspec(dllexport) DWORD WINAPI WIMRegisterMessageCallback(HANDLE handle, FARPROC proc, PVOID userData)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMRegisterMessageCallback");
    Object* object = Find(handle);
    if (!object)
        return kInvalidCallback;
    if (!proc)
        return Fail(ERROR_INVALID_PARAMETER, kInvalidCallback);
    object->callbacks.emplace_back(reinterpret_cast<MessageProc>(reinterpret_cast<void*>(proc)), userData);
    return static_cast<DWORD>(object->callbacks.size() - 1);
}

__declspec(dllexport) BOOL WINAPI WIMUnregisterMessageCallback(HANDLE handle, FARPROC proc)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMUnregisterMessageCallback");
    Object* object = Find(handle);
    if (!object)
        return FALSE;
    auto& callbacks = object->callbacks;
    const auto it = std::find_if(callbacks.begin(), callbacks.end(), [&](const auto& callback) {
        return reinterpret_cast<void*>(callback.first) == reinterpret_cast<void*>(proc);
    });
    if (it == callbacks.end())
        return Fail(ERROR_INVALID_PARAMETER);
    callbacks.erase(it);
    return TRUE;
}

}  // extern "C"
