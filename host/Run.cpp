#include "Run.h"

#include "Console.h"
#include "DiscFolders.h"
#include "ExitCodes.h"
#include "JsonEvents.h"
#include "Machine.h"
#include "RunLog.h"
#include "RunSession.h"
#include "Text.h"

#include <quen/InstallDB.h>
#include <quen/Installer.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace quen::host {

int Run(const RunOptions& options)
{
    std::FILE* json = options.json ? TakeStandardOutput() : nullptr;
    std::FILE* human = json ? stderr : stdout;
    std::string error;
    try {
        PrepareMachine(options.machineRoot);
        const std::filesystem::path log = std::filesystem::absolute(options.log);
        RunLog runLog(log);

        const std::filesystem::path database = std::filesystem::absolute(options.database);
        const std::wstring databasePath =
            Reach(kDatabaseDrive, database.parent_path()) + database.filename().wstring();
        CInstallDB db(databasePath);

        std::shared_ptr<DiscFolders> discs;
        std::optional<PluginScope> burner;
        std::wstring source;
        if (!options.discs.empty()) {
            discs = std::make_shared<DiscFolders>(kSourceDrive, options.discs);
            source = Reach(kSourceDrive, options.discs.front());
            burner.emplace(L"MediaBurner", discs);
        } else {
            source = Reach(kSourceDrive, options.source.empty() ? options.drive : options.source);
        }
        // A destination that does not exist yet is made: a drive mapped to a
        // missing folder is not ready.
        if (!options.destination.empty())
            std::filesystem::create_directories(options.destination);
        const std::wstring destination =
            options.destination.empty() ? std::wstring(L"C:\\") : Reach(kDestinationDrive, options.destination);

        RunLog::Header(options, source, destination);
        CInstaller installer(db);
        installer.SetFlags(!options.source.empty(), false);
        installer.SetPaths(&source, &destination, nullptr, nullptr);
        installer.SetSetupTimeout(options.setupTimeout);
        RunSession session(installer, db, options, discs.get(), human, json, log);
        return session.Run();
    } catch (const EBaseException& e) {
        error = Readable(e);
    } catch (const std::exception& e) {
        error = e.what();
    }
    ReportError(json, error, kExitFailed);
    return kExitFailed;
}

}  // namespace quen::host
