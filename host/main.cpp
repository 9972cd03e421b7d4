// quen-install: runs an installation of the Quen recovery installer from the
// command line, and offers the library's tools to scripts.
#include "ExitCodes.h"
#include "JsonEvents.h"
#include "Machine.h"
#include "PathChecks.h"
#include "Plan.h"
#include "Run.h"
#include "RunOptions.h"
#include "Text.h"
#include "Tools.h"
#include "WimTools.h"

#include <quen/Exceptions.h>
#include <quen/Installer.h>

#include <CLI/CLI.hpp>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <string_view>
#include <string>

namespace {

using quen::host::RunOptions;

// The options `run` and `plan` share: the database, the recovery source,
// the machine and the media type.
void AddSourceOptions(CLI::App& command, RunOptions& options)
{
    command.add_option("--database", options.database, "The install database (JSON)")
        ->required()
        ->check(CLI::ExistingFile);
    CLI::App* sources = command.add_option_group("recovery source", "Exactly one of these:");
    sources->add_option("--source", options.source, "A recovery folder that holds the whole source")
        ->check(CLI::ExistingDirectory);
    sources->add_option("--drive", options.drive,
                        "A drive (its folder on Linux) that holds numbered recovery discs one at a time; each "
                        "disc is asked for at the prompt")
        ->check(CLI::ExistingDirectory);
    quen::host::AddDiscOptions(*sources, options);
    sources->require_option(1);
    quen::host::AddMachineRootOption(command, options.machineRoot);
    command
        .add_option("--media-type", options.mediaType,
                    "The discs' media type: their marker files are <media type>1, <media type>2, ...")
        ->capture_default_str();
}

bool Blank(const std::string& text)
{
    return text.find_first_not_of(" \t") == std::string::npos;
}

// What the options' own checks cannot see: how they go together.
void CheckSourceOptions(const RunOptions& options)
{
    if ((!options.discs.empty() || !options.drive.empty()) && Blank(options.mediaType))
        throw CLI::ValidationError("--media-type", "empty: the discs' marker files start with it");
}

void AddRunCommand(CLI::App& app, RunOptions& options, int& result)
{
    CLI::App* run = app.add_subcommand("run", "Install the modules of an install database from a recovery source");
    AddSourceOptions(*run, options);
    run->add_option("--destination", options.destination,
                    "Folder that relative setup paths resolve against (default: drive C: of the machine)")
        ->check(quen::host::NotBlank & quen::host::NoFile);
    run->add_option("--log", options.log, "The log file (appended to)")
        ->capture_default_str()
        ->check(quen::host::NotBlank);
    run->add_option("--setup-timeout", options.setupTimeout,
                    "Seconds a setup program may run before it, and every process it started, is ended (0: no "
                    "limit)")
        ->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    run->add_flag("--json", options.json,
                  "Write every event as one JSON object per line to standard output; the rest goes to "
                  "standard error");
    run->add_flag("--plain", options.plain, "Plain lines instead of the progress bar, without control sequences");
    CLI::Option* quiet =
        run->add_flag("--quiet,-q", options.quiet, "Only errors, disc prompts and the summary");
    run->add_flag("--verbose,-v", options.verbose, "Also the library's log lines at Info, on standard error")
        ->excludes(quiet);
    run->callback([&options, &result] {
        CheckSourceOptions(options);
        result = quen::host::Run(options);
    });
}

void AddPlanCommand(CLI::App& app, RunOptions& options, int& result)
{
    CLI::App* plan = app.add_subcommand(
        "plan", "Dry run: print the copy list disc by disc and every problem the run would meet (invalid records, "
                "unsafe paths, missing folders and packages), touching nothing; exit code 1 when there are problems");
    AddSourceOptions(*plan, options);
    plan->add_flag("--json", options.json, "Write the copy list and the problems as one JSON document");
    plan->callback([&options, &result] {
        CheckSourceOptions(options);
        std::FILE* json = options.json ? stdout : nullptr;
        try {
            result = quen::host::Plan(options);
        } catch (const EBaseException& e) {
            result = quen::host::kExitFailed;
            quen::host::ReportError(json, quen::host::Readable(e), result);
        } catch (const std::exception& e) {
            result = quen::host::kExitFailed;
            quen::host::ReportError(json, e.what(), result);
        }
    });
}

struct ToolArguments {
    std::string path;
    std::string expected;
    std::string tag;
    std::filesystem::path file;
    std::filesystem::path folder;
    std::filesystem::path destination;
    uint32_t index = 1;
};

// Runs a tool; a library exception is its failure.
template <typename Tool>
std::function<void()> Guarded(std::filesystem::path& machineRoot, int& result, Tool tool)
{
    return [&machineRoot, &result, tool] {
        try {
            quen::host::PrepareMachine(machineRoot);
            result = tool();
        } catch (const EBaseException& e) {
            result = quen::host::kExitFailed;
            quen::host::ReportError(nullptr, quen::host::Readable(e), result);
        }
    };
}

// The tools share the machine root of `run`.
void AddToolCommands(CLI::App& app, ToolArguments& arguments, std::filesystem::path& machineRoot, int& result)
{
    CLI::App* verify = app.add_subcommand(
        "verify-version", "Check a version as a module's version check does; prints the result code, its meaning "
                          "and the version found (exit code 0 when present, 1 when not)");
    verify->add_option("PATH", arguments.path,
                       "A file or a registry value, as a record's VersionPath (%PROGRAMFILES64% and %VARIABLES% "
                       "expand; a relative file path is placed below --destination)")
        ->required();
    verify->add_option("EXPECTED", arguments.expected, "The version expected there")->required();
    verify->add_option("--destination", arguments.destination,
                       "Folder that a relative PATH resolves against, as in run (default: drive C: of the machine)")
        ->check(quen::host::NotBlank & quen::host::NoFile);
    quen::host::AddMachineRootOption(*verify, machineRoot);
    verify->callback(Guarded(machineRoot, result, [&arguments] {
        return quen::host::VerifyVersionTool(arguments.path, arguments.expected, arguments.destination);
    }));

    CLI::App* where = app.add_subcommand("path", "Print the host path behind a Windows path, for scripts");
    where->add_option("WINDOWS-PATH", arguments.path,
                      "A Windows path, as the library resolves it (%PROGRAMFILES64% and %VARIABLES% expand)")
        ->required();
    quen::host::AddMachineRootOption(*where, machineRoot);
    where->callback(Guarded(machineRoot, result, [&arguments] { return quen::host::PathTool(arguments.path); }));
}

void AddWimCommands(CLI::App& app, ToolArguments& arguments, std::filesystem::path& machineRoot, int& result)
{
    CLI::App* wim = app.add_subcommand("wim", "Look into WIM packages as the installer reads them");
    wim->require_subcommand(1);
    const auto command = [&](const char* name, const char* description) {
        CLI::App* sub = wim->add_subcommand(name, description);
        sub->add_option("FILE", arguments.file, "The WIM package")->required()->check(CLI::ExistingFile);
        quen::host::AddMachineRootOption(*sub, machineRoot);
        return sub;
    };
    command("info", "Whether the header is scrambled, the image count and the XML description")
        ->callback(Guarded(machineRoot, result, [&arguments] { return quen::host::WimInfo(arguments.file); }));
    CLI::App* tag = command("tag", "The value of an element of the image description (exit code 1 when none)");
    tag->add_option("TAG", arguments.tag, "The element, RELEASEID say")->required();
    tag->callback(Guarded(machineRoot, result,
                          [&arguments] { return quen::host::WimTag(arguments.file, arguments.tag); }));
    CLI::App* extract = command("extract", "Apply an image into a folder that is empty or absent");
    extract->add_option("FOLDER", arguments.folder, "Where the image's files go")->required();
    extract->add_option("--index", arguments.index, "The image, from 1")->capture_default_str();
    extract->callback(Guarded(machineRoot, result, [&arguments] {
        return quen::host::WimExtract(arguments.file, arguments.folder, arguments.index);
    }));
    CLI::App* descramble =
        command("descramble", "Write an unscrambled copy of a scrambled package into a folder; prints its path");
    descramble->add_option("FOLDER", arguments.folder, "Where the copy goes")->required();
    descramble->callback(Guarded(machineRoot, result, [&arguments] {
        return quen::host::WimDescramble(arguments.file, arguments.folder);
    }));
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
    AddPlanCommand(app, options, result);
    ToolArguments tools;
    AddToolCommands(app, tools, options.machineRoot, result);
    AddWimCommands(app, tools, options.machineRoot, result);
    // The JSON asked for on a command line that cannot be parsed.
    bool json = false;
    options.commandLine = "quen-install";
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        json = json || argument == "--json";
        const bool quote = argument.empty() || argument.find_first_of(" \t'\"") != std::string_view::npos;
        options.commandLine += quote ? " '" + std::string(argument) + "'" : " " + std::string(argument);
    }
    if (argc > 1 && argv[1][0] != '-') {
        const auto known = app.get_subcommands([&argv](CLI::App* command) { return command->check_name(argv[1]); });
        if (known.empty()) {
            const std::string message = std::string("unknown command '") + argv[1] +
                                        "'; the commands are run, plan, verify-version, path and wim";
            quen::host::ReportError(json ? stdout : nullptr, message, quen::host::kExitUsage);
            return quen::host::kExitUsage;
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (app.exit(e) == 0)
            return quen::host::kExitCompleted;
        if (json)
            quen::host::JsonEvents(stdout).Error(0.0, e.what(), quen::host::kExitUsage);
        return quen::host::kExitUsage;
    } catch (const std::exception& e) {
        // A machine root that cannot be created, say.
        quen::host::ReportError(json ? stdout : nullptr, e.what(), quen::host::kExitFailed);
        return quen::host::kExitFailed;
    }
    // A run whose installer was destroyed from its callback still removes the
    // work area; on Windows nothing waits for it once main has returned.
    CInstaller::WaitForAbandonedRuns();
    return result;
}
