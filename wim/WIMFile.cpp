// CWIMFile: opening, closing, the open state, the temporary path and message
// callbacks.
#include <quen/WIMFile.h>

#include <quen/Logging.h>
#include <quen/OsServices.h>

#include "platform/Wimgapi.h"
#include "wim/WimSupport.h"

#include <utility>

using quen::Log;
using quen::wim::kSource;
using quen::wim::Text;
namespace wimgapi = quen::platform;

CWIMFile::CWIMFile(const wchar_t* path, const wchar_t* workDir, const wchar_t* tempPath)
    : m_path(Text(path)), m_tempPath(tempPath ? std::wstring(tempPath) : COsServices::GetTempFolder())
{
    try {
        Open(workDir);
    } catch (...) {
        // No destructor runs for an object whose constructor throws: release
        // what was made so far, the working copy included.
        Close();
        throw;
    }
}

CWIMFile::CWIMFile(const std::wstring& name, void* imageHandle) : m_handle(imageHandle), m_path(name) {}

CWIMFile::~CWIMFile() { Close(); }

bool CWIMFile::IsOpen() const { return m_handle != nullptr; }

bool CWIMFile::IsEncrypted() const { return m_handle != nullptr && m_encrypted; }

void CWIMFile::Open(const wchar_t* workDir)
{
    Log(eLogInfo) << L"Opening WIM file: " << m_path;
    if (IsEncrypted(m_path.c_str())) {
        Log(eLogInfo) << L"  WIM is encrypted";
        m_encrypted = true;
        // The path changes only once the copy exists: Close deletes the
        // file the path names when there is a scrambled path.
        std::wstring copy = Decrypt(m_path.c_str(), workDir);
        m_scrambledPath = std::exchange(m_path, std::move(copy));
    }
    RawOpen();
}

void CWIMFile::RawOpen()
{
    Log(eLogInfo) << L"Open WIM File: " << m_path;
    uint32_t creationResult = 0;
    m_handle = wimgapi::WIMCreateFile(m_path.c_str(), wimgapi::WIM_GENERIC_READ | wimgapi::WIM_GENERIC_MOUNT,
                                      wimgapi::WIM_OPEN_EXISTING, wimgapi::WIM_FLAG_VERIFY,
                                      wimgapi::WIM_COMPRESS_NONE, &creationResult);
    if (m_handle)
        return;
    const std::wstring error = quen::wim::FailureText();
    Log(eLogError) << L"Unable to open WIM file: " << m_path << L"  Error: " << error;
    quen::wim::LogFailureDetail();
    throw EFileException(error, kSource, __LINE__, EFileException::OpenFailed, m_path);
}

void CWIMFile::Close()
{
    Log(eLogInfo) << L"Cleaning up WIM File: " << m_mountDir << L"\\" << m_path;
    if (!m_mountDir.empty())
        wimgapi::WIMUnmountImage(m_mountDir.c_str(), m_path.c_str(), m_mountedIndex, false);
    for (auto& image : m_loadedImages)
        image.reset();  // in the order they were loaded
    m_loadedImages.clear();
    if (m_handle) {
        wimgapi::WIMCloseHandle(m_handle);
        m_handle = nullptr;
    }
    if (!m_scrambledPath.empty() && !m_path.empty())
        CFilename::Delete(m_path);
    m_path.clear();
    m_tempPath.clear();
}

void CWIMFile::ThrowIfNotOpen() const
{
    if (m_handle)
        return;
    if (!m_path.empty())
        throw EFileException(L"WIM File is not open.", kSource, __LINE__, EFileException::OpenFailed, m_path);
    throw EFileException(L"No WIM File path.", kSource, __LINE__, EFileException::OpenFailed, std::wstring());
}

void CWIMFile::SetTemporaryPath(const wchar_t* tempPath)
{
    ThrowIfNotOpen();
    Log(eLogInfo) << L"Setting reference file for image: " << m_path << L"  To: " << Text(tempPath);
    if (wimgapi::WIMSetTemporaryPath(m_handle, tempPath))
        return;
    const std::wstring error = quen::wim::FailureText();
    quen::wim::LogFailureDetail();
    throw ELibraryException(error, kSource, __LINE__);
}

bool CWIMFile::RegisterMessageCallback(MessageCallback callback, void* userData)
{
    if (wimgapi::WIMRegisterMessageCallback(m_handle, callback, userData) != wimgapi::INVALID_CALLBACK_VALUE) {
        m_messageCallback = callback;
        return true;
    }
    throw EFileException(L"Unable to register callback for WIM Image.", kSource, __LINE__,
                         EFileException::ImageApiFailed, m_path);
}

void CWIMFile::UnregisterMessageCallback()
{
    if (m_messageCallback)
        wimgapi::WIMUnregisterMessageCallback(m_handle, m_messageCallback);
}

std::wstring CWIMFile::GetExtractionDir() const { return std::wstring(); }
