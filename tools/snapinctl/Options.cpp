#include "tools/snapinctl/Options.h"

#include <CLI/CLI.hpp>

#include <sstream>

namespace snapinctl {

namespace {
const char kDescription[] =
    "Reads and changes the snap-in lists of the current user as PLUGWARD.DLL does.\n"
    "Exit status: 0 success; 1 an operation failed or a name is unknown; 2 a bad command line.";

void AddCommonOptions(CLI::App& app, Options& options) {
    app.add_flag("--json", options.json, "one JSON object per line (UTF-8) instead of text");
    app.add_option("--host", options.host, "the host directory (default: the directory of snapinctl.exe)");
    app.add_option("--platform", options.platform, "which family of lists (default: the running platform's)")
        ->check(CLI::IsMember({"nt", "95"}));
    app.add_option("--hkcu", options.hkcu, "HKEY_CURRENT_USER becomes HKCU\\PATH");
}

void AddNamesCommand(CLI::App& app, Options& options, const char* name, Command command, const char* help) {
    CLI::App* sub = app.add_subcommand(name, help);
    sub->add_option("NAME", options.names, "value names, matched as the lists match them")->required();
    sub->callback([&options, command] { options.command = command; });
}
}  // namespace

int ParseCommandLine(int argc, const char* const* argv, Options& options, std::string& out, std::string& err) {
    CLI::App app(kDescription, "snapinctl");
    app.fallthrough();  // common options may stand after the command
    app.require_subcommand(1);
    AddCommonOptions(app, options);

    app.add_subcommand("list", "every entry of the four lists, with its state")
        ->callback([&options] { options.command = Command::List; });
    app.add_subcommand("scan", "what start-up discovery would do with each DLL of the snap-ins directory; changes nothing")
        ->callback([&options] { options.command = Command::Scan; });
    CLI::App* sync = app.add_subcommand("sync", "writes the new snap-ins as a start-up does, without its dialog");
    std::string newState;
    sync->add_option("--new", newState, "enable: every new snap-in left checked; disable: every one cleared")
        ->required()
        ->check(CLI::IsMember({"enable", "disable"}));
    sync->callback([&] {
        options.command = Command::Sync;
        options.enableNew = newState == "enable";
    });
    AddNamesCommand(app, options, "enable", Command::Enable, "moves entries to the enabled list of their kind");
    AddNamesCommand(app, options, "disable", Command::Disable, "moves entries to the disabled list of their kind");
    CLI::App* inspect = app.add_subcommand("inspect", "inspects files as start-up discovery does");
    inspect->add_option("FILE", options.files, "files to inspect")->required();
    inspect->callback([&options] { options.command = Command::Inspect; });

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
        err = errText.str().empty() ? std::string() : "snapinctl: " + errText.str();
        return status == 0 ? 0 : 2;
    }
}

}  // namespace snapinctl
