// CWIMFile: scrambled headers. The first 16 bytes of a scrambled file are
// XORed with a fixed key; the same transform unscrambles them. A scrambled
// file is never written: it is copied, and the copy unscrambled.
#include <quen/WIMFile.h>

#include <quen/Logging.h>
#include <quen/OsServices.h>

#include "foundation/WideString.h"
#include "platform/RawFile.h"
#include "platform/Text.h"
#include "wim/WimSupport.h"

#include <algorithm>
#include <array>
#include <string_view>

using quen::Log;
using quen::platform::RawFile;
using quen::wim::kSource;
using quen::wim::Text;

namespace {

constexpr std::size_t kHeaderBytes = 16;
constexpr std::array<unsigned char, kHeaderBytes> kKey = {'A', 'm', 'b', 'e', 'r', ' ', 'L', 'i',
                                                          'g', 'h', 't', 'h', 'o', 'u', 's', 'e'};

void ThrowIfNoFile(const wchar_t* path)
{
    if (!path || !*path || !CFilename::Exists(path))
        throw EFileException(L"Invalid or NULL WIM File specified.", kSource, __LINE__, EFileException::NotFound,
                             Text(path));
}

}  // namespace

bool CWIMFile::IsEncrypted(const wchar_t* path)
{
    ThrowIfNoFile(path);
    // A file that cannot be read gives no bytes, and so counts as scrambled.
    char header[kHeaderBytes];
    std::size_t got = 0;
    RawFile file;
    if (!file.Open(path, RawFile::Access::Read, RawFile::Share::ReadWrite) ||
        !file.ReadAt(0, header, sizeof header, got))
        got = 0;
    Log(eLogInfo) << L"Checking encryption for: " << path;
    const char* end = std::find(header, header + got, '\0');
    const std::string_view bytes(header, static_cast<std::size_t>(end - header));
    const bool plain = bytes.find("MSWIM") != std::string_view::npos;
    Log(eLogInfo) << (plain ? L"  Not Encrypted" : L"  Encrypted");
    return !plain;
}

void CWIMFile::ToggleEncryption(const wchar_t* path)
{
    ThrowIfNoFile(path);
    RawFile file;
    if (!file.Open(path, RawFile::Access::ReadWrite, RawFile::Share::ReadWrite))
        throw EFileException(L"Unable to open WIM file.", kSource, __LINE__, EFileException::OpenFailed, path);
    unsigned char header[kHeaderBytes];
    std::size_t got = 0;
    // A file shorter than the header is left as it is.
    if (!file.ReadAt(0, header, sizeof header, got) || got < sizeof header)
        return;
    for (std::size_t i = 0; i < kHeaderBytes; ++i)
        header[i] ^= kKey[i];
    // A header left half-written would be reported as unscrambled: say so.
    if (!file.WriteAt(0, header, sizeof header))
        throw EFileException(L"Unable to write WIM file.", kSource, __LINE__, EFileException::WriteFailed, path);
}

std::wstring CWIMFile::Decrypt(const wchar_t* wimPath, const wchar_t* workDir)
{
    std::wstring result;
    try {
        const CDirectory target(
            CFileSystemObject::PathAddSlash(workDir ? std::wstring(workDir) : COsServices::GetTempFolder()));
        const std::wstring folder = target.GetFullPath();
        CFilename file(Text(wimPath));
        // Copying a file into its own folder would copy it onto itself. The
        // folders compare as full paths, so `.`, `..`, either slash or a
        // relative spelling change nothing. A spelling that names the folder
        // another way (a link, a second drive mapped to it) gets past this
        // test but not past the copy: CopyFileHere refuses to copy a file
        // onto itself and never truncates it.
        if (quen::platform::EqualsNoCase(file.GetPath(), folder)) {
            const std::wstring message = quen::Format(L"Can not decrypt WIM file %s.", Text(wimPath));
            Log(eLogError) << message;
            throw ELibraryException(message, kSource, __LINE__);
        }
        target.CopyFileHere(file, false);
        file.SetPath(folder);
        file.SetNormal();
        result = file.GetFullPath();
        Log(eLogInfo) << L"Decrypting " << Text(wimPath) << L" to " << result;
        ToggleEncryption(result.c_str());
        Log(eLogInfo) << L"  File decrypted OK.";
    } catch (const EBaseException& error) {
        Log(eLogInfo) << L"Exception while decrypting WIM file: " << error.Message();
        if (!result.empty())
            CFilename::Delete(result);
        throw;
    }
    return result;
}

std::wstring CWIMFile::Encrypt(const wchar_t*)
{
    Log(eLogError) << L"CWIMFile::Encrypt() not implemented.";
    return std::wstring();
}
