// The OS-services library: files, folders, registry, power settings, program
// launch, events and the background thread, over Windows paths on every
// platform (see Machine.h for where they live on Linux).
//
// Paths: a folder's path ends with one backslash wherever this library returns
// it (GetPath, GetFullPath of a CDirectory, GetParentDirectory); a file's full
// path does not. Relative paths resolve against the Windows current directory.
#pragma once

#include <quen/Exceptions.h>
#include <quen/Export.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Thrown by the file operations of this library. Its source file names the
// library's class (".\Directory", ".\Filename"); the directory field holds the
// whole path concerned.
class QUEN_API CFileException : public EFileException {
public:
    using EFileException::EFileException;
};

// Windows file attribute bits.
enum EFileAttributes : uint32_t {
    eAttrReadOnly = 0x01,
    eAttrHidden = 0x02,
    eAttrSystem = 0x04,
    eAttrDirectory = 0x10,
    eAttrArchive = 0x20,
    eAttrNormal = 0x80,
};

class QUEN_API CFileSystemObject {
public:
    CFileSystemObject();
    explicit CFileSystemObject(const std::wstring& path);
    virtual ~CFileSystemObject();

    // The path with exactly one trailing backslash (an empty path stays empty).
    static std::wstring PathAddSlash(const std::wstring& path);
    // Sets an object's attributes (eAttrNormal clears them all).
    static bool SetAttributes(const std::wstring& path, uint32_t attributes);

    // Points the object at another folder: a file keeps its name, a directory
    // becomes that folder.
    virtual void SetPath(const std::wstring& folder);
    // The folder part, with a trailing backslash: a file's folder, or the
    // directory itself.
    std::wstring GetPath() const;
    // The object's full path: a file's folder and name; a directory's path
    // with a trailing backslash.
    virtual std::wstring GetFullPath() const;
    // Appends a path component (or several, separated by backslashes).
    virtual void PathAdd(const std::wstring& part);

    bool SetNormal() const;
    bool SetHidden() const;

protected:
    std::wstring m_folder;  // full path with a trailing backslash
};

class QUEN_API CFilename : public CFileSystemObject {
public:
    CFilename();
    explicit CFilename(const std::wstring& path);

    static bool Exists(const std::wstring& path);
    bool Exists() const;
    // Removes the file, clearing its read-only attribute first.
    static bool Delete(const std::wstring& path);

    void SetPath(const std::wstring& folder) override;
    std::wstring GetFullPath() const override;
    void PathAdd(const std::wstring& part) override;

    // The name without its extension ("setup" of "setup.exe").
    std::wstring GetName() const;
    // The name with its extension.
    std::wstring GetFullName() const;

private:
    std::wstring m_name;
};

// A folder, and optionally a listing of what it holds.
//
// A listing is loaded with a wildcard pattern (`*` and `?`, compared without
// regard to case) and two options: `recurse` descends into every subfolder,
// `includeFolders` lists folders too. (false, false) lists the files directly
// in the folder; (true, true) the whole tree. Listings are sorted by name
// without regard to case, so counts and the first file are stable.
class QUEN_API CDirectory : public CFileSystemObject {
public:
    explicit CDirectory(const std::wstring& path);
    // Loads a listing at once when `pattern` is not null.
    CDirectory(const std::wstring& path, const wchar_t* pattern, bool recurse, bool includeFolders);

    static bool Exists(const std::wstring& path);
    bool Exists() const;
    // Creates the folder and its missing parents; true when it exists afterwards.
    static bool Create(const std::wstring& path);
    bool Create() const;
    // Creates the folder, or empties it when it exists; false when it cannot.
    static bool EnsureEmptyDirExists(const std::wstring& path);
    bool EnsureEmptyDirExists() const;
    // Removes the folder with everything in it; true when it is gone.
    bool Delete() const;

    // The parent folder of a path, with a trailing backslash ("C:\a\" for both
    // "C:\a\b" and "C:\a\b\"); a root is its own parent.
    static std::wstring GetParentDirectory(const std::wstring& path);

    void SetOptions(bool recurse, bool includeFolders);
    // Replaces the listing. A folder that cannot be read throws CFileException;
    // a missing folder gives an empty listing.
    void LoadContents(const wchar_t* pattern);

    std::size_t GetFileCount() const;
    std::size_t GetDirectoryCount() const;
    // The first listed file, or null when none is listed.
    const CFilename* GetFirstFile() const;
    // Listed file `index` (0 to GetFileCount() - 1).
    const CFilename& operator[](std::size_t index) const;
    // Listed folder `index`, with a trailing backslash.
    const std::wstring& GetDirectory(std::size_t index) const;

    // Copies `file` into this folder under its own name. With `failIfExists`
    // false an existing file is replaced. Throws CFileException on failure,
    // and when source and target are the same file.
    void CopyFileHere(const CFilename& file, bool failIfExists) const;
    // Copies `source` as listed into this folder, under the source folder's
    // name: its listed files and folders, nothing else (nothing listed: an
    // empty folder). Throws CFileException on failure.
    void CopyDirectoryHere(const CDirectory& source, bool failIfExists) const;
    // The same, but into this folder itself.
    void CopyDirectoryContentsHere(const CDirectory& source, bool failIfExists) const;

private:
    void CopyListingTo(const std::wstring& target, bool failIfExists) const;

