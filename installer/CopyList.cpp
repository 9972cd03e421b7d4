// The copy list: its entries, what it owns of them, and their order.
#include "installer/CopyList.h"

#include <algorithm>

void CCopyList::Add(CModuleInstaller& module) { m_entries.push_back(&module); }

void CCopyList::Add(std::unique_ptr<CCopyAppsAndDrivers> entry)
{
    m_entries.push_back(entry.get());
    m_ownedFI.push_back(std::move(entry));
}

void CCopyList::Add(std::unique_ptr<CModuleInstaller> duplicate)
{
    m_entries.push_back(duplicate.get());
    m_ownedDuplicates.push_back(std::move(duplicate));
}

void CCopyList::SortByDisc()
{
    std::sort(m_entries.begin(), m_entries.end(),
              [](const IModuleToCopy* a, const IModuleToCopy* b) { return a->GetDisc() < b->GetDisc(); });
}
