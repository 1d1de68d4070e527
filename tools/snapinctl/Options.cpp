#include "tools/snapinctl/Options.h"

#include "module/Version.h"
#include "tools/snapinctl/Output.h"

#include <CLI/CLI.hpp>

#include <cstring>
#include <sstream>

namespace snapinctl {

namespace {
const char kDescription[] =
    "Reads and changes the snap-in lists of the current user as PLUGWARD.DLL does.\n"
    "Exit status: 0 success; 1 an operation failed or a name is unknown; 2 a bad command line;\n"
    "3 list --check found an entry that is not ok.";

void AddCommonOptions(CLI::App& app, Options& options) {
    app.add_flag("--json", options.json, "one JSON object per line (UTF-8) instead of text");
    app.add_option("--host", options.host, "the host directory (default: the directory of snapinctl.exe)");
    app.add_option("--platform", options.platform, "which family of lists (default: the running platform's)")
        ->check(CLI::IsMember({"nt", "95"}));
    app.add_option("--hkcu", options.hkcu, "HKEY_CURRENT_USER becomes HKCU\\PATH");
}

void AddDryRun(CLI::App& sub, Options& options) {
    sub.add_flag("--dry-run", options.dryRun, "prints what the command would change and writes nothing");
}

void AddNamesCommand(CLI::App& app, Options& options, const char* name, Command command, const char* help) {
    CLI::App* sub = app.add_subcommand(name, help);
    sub->add_option("NAME", options.names, "value names, matched as the lists match them")->required();
    AddDryRun(*sub, options);
    sub->callback([&options, command] { options.command = command; });
}

void AddListCommands(CLI::App& app, Options& options) {
    CLI::App* list = app.add_subcommand("list", "every entry of the four lists, with its state");
    list->add_flag("--check", options.check, "exit status 3 when any entry's state is not ok");
    list->callback([&options] { options.command = Command::List; });

    CLI::App* prune = app.add_subcommand("prune", "removes the entries in the given states (default: missing)");
    prune->add_option("--state", options.states, "missing, directory, not-snapin, wrong-kind or bad-entry")
        ->check(CLI::IsMember({"missing", "directory", "not-snapin", "wrong-kind", "bad-entry"}));
    AddDryRun(*prune, options);
    prune->callback([&options] { options.command = Command::Prune; });

    CLI::App* exporter = app.add_subcommand("export", "writes the four lists of one family as they are");
    exporter->add_option("--format", options.format, "json (default), or reg: a REGEDIT4 file")
        ->check(CLI::IsMember({"json", "reg"}));
    exporter->add_option("-o,--output", options.outputFile, "the file to write (default: standard output)");
    exporter->callback([&options] { options.command = Command::Export; });

    CLI::App* apply = app.add_subcommand("apply", "makes the four lists of the document's family equal to it");
    apply->add_option("FILE", options.document, "a document written by export --format json")->required();
    AddDryRun(*apply, options);
    apply->callback([&options] { options.command = Command::Apply; });
}

void AddDiscoveryCommands(CLI::App& app, Options& options, std::string& newState) {
    app.add_subcommand("scan", "what start-up discovery would do with each DLL of the snap-ins directory; changes nothing")
        ->callback([&options] { options.command = Command::Scan; });
    CLI::App* sync = app.add_subcommand("sync", "writes the new snap-ins as a start-up does, without its dialog");
    sync->add_option("--new", newState, "enable: every new snap-in left checked; disable: every one cleared")
        ->required()
        ->check(CLI::IsMember({"enable", "disable"}));
    AddDryRun(*sync, options);
    sync->callback([&] {
        options.command = Command::Sync;
        options.enableNew = newState == "enable";
    });
    CLI::App* inspect = app.add_subcommand("inspect", "inspects files as start-up discovery does");
    inspect->add_option("FILE", options.files, "files to inspect")->required();
    inspect->callback([&options] { options.command = Command::Inspect; });
}

// --json before a "--" that ends the options, wherever the parse stopped.
bool AsksForJson(int argc, const char* const* argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        if (std::strcmp(argv[i], "--json") == 0) return true;
    return false;
}
}  // namespace

std::string VersionText() {
    return std::to_string(PLUGWARD_VERSION_MAJOR) + "." + std::to_string(PLUGWARD_VERSION_MINOR) + "." +
           std::to_string(PLUGWARD_VERSION_PATCH) + "." + std::to_string(PLUGWARD_VERSION_BUILD);
}

int ParseCommandLine(int argc, const char* const* argv, Options& options, std::string& out, std::string& err) {
    CLI::App app(kDescription, "snapinctl");
    app.fallthrough();  // common options may stand after the command
    app.require_subcommand(1);
    app.set_version_flag("--version", "snapinctl " + VersionText());
    AddCommonOptions(app, options);
    std::string newState;
    AddListCommands(app, options);
    AddDiscoveryCommands(app, options, newState);
    AddNamesCommand(app, options, "enable", Command::Enable, "moves entries to the enabled list of their kind");
    AddNamesCommand(app, options, "disable", Command::Disable, "moves entries to the disabled list of their kind");

    for (CLI::App* sub : app.get_subcommands({}))
        sub->footer("Common options, anywhere on the line: --json, --host DIR, --platform nt|95, --hkcu PATH "
                    "(see snapinctl --help).");

    std::ostringstream outText, errText;
    try {
        app.parse(argc, argv);
        return -1;
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error, outText, errText);
        out = outText.str();
        if (status == 0) return 0;
        err = AsksForJson(argc, argv) ? ErrorLine(error.what(), Record(), true)
                                      : "snapinctl: " + errText.str();
        return 2;
    }
}

}  // namespace snapinctl
