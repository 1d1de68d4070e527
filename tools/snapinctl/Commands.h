#pragma once
// snapinctl's commands, one row each. The command line, --help and the
// dispatch are all built from this table: a command runs only through its
// own row.
#include "registry/SnapinRegistry.h"
#include "tools/snapinctl/CommandContext.h"
#include "tools/snapinctl/Options.h"

namespace CLI {
class App;
}

namespace snapinctl {

// What a command does with the organisation's policy when it cannot be read.
enum class UnreadablePolicy {
    Irrelevant,  // the command does not consult the policy
    Reported,    // the command runs, reports it and fails
    Refused,     // the command refuses to run: it would decide against a policy it cannot see
};

struct CommandRow {
    const char* name;
    const char* help;
    bool writes;     // changes the lists; --dry-run reports the changes instead
    bool usesLists;  // works on the lists that --hkcu and --platform choose
    bool needsHost;  // reads the files the entries name, in the host directory
    UnreadablePolicy unreadablePolicy;
    void (*addArguments)(CLI::App& command, Options& options);  // its own options and arguments
    int (*run)(const Options& options, CommandContext& context);
};

// The rows in the order --help lists them.
const CommandRow* CommandRows(size_t& count);

// The family --platform names; Running without it.
ListFamily PlatformOption(const Options& options);

}  // namespace snapinctl
