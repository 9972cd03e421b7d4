// CWIMFile: one WIM file and the images loaded from it.
//
// Constructing it opens the file; a file whose header is scrambled is first
// copied into a work folder and unscrambled there, and the copy is opened
// instead (the given file is never written). Closing (or destroying) it undoes
// everything it did: it unmounts what it mounted, closes its images and the
// file, and deletes the working copy.
//
//   CWIMFile wim(L"D:\\Modules\\app.mod", workDir, tempDir);
//   if (wim.IsOpen())
//       wim.ExtractImage(L"C:\\Windows\\Temp\\Quen\\Extracted\\app", 1);
//
// The static members read a file without opening it as a WIM: the header
// test and the working copy, and values of the first image's description.
// Failures throw the exceptions of Exceptions.h; see docs/wim.md.
#pragma once

#include <quen/Exceptions.h>
#include <quen/Export.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QUEN_API CWIMFile {
public:
    // A wimgapi message procedure (uint32_t(uint32_t message, uintptr_t wParam,
    // intptr_t lParam, void* userData)), passed as wimgapi takes it.
    using MessageCallback = intptr_t (*)();

    // Opens `path`, scrambled or not. `workDir` takes the unscrambled working
    // copy (null: the system's temporary folder); `tempPath` is the folder for
    // wimgapi's temporary files (null: the system's temporary folder).
    CWIMFile(const wchar_t* path, const wchar_t* workDir, const wchar_t* tempPath);
    virtual ~CWIMFile();
    CWIMFile(const CWIMFile&) = delete;
    CWIMFile& operator=(const CWIMFile&) = delete;

    bool IsOpen() const;
    // True when the open file was found scrambled.
    bool IsEncrypted() const;
    void SetTemporaryPath(const wchar_t* tempPath);
    // Registers a message procedure for the file's operations; throws
    // EFileException when wimgapi refuses it, never returns false.
    bool RegisterMessageCallback(MessageCallback callback, void* userData);
    // Unregisters the procedure registered last, if any.
    void UnregisterMessageCallback();
    // Always empty: the object keeps no extraction folder.
    std::wstring GetExtractionDir() const;

    // Loads image `index` (from 1); the image object belongs to this object
    // and lives until Close.
    CWIMFile& LoadImageW(uint32_t index);
    // Empties `directory` (creating it if needed) and applies image `index`
    // into it. A folder that holds the package or its working copy is refused
    // (ELibraryException) before anything is deleted; so it is for MountImage.
    void ExtractImage(const wchar_t* directory, uint32_t index);
    // Mounts image `index` on `directory`, which is first deleted with its
    // content and made again; the image is unmounted, discarding changes, at
    // Close or at the next MountImage.
    void MountImage(const wchar_t* directory, uint32_t index);
    // Adds a file whose resources the images may refer to (a split WIM's
    // other parts); `flags` are wimgapi's WIM_REFERENCE_* flags.
    void SetReferenceFile(const wchar_t* referencePath, uint32_t flags);
    // The XML description of the file (or of the image, for an image object),
    // as wimgapi gives it; false, with `out` unchanged, when it cannot.
    bool GetImageInformation(std::wstring& out);
    uint32_t GetImageCount();

    // True when the file's header is scrambled. Throws EFileException
    // (NotFound) when `path` is null, empty or not an existing file.
    static bool IsEncrypted(const wchar_t* path);
    // Copies `wimPath` into `workDir` (null: the system's temporary folder),
    // unscrambles the copy and returns its full path.
    static std::wstring Decrypt(const wchar_t* wimPath, const wchar_t* workDir);
    // Scrambling is not offered: logs an error and returns an empty string.
    static std::wstring Encrypt(const wchar_t* path);

    // The value of element `tag` (compared in upper case) of the first image
    // that has it, read from the XML at the end of the file. False, with `out`
    // unchanged, when there is none.
    static bool GetWimTag(const wchar_t* path, const wchar_t* tag, std::wstring& out);
    // Whether the file's RELEASEID equals `releaseId`, ignoring case. `out`
    // receives the file's RELEASEID whenever it has one.
    static bool MatchsReleaseID(const wchar_t* path, const wchar_t* releaseId, std::wstring& out);

private:
    // An image object over a loaded image's handle.
    CWIMFile(const std::wstring& name, void* imageHandle);

    void Open(const wchar_t* workDir);
    void RawOpen();
    void Close();
    void ThrowIfNotOpen() const;
    void ApplyImage(const wchar_t* directory, uint32_t flags);
    void RawMountImage(const wchar_t* directory, uint32_t index);
    static void ToggleEncryption(const wchar_t* path);

    void* m_handle = nullptr;
    std::wstring m_path;           // the file that is open: the given one or its working copy
    std::wstring m_scrambledPath;  // the given file, when it was scrambled
    std::wstring m_mountDir;
    std::wstring m_tempPath;
    bool m_encrypted = false;
    uint32_t m_mountedIndex = 0;
    MessageCallback m_messageCallback = nullptr;
    std::vector<std::unique_ptr<CWIMFile>> m_loadedImages;
};
