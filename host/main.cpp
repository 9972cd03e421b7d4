// quen-install: runs an installation of the Quen recovery installer from the
// command line.
#include "ExitCodes.h"
#include "Machine.h"
#include "Run.h"
#include "RunOptions.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace {

using quen::host::RunOptions;

void AddRunCommand(CLI::App& app, RunOptions& options, int& result)
{
    CLI::App* run = app.add_subcommand("run", "Install the modules of an install database from a recovery source");
    run->add_option("--database", options.database, "The install database (JSON)")
        ->required()
        ->check(CLI::ExistingFile);
    CLI::App* sources = run->add_option_group("recovery source", "Exactly one of these:");
    sources->add_option("--source", options.source, "A recovery folder that holds the whole source")
        ->check(CLI::ExistingDirectory);
    sources->add_option("--drive", options.drive,
                        "A drive (its folder on Linux) that holds numbered recovery discs one at a time; each "
                        "disc is asked for at the prompt")
        ->check(CLI::ExistingDirectory);
    quen::host::AddPlatformOptions(*run, *sources, options);
    sources->require_option(1);
    run->add_option("--media-type", options.mediaType,
                    "The discs' media type: their marker files are <media type>1, <media type>2, ...")
        ->capture_default_str();
    run->add_option("--destination", options.destination,
                    "Folder that relative setup paths resolve against (default: drive C: of the machine)");
    run->add_option("--log", options.log, "The log file (appended to)")->capture_default_str();
    run->add_flag("--json", options.json,
                  "Write every event as one JSON object per line to standard output; the rest goes to "
                  "standard error");
    run->callback([&options, &result] { result = quen::host::Run(options); });
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app("Runs installations of the Quen recovery installer.", "quen-install");
    app.set_version_flag("--version", "quen-install " QUEN_VERSION);
    app.require_subcommand(1);
    RunOptions options;
    int result = quen::host::kExitCompleted;
    AddRunCommand(app, options, result);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? quen::host::kExitCompleted : quen::host::kExitUsage;
    }
    return result;
}
