#include <quen/InstallDB.h>

#include "foundation/WideString.h"
#include "support/installdb/DatabaseReader.h"
#include "support/installdb/ReadDocument.h"

namespace {

namespace db = quen::installdb;

db::DatabaseContents Load(const std::wstring& path)
{
    const auto bytes = db::ReadDocument(path, db::InstallDatabaseDocument);
    if (!bytes)
        throw EFileException(quen::Format(L"%s %s does not exist.", db::InstallDatabaseDocument, path), L".\\InstallDB",
                             __LINE__, EFileException::NotFound, path);
    return db::ParseInstallDatabase(*bytes, path);
}

}  // namespace

CInstallDB::CInstallDB(const std::wstring& path) : m_path(path)
{
    auto contents = Load(path);
    ImageRecord = std::move(contents.image);
    m_foundationImage = std::move(contents.foundationImage);
    m_applications = std::move(contents.applications);
    m_modules = std::move(contents.modules);
}

CInstallDB::CInstallDB(std::wstring path, CDataTable image, CDataTable foundationImage, CDataTableList applications,
                       CDataTableList modules)
    : ImageRecord(std::move(image)),
      m_path(std::move(path)),
      m_foundationImage(std::move(foundationImage)),
      m_applications(std::move(applications)),
      m_modules(std::move(modules))
{
}

CInstallDB::~CInstallDB() = default;
