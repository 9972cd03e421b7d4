// The copy list of one run: what the staging copy puts into the work area,
// in copy order.
//
// Module entries are the installer's own module installers and are only
// referred to; the entries made while the list is built (the FI's entry, the
// duplicates of a module that lies on several discs) belong to the list and
// go with it.
#pragma once

#include <quen/CopyAppsAndDrivers.h>
#include <quen/ModuleInstaller.h>

#include <cstddef>
#include <memory>
#include <vector>

class CCopyList {
public:
    using const_iterator = std::vector<IModuleToCopy*>::const_iterator;

    // Appends an entry that stays its owner's.
    void Add(CModuleInstaller& module);
    // Appends an entry that the list takes over.
    void Add(std::unique_ptr<CCopyAppsAndDrivers> entry);
    void Add(std::unique_ptr<CModuleInstaller> duplicate);

    // Orders the entries by ascending disc, so that each disc is asked for
    // once; entries of one disc keep no particular order.
    void SortByDisc();

    std::size_t Size() const { return m_entries.size(); }
    IModuleToCopy* operator[](std::size_t index) const { return m_entries[index]; }
    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }

private:
    std::vector<IModuleToCopy*> m_entries;
    std::vector<std::unique_ptr<CCopyAppsAndDrivers>> m_ownedFI;
    std::vector<std::unique_ptr<CModuleInstaller>> m_ownedDuplicates;
};
