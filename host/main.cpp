// quen-install: runs an installation of the Quen recovery installer from the
// command line, and offers the library's tools to scripts.
#include "ExitCodes.h"
#include "Machine.h"
#include "Run.h"
#include "RunOptions.h"
#include "Tools.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

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
    quen::host::AddDiscOptions(*sources, options);
    sources->require_option(1);
    quen::host::AddMachineRootOption(*run, options.machineRoot);
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

struct ToolArguments {
    std::string path;
    std::string expected;
};

// The tools share the machine root of `run`.
void AddToolCommands(CLI::App& app, ToolArguments& arguments, std::filesystem::path& machineRoot, int& result)
{
    std::string& path = arguments.path;
    std::string& expected = arguments.expected;
    CLI::App* verify = app.add_subcommand(
        "verify-version", "Check a version as a module's version check does; prints the result code, its meaning "
                          "and the version found (exit code 0 when present, 1 when not)");
    verify->add_option("PATH", path, "A file or a registry value (a Windows path; %VARIABLES% expand)")->required();
    verify->add_option("EXPECTED", expected, "The version expected there")->required();
    quen::host::AddMachineRootOption(*verify, machineRoot);
    verify->callback([&path, &expected, &machineRoot, &result] {
        quen::host::PrepareMachine(machineRoot);
        result = quen::host::VerifyVersionTool(path, expected);
    });

    CLI::App* where = app.add_subcommand("path", "Print the host path behind a Windows path, for scripts");
    where->add_option("WINDOWS-PATH", path, "A Windows path, as the library resolves it")->required();
    quen::host::AddMachineRootOption(*where, machineRoot);
    where->callback([&path, &machineRoot, &result] {
        quen::host::PrepareMachine(machineRoot);
        result = quen::host::PathTool(path);
    });
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
    ToolArguments tools;
    AddToolCommands(app, tools, options.machineRoot, result);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? quen::host::kExitCompleted : quen::host::kExitUsage;
    } catch (const std::exception& e) {
        // A machine root that cannot be created, say.
        std::fprintf(stderr, "quen-install: %s\n", e.what());
        return quen::host::kExitFailed;
    }
    return result;
}
