#pragma once
// snapinctl's command line: what it asks for, and its reader (CommandLine.cpp,
// with CLI11, built from the command table).
#include <string>
#include <vector>

namespace snapinctl {

struct CommandRow;

struct Options {
    const CommandRow* command = nullptr;  // the row of the command to run
    bool json = false;
    std::string host;      // --host DIR; empty: the directory of snapinctl.exe
    std::string platform;  // --platform nt|95; empty: the running platform's
    std::string hkcu;      // --hkcu PATH: HKEY_CURRENT_USER becomes HKCU\PATH
    std::string hklm;      // --hklm PATH: HKEY_LOCAL_MACHINE becomes HKLM\PATH
    bool dryRun = false;              // every command that writes: write nothing
    bool check = false;               // list --check: exit 3 when an entry is not ok
    bool enableNew = true;            // sync --new enable|disable
    std::vector<std::string> names;   // enable, disable
    std::vector<std::string> files;   // inspect
    std::string format = "json";      // export --format json|reg
    std::string outputFile;           // export -o FILE; empty: standard output
    std::string document;             // apply FILE
    std::vector<std::string> states;  // prune --state; empty: missing
};

// The program's version, from module/Version.h: "1.0.0.1".
std::string VersionText();

// The command names the command line accepts, in the order --help lists them.
std::vector<std::string> AcceptedCommands();

// Reads argv. Returns -1 with `options` filled when the command is to run;
// otherwise the exit status (0 after --help or --version, 2 for a bad command
// line) with the text for stdout in `out` and for stderr in `err`. With
// --json anywhere on the line, a bad command line's message is a JSON error.
int ParseCommandLine(int argc, const char* const* argv, Options& options, std::string& out, std::string& err);

}  // namespace snapinctl
