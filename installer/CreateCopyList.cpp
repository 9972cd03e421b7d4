// CInstaller: building the copy list, where each entry lies on the recovery
// discs.
#include <quen/Installer.h>
#include <quen/Logging.h>

#include "installer/CopyList.h"
#include "installer/RunSteps.h"

#include <memory>

bool quen::detail::RunSteps::CreateCopyList(CInstaller& installer, CCopyList& list)
{
    quen::Log(eLogInfo) << L"Creating copy list...";

    // The description is read once in the installer's life, from disc 1.
    if (!installer.m_descriptionOpened && DiscIsLoaded(installer, 1)) {
        installer.m_description.Open(installer.DescriptionPath());
        installer.m_descriptionOpened = true;
    }
    return installer.ListCopies(installer.m_description, installer.m_mediaType, installer.m_appInstallers,
                                installer.m_moduleInstallers, list);
}

std::wstring CInstaller::DescriptionPath() const
{
    // Beside the database, or in the folder above it.
    const std::wstring folder = CFileSystemObject::PathAddSlash(CFilename(m_database.GetPath()).GetPath());
    const std::wstring beside = folder + StrQuenHdRcvIni;
    return CFilename::Exists(beside) ? beside : folder + L"..\\" + StrQuenHdRcvIni;
}

bool CInstaller::ListCopies(const CQuenHDRecoveryIni& description, const std::wstring& mediaType,
                            const std::vector<CModuleInstaller*>& apps, const std::vector<CModuleInstaller*>& modules,
                            CCopyList& list)
{
    if (!apps.empty()) {
        auto fi = std::make_unique<CCopyAppsAndDrivers>(this);
        if (m_hardDiskSource) {
            quen::Log(eLogInfo) << L"Path to FI is " << fi->PathToFI();
            list.Add(std::move(fi));
        } else {
            const std::wstring release = fi->PathToRelease();
            const std::wstring name = fi->AppFileName();
            quen::Log(eLogInfo) << L"      Media Type: " << mediaType << L" Path to Release: " << release
                                << L"   Path to Image: " << fi->PathToFI() << L"            Name: " << name;
            std::vector<int> discs;
            bool found = description.MediaTypeContains(mediaType, release, &discs, false);
            if (!found) {
                found = description.MediaTypeContains(mediaType, CFileSystemObject::PathAddSlash(release) + name,
                                                        &discs, false);
            }
            if (!found) {
                quen::Log(eLogError) << L"Unable to find disc containing FI!";
                return false;
            }
            quen::Log(eLogInfo) << L"Path to FI media " << fi->PathToFI() << L" found on disc(s): "
                                << GetDiscList(discs);
            fi->SetDisc(discs.front());
            list.Add(std::move(fi));
            // Only the first disc's part is copied.
            for (std::size_t i = 1; i < discs.size(); ++i)
                quen::Log(eLogWarning) << L"FI is split! Currently unsupported!";
        }
    }

    for (CModuleInstaller* module : modules) {
        quen::Log(eLogInfo) << L"    Cust. Label: " << module->CustomerLabel();
        quen::Log(eLogInfo) << L"    Path to Rel: " << module->PathToRelease();
        quen::Log(eLogInfo) << L"             OS: " << module->OS();
        if (m_hardDiskSource) {
            list.Add(*module);
            continue;
        }
        std::vector<int> discs;
        if (!description.MediaTypeContains(mediaType, module->PathToRelease(), &discs, true)) {
            quen::Log(eLogError) << L"  >>  Disc not found!";
            module->MarkNotStaged();
            continue;
        }
        quen::Log(eLogInfo) << L" Found On Discs: " << GetDiscList(discs);
        module->SetDisc(discs.front());
        list.Add(*module);
        // A module split over several discs is copied once from each.
        for (std::size_t i = 1; i < discs.size(); ++i) {
            auto duplicate = std::make_unique<CModuleInstaller>(*module);
            quen::Log(eLogInfo) << L"Making dupe for split disc.";
            duplicate->SetDisc(discs[i]);
            list.Add(std::move(duplicate));
        }
    }

    if (!m_hardDiskSource)
        list.SortByDisc();
    return true;
}