    bool m_recurse = false;
    bool m_includeFolders = false;
    std::vector<CFilename> m_files;
    std::vector<std::wstring> m_relativeFiles;    // paths below this folder, same order as m_files
    std::vector<std::wstring> m_directories;      // full paths with a trailing backslash
    std::vector<std::wstring> m_relativeDirectories;
};

enum class ERegistryRoot : uint32_t {
    ClassesRoot,
    CurrentUser,
    LocalMachine,
    Users,
    CurrentConfig,
};

class QUEN_API CRegistry {
public:
    // Reads a text value (REG_SZ or REG_EXPAND_SZ, unexpanded). An absent key
    // or value gives false and leaves `text` empty.
    static bool GetString(ERegistryRoot root, const std::wstring& key, const std::wstring& value,
                          std::wstring& text);
    // Writes a REG_SZ value, creating the key and its parents.
    static bool SetString(ERegistryRoot root, const std::wstring& key, const std::wstring& value,
                          const std::wstring& text);
};

class QUEN_API COsServices {
public:
    // The Windows directory, without a trailing backslash ("C:\Windows").
    static std::wstring GetWindowsDirectoryW();
    // The temporary folder, with a trailing backslash ("C:\Windows\Temp\").
    static std::wstring GetTempFolder();

    // true keeps the machine from blanking, sleeping or hibernating; false
    // gives the setting back. What is held ends with the process at the latest.
    static bool DisableScreenSaver(bool disable);
    static bool DisableStandby(bool disable);
    static bool DisableHibernation(bool disable);
    // true blocks shutdown, showing `reason` to whoever tries; false (reason
    // null) lifts the block.
    static bool DisableShutdown(bool disable, const wchar_t* reason);
};

class QUEN_API CExecuteCmd {
public:
    enum EEnding : int32_t {
        eExited = 0,    // by itself: the exit code is its own
        eTimedOut = 1,  // its time limit ended it and every process it started
        eStopped = 2,   // the stop flag ended it and every process it started
    };
    struct Options {
        // Each line of the program's output is logged (Info) after this text.
        std::wstring logPrefix;
        // Seconds the program may run; 0 waits as long as it runs.
        uint32_t timeoutSeconds = 0;
        // Set from any thread to end the program; may be set before the start.
        const std::atomic<bool>* stop = nullptr;
    };

    // Runs `program` with the argument text (split by the Windows command-line
    // rules), waits for its end and stores its exit code. Batch files (.bat,
    // .cmd) run through the command interpreter. flags 0 asks for the command
    // interpreter, 1 for a direct start. The program reads its standard input
    // from the null device; its standard output and error go to the log, line
    // by line, the first 64 KiB of them (the rest is counted in one more
    // line). Throws ELibraryException naming the program when it cannot be
    // started.
    static bool ExecuteProgram(const std::wstring& program, const std::wstring& arguments, uint32_t flags,
                               uint32_t& exitCode);
    // The same with a log prefix, a time limit and a stop flag.
    static EEnding ExecuteProgram(const std::wstring& program, const std::wstring& arguments, uint32_t flags,
                                  const Options& options, uint32_t& exitCode);
};

// A list of `void(*)(void*)` callbacks, each called once per firing, in the
// order registered, on the firing thread. A callback may register or
// unregister callbacks; the change shows from the next firing.
class QUEN_API CMulticastEvent {
public:
    using Callback = void (*)(void*);

    CMulticastEvent();
    ~CMulticastEvent();
    CMulticastEvent(const CMulticastEvent&) = delete;
    CMulticastEvent& operator=(const CMulticastEvent&) = delete;

    // false when the callback is null or registered already.
    bool Register(Callback callback);
    // false when the callback was not registered.
    bool Unregister(Callback callback);
    void FireEvent(void* payload);

private:
    mutable std::mutex m_mutex;
    std::vector<Callback> m_callbacks;
};

class CBackgroundOperation;

namespace quen::detail {
// The flags an operation shares with its thread, which may outlive it.
struct BackgroundState;
}  // namespace quen::detail

// What the background thread's function receives. It stays valid while the
// function runs, even when the operation is destroyed on its own thread.
class QUEN_API CBgThreadData {
public:
    CBgThreadData(CBackgroundOperation& operation, void* userData);
    void* GetUserData() const { return m_userData; }
    // True once the operation has been asked to stop.
    bool IsCancelled() const;

private:
    std::shared_ptr<const quen::detail::BackgroundState> m_state;
    void* m_userData;
};

// Runs one function on a thread of its own.
//
// The destructor asks the thread to stop and waits for it, unless it runs on
// that thread itself; then the thread is left to end on its own.
class QUEN_API CBackgroundOperation {
public:
    using Function = uint32_t (*)(CBgThreadData*);

    CBackgroundOperation();
    virtual ~CBackgroundOperation();
    CBackgroundOperation(const CBackgroundOperation&) = delete;
    CBackgroundOperation& operator=(const CBackgroundOperation&) = delete;

    // Starts the thread; false when `function` is null, when a thread still
    // runs, or when no thread can be made. A finished thread is joined first,
    // and a new start clears an earlier Cancel.
    bool Start(Function function, void* userData);
    // Asks the thread to stop; the function sees it through IsCancelled().
    void Cancel();
    bool IsCancelled() const;
    // True while the function runs.
    bool IsRunning() const;
    // Waits for the thread to end (returns at once on the thread itself).
    void Wait();
    // The function's result once it has ended.
    uint32_t ExitCode() const;

private:
    friend class CBgThreadData;

    std::thread m_thread;
    std::shared_ptr<quen::detail::BackgroundState> m_state;
};
