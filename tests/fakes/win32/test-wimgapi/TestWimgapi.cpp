// A wimgapi.dll for the Windows build's tests only; never shipped. It takes
// the calls the library makes, with wimgapi's signatures, over a stand-in
// archive, so that the library's Windows path (loading the DLL, its
// arguments, the system's errors) runs where no real wimgapi is present.
//
// Stand-in archive: the 16 header bytes "MSWIM\0\0\0" + 8 more, then one
// line per file: "<image index>|<path below the image root>|<content>\n".
// The image count is the highest index named.
//
// Every call appends one line with its arguments (UTF-8) to the file named by
// the environment variable QUEN_TEST_WIMGAPI_CALLS, when it is set.
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
    std::wstring path;
    std::vector<Entry> entries;
    DWORD index = 0;  // 0: the file; else an image of `file`
    Object* file = nullptr;
    std::vector<std::pair<MessageProc, PVOID>> callbacks;
};

// Recursive: a message callback may call back into the DLL.
std::recursive_mutex g_lock;
std::set<Object*> g_objects;

std::string Utf8(const wchar_t* text)
{
    if (!text)
        return "(null)";
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? static_cast<std::size_t>(size - 1) : 0, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

void Record(const std::string& line)
{
    wchar_t file[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"QUEN_TEST_WIMGAPI_CALLS", file, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    std::ofstream(fs::path(file), std::ios::app | std::ios::binary) << line << '\n';
}

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

BOOL Fail(DWORD code)
{
    ::SetLastError(code);
    return FALSE;
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
        const std::size_t second = line.find('|', first == std::string::npos ? first : first + 1);
        if (first == std::string::npos || second == std::string::npos)
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
        std::ofstream out(target, std::ios::binary);
        out << entry.content;
        if (!out)
            return Fail(ERROR_WRITE_FAULT);
        for (const auto& [proc, data] : owner ? owner->callbacks : decltype(Object::callbacks){}) {
            if (proc(kMsgProgress, 100, 0, data) == kInvalidCallback)
                return Fail(ERROR_REQUEST_ABORTED);
        }
    }
    return TRUE;
}

// Mounted folders by path, with the file and index they show.
std::vector<std::pair<std::wstring, std::wstring>> g_mounts;

}  // namespace

extern "C" {

__declspec(dllexport) HANDLE WINAPI WIMCreateFile(PCWSTR path, DWORD access, DWORD disposition, DWORD flags,
                                                  DWORD compression, PDWORD creationResult)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMCreateFile " + Utf8(path) + " " + Hex(access) + " " + std::to_string(disposition) + " " +
           Hex(flags) + " " + std::to_string(compression));
    if (!path || disposition != 3 /* WIM_OPEN_EXISTING */) {
        Fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_unique<Object>();
    if (!ReadArchive(path, object->entries))
        return nullptr;
    object->path = path;
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
    if (!Find(handle))
        return FALSE;
    return ::GetFileAttributesW(path ? path : L"") != INVALID_FILE_ATTRIBUTES;
}

__declspec(dllexport) BOOL WINAPI WIMSetReferenceFile(HANDLE handle, PCWSTR path, DWORD flags)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMSetReferenceFile " + Utf8(path) + " " + Hex(flags));
    std::vector<Entry> ignored;
    return Find(handle) && ReadArchive(path, ignored);
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
    if (file->index != 0 || index == 0 || index > ImageCount(file->entries)) {
        Fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto image = std::make_unique<Object>(Object{file->path, file->entries, index, file, {}});
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
    if (!info || !size)
        return Fail(ERROR_INVALID_PARAMETER);
    std::wstring xml = L"\xFEFF<WIM>";
    for (DWORD i = 1; i <= ImageCount(object->entries); ++i) {
        if (object->index == 0 || object->index == i)
            xml += L"<IMAGE INDEX=\"" + std::to_wstring(i) + L"\"></IMAGE>";
    }
    xml += L"</WIM>";
    const std::size_t bytes = (xml.size() + 1) * sizeof(wchar_t);
    *info = ::LocalAlloc(LMEM_FIXED, bytes);
    if (!*info)
        return FALSE;
    std::memcpy(*info, xml.c_str(), bytes);
    *size = static_cast<DWORD>(bytes);
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI WIMMountImage(PCWSTR mountPath, PCWSTR wimPath, DWORD index, PCWSTR tempPath)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMMountImage " + Utf8(mountPath) + " " + Utf8(wimPath) + " " + std::to_string(index) + " " +
           Utf8(tempPath));
    std::vector<Entry> entries;
    if (!mountPath || !wimPath || !ReadArchive(wimPath, entries))
        return FALSE;
    if (index == 0 || index > ImageCount(entries))
        return Fail(ERROR_INVALID_PARAMETER);
    if (!(::GetFileAttributesW(mountPath) & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(ERROR_DIRECTORY);
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
    for (auto it = g_mounts.begin(); it != g_mounts.end(); ++it) {
        if (mountPath && it->first == mountPath && wimPath && it->second == wimPath) {
            // An unmounted folder is left empty, as wimgapi leaves it.
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(fs::path(mountPath), error))
                fs::remove_all(entry.path(), error);
            g_mounts.erase(it);
            return TRUE;
        }
    }
    return Fail(ERROR_NOT_FOUND);
}

__declspec(dllexport) DWORD WINAPI WIMRegisterMessageCallback(HANDLE handle, FARPROC proc, PVOID userData)
{
    const std::lock_guard<std::recursive_mutex> hold(g_lock);
    Record("WIMRegisterMessageCallback");
    Object* object = Find(handle);
    if (!object)
        return kInvalidCallback;
    if (!proc) {
        Fail(ERROR_INVALID_PARAMETER);
        return kInvalidCallback;
    }
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
    for (auto it = callbacks.begin(); it != callbacks.end(); ++it) {
        if (!proc || reinterpret_cast<void*>(it->first) == reinterpret_cast<void*>(proc)) {
            callbacks.erase(it);
            return TRUE;
        }
    }
    return Fail(ERROR_INVALID_PARAMETER);
}

}  // extern "C"
