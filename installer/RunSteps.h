// The steps of a run over its installer's state: Install prepares it, and its
// thread lists what to stage, asks for the discs and stages the list. Each
// step stands alone, so that it can be taken on its own as well.
#pragma once

#include <quen/Installer.h>

#include <cstdint>
#include <string>

class CCopyList;
class CModuleInstaller;

namespace quen::detail {

struct RunSteps {
    // Sets the media type and the setup delay the image asks for, and
    // prepares the work area (CInstaller::ValidateDirectories).
    static void Prepare(CInstaller& installer, const std::wstring& mediaType);
    // A module installer for `record`, owned by the installer, added to its
    // applications and drivers or to its modules.
    static CModuleInstaller& AddModule(CInstaller& installer, const CDataTable* record, bool application);

    // The copy list of the run's module installers, by the recovery-media
    // description (read from disc 1 once in the installer's life); false
    // when the FI is on no disc.
    static bool CreateCopyList(CInstaller& installer, CCopyList& list);
    // Stages every entry of the list, one progress chunk each, asking for
    // each entry's disc. False when the host declined a disc; true when done
    // or stopped by a cancel.
    static bool CopyFiles(CInstaller& installer, CCopyList& list);

    // The number of the disc in the drive, read from the marker file
    // "<media type><number>" at the source's root; -1 when there is not
    // exactly one marker. `quiet` leaves out its log line.
    static int32_t GetDiscInDrive(const CInstaller& installer, bool quiet = false);
    // True once disc `disc` is in the drive (at once from a hard disk),
    // asking the host for it as often as the host answers yes; false when
    // the host gives up or the run is cancelled meanwhile, which ends the
    // run as cancelled and fires InstallFinished.
    static bool DiscIsLoaded(CInstaller& installer, int32_t disc);
    // Opens the drive of the source for the disc (through the "MediaBurner"
    // plug-in, skipped when there is none) and fires RecoveryMediaRequired;
    // true when the host has had the disc put in. A `repeat` of a request
    // logs no line of its own, and opens the drive only with `openDrive`.
    static bool RequestMedia(CInstaller& installer, int discIndex, bool repeat = false, bool openDrive = true);
};

}  // namespace quen::detail
