#include "tools/snapinctl/Commands.h"

#include "tools/snapinctl/ApplyCommands.h"
#include "tools/snapinctl/DiscoveryCommands.h"
#include "tools/snapinctl/ExitStatus.h"
#include "tools/snapinctl/FileState.h"
#include "tools/snapinctl/Inspect.h"
#include "tools/snapinctl/ListCommands.h"
#include "tools/snapinctl/PolicyCommands.h"

#include <CLI/CLI.hpp>

#include <iterator>

namespace snapinctl {

namespace {
void NoArguments(CLI::App&, Options&) {}

void ListArguments(CLI::App& command, Options& options) {
    command.add_flag("--check", options.check, "exit status 3 when any entry's state is not ok");
}

void PruneArguments(CLI::App& command, Options& options) {
    int count = 0;
    const char* const* names = PrunableStateNames(count);
    command.add_option("--state", options.states, "missing, directory, not-snapin, wrong-kind or bad-entry")
        ->check(CLI::IsMember(std::vector<std::string>(names, names + count)));
}

void ExportArguments(CLI::App& command, Options& options) {
    command.add_option("--format", options.format, "json (default), or reg: a REGEDIT4 file")
        ->check(CLI::IsMember({"json", "reg"}));
    command.add_option("-o,--output", options.outputFile, "the file to write (default: standard output)");
}

void ApplyArguments(CLI::App& command, Options& options) {
    command.add_option("FILE", options.document, "a document written by export --format json")->required();
}

void SyncArguments(CLI::App& command, Options& options) {
    command
        .add_option_function<std::string>(
            "--new", [&options](const std::string& state) { options.enableNew = state == "enable"; },
            "enable: every new snap-in left checked; disable: every one cleared")
        ->required()
        ->check(CLI::IsMember({"enable", "disable"}));
}

void InspectArguments(CLI::App& command, Options& options) {
    command.add_option("FILE", options.files, "files to inspect")->required();
}

void NameArguments(CLI::App& command, Options& options) {
    command.add_option("NAME", options.names, "value names, matched as the lists match them")->required();
}

int List(const Options& options, CommandContext& context) { return RunList(context, options.check); }
int Prune(const Options& options, CommandContext& context) { return RunPrune(context, options.states); }
int Export(const Options& options, CommandContext& context) {
    return RunExport(context, PlatformOption(options), options.format, options.outputFile);
}
int Apply(const Options& options, CommandContext& context) {
    return RunApply(context, PlatformOption(options), options.document);
}
int Scan(const Options&, CommandContext& context) { return RunScan(context); }
int Sync(const Options& options, CommandContext& context) { return RunSync(context, options.enableNew); }
int Enable(const Options& options, CommandContext& context) { return RunMove(context, true, options.names); }
int Disable(const Options& options, CommandContext& context) { return RunMove(context, false, options.names); }

int Policy(const Options&, CommandContext& context) { return RunPolicy(context); }
int Enforce(const Options&, CommandContext& context) { return RunEnforce(context); }

int Inspect(const Options& options, CommandContext& context) {
    for (const std::string& file : options.files) {
        const FileReport report = InspectFile(file);
        context.out.Write(InspectRecord(report), InspectText(report));
    }
    return kExitSuccess;
}

// clang-format off
const CommandRow kCommandRows[] = {
    // name, help, writes, usesLists, needsHost, an unreadable policy, arguments, run
    {"list", "every entry of the four lists, with its state and its standing in the policy",
     false, true, true, UnreadablePolicy::Reported, ListArguments, List},
    {"prune", "removes the entries in the given states (default: missing), except required ones",
     true, true, true, UnreadablePolicy::Refused, PruneArguments, Prune},
    {"export", "writes the four lists of one family as they are",
     false, true, false, UnreadablePolicy::Irrelevant, ExportArguments, Export},
    {"apply", "makes the four lists of the document's family equal to it, unless the policy forbids it",
     true, true, false, UnreadablePolicy::Refused, ApplyArguments, Apply},
    {"scan", "what start-up discovery would do with each DLL of the snap-ins directory; changes nothing",
     false, true, true, UnreadablePolicy::Reported, NoArguments, Scan},
    {"sync", "writes the new snap-ins as a start-up does, without its dialog; obeys Blocked and Required",
     true, true, true, UnreadablePolicy::Refused, SyncArguments, Sync},
    {"inspect", "inspects files as start-up discovery does",
     false, false, false, UnreadablePolicy::Irrelevant, InspectArguments, Inspect},
    {"enable", "moves entries to the enabled list of their kind, unless the policy blocks them",
     true, true, false, UnreadablePolicy::Refused, NameArguments, Enable},
    {"disable", "moves entries to the disabled list of their kind, unless the policy requires them",
     true, true, false, UnreadablePolicy::Refused, NameArguments, Disable},
    {"policy", "the organisation's effective policy: each setting, its source and what it ignored",
     false, true, false, UnreadablePolicy::Reported, NoArguments, Policy},
    {"enforce", "makes start-up's policy moves now: blocked entries disabled, required ones enabled",
     true, true, false, UnreadablePolicy::Refused, NoArguments, Enforce},
};
// clang-format on
}  // namespace

const CommandRow* CommandRows(size_t& count) {
    count = std::size(kCommandRows);
    return kCommandRows;
}

ListFamily PlatformOption(const Options& options) {
    ListFamily family = ListFamily::Running;
    ParseFamilyName(options.platform.c_str(), family);
    return family;
}

}  // namespace snapinctl
