#include <quen/InstallDB.h>

CDataTableList::CDataTableList() = default;
CDataTableList::~CDataTableList() = default;
CDataTableList::CDataTableList(CDataTableList&& other) noexcept = default;
CDataTableList& CDataTableList::operator=(CDataTableList&& other) noexcept = default;

void CDataTableList::Add(CDataTable record)
{
    // Room first, so that the two vectors never disagree when memory runs out.
    m_records.reserve(m_records.size() + 1);
    m_owned.push_back(std::make_unique<CDataTable>(std::move(record)));
    m_records.push_back(m_owned.back().get());
}
