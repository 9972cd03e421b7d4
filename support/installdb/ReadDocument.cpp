#include "support/installdb/ReadDocument.h"

#include <quen/Exceptions.h>

#include "foundation/WideString.h"
#include "platform/Paths.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace quen::installdb {
namespace {

const wchar_t* const Source = L".\\ReadDocument";

EFileException CannotOpen(std::wstring_view document, const std::wstring& path, int line, const std::error_code& error)
{
    std::wstring message = Format(L"%s %s cannot be opened", document, path);
    if (error)
        message += L": " + FromUtf8Lossy(error.message());
    return EFileException(message + L".", Source, line, EFileException::OpenFailed, path);
}

}  // namespace

std::optional<std::string> ReadDocument(const std::wstring& path, std::wstring_view document)
{
    std::filesystem::path host;
    if (!platform::ToHostPath(path, host))
        throw EFileException(Format(L"%s %s is not a valid path.", document, path), Source, __LINE__,
                             EFileException::BadPath, path);

    std::error_code error;
    const auto status = std::filesystem::status(host, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return std::nullopt;
    if (error)
        throw CannotOpen(document, path, __LINE__, error);
    if (status.type() == std::filesystem::file_type::directory)
        throw EFileException(Format(L"%s %s is a folder, not a file.", document, path), Source, __LINE__,
                             EFileException::OpenFailed, path);

    errno = 0;
    std::ifstream in(host, std::ios::binary);
    if (!in)
        throw CannotOpen(document, path, __LINE__, std::error_code(errno, std::generic_category()));
    std::string bytes;
    char chunk[64 * 1024];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        throw EFileException(Format(L"%s %s cannot be read.", document, path), Source, __LINE__,
                             EFileException::ReadFailed, path);
    return bytes;
}

}  // namespace quen::installdb
