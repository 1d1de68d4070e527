#pragma once
// What snapinctl's command line asks for (CommandLine.h reads it).
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

}  // namespace snapinctl
