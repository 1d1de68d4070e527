#include "tools/snapinctl/Options.h"

#include "module/Version.h"
#include "tools/snapinctl/Commands.h"
#include "tools/snapinctl/Errors.h"
#include "tools/snapinctl/ExitStatus.h"
#include "tools/snapinctl/ListDocument.h"

#include <CLI/CLI.hpp>

#include <cstring>
#include <sstream>

namespace snapinctl {

namespace {
const char kDescription[] =
    "Reads and changes the snap-in lists of the current user as PLUGWARD.DLL does.\n"
    "Exit status: 0 success; 1 an operation failed or a name is unknown; 2 a bad command line;\n"
    "3 list --check found an entry that is not ok or against the organisation's policy.";

void AddCommonOptions(CLI::App& app, Options& options) {
    app.add_flag("--json", options.json, "one JSON object per line (UTF-8) instead of text");
    app.add_option("--host", options.host, "the host directory (default: the directory of snapinctl.exe)");
    app.add_option("--platform", options.platform, "which family of lists (default: the running platform's)")
        ->check(CLI::IsMember({FamilyName(ListFamily::WindowsNT), FamilyName(ListFamily::Windows95)}));
    app.add_option("--hkcu", options.hkcu, "HKEY_CURRENT_USER becomes HKCU\\PATH");
    app.add_option("--hklm", options.hklm,
                   "HKEY_LOCAL_MACHINE becomes HKLM\\PATH: a machine policy tried before it is deployed");
}

// The whole command line: the common options and a subcommand for each row
// of the command table.
void BuildParser(CLI::App& app, Options& options) {
    app.fallthrough();  // common options may stand after the command
    app.require_subcommand(1);
    app.set_version_flag("--version", "snapinctl " + VersionText());
    AddCommonOptions(app, options);
    const std::string footer = std::string("Common options, anywhere on the line: --json, --host DIR, --platform ") +
                               FamilyName(ListFamily::WindowsNT) + "|" + FamilyName(ListFamily::Windows95) +
                               ", --hkcu PATH, --hklm PATH (see snapinctl --help).";
    size_t count = 0;
    const CommandRow* rows = CommandRows(count);
    for (size_t i = 0; i < count; ++i) {
        const CommandRow& row = rows[i];
        CLI::App* command = app.add_subcommand(row.name, row.help);
        row.addArguments(*command, options);
        if (row.writes)
            command->add_flag("--dry-run", options.dryRun, "prints what the command would change and writes nothing");
        command->callback([&options, &row] { options.command = &row; });
        command->footer(footer);
    }
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

std::vector<std::string> AcceptedCommands() {
    CLI::App app(kDescription, "snapinctl");
    Options options;
    BuildParser(app, options);
    std::vector<std::string> names;
    for (const CLI::App* command : app.get_subcommands({})) names.push_back(command->get_name());
    return names;
}

int ParseCommandLine(int argc, const char* const* argv, Options& options, std::string& out, std::string& err) {
    CLI::App app(kDescription, "snapinctl");
    BuildParser(app, options);
    std::ostringstream outText, errText;
    try {
        app.parse(argc, argv);
        return -1;
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error, outText, errText);
        out = outText.str();
        if (status == 0) return kExitSuccess;
        err = AsksForJson(argc, argv) ? ErrorLine(error.what(), Record(), true)
                                      : "snapinctl: " + errText.str();
        return kExitBadCommandLine;
    }
}

}  // namespace snapinctl
