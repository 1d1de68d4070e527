#pragma once
// snapinctl's command line, read with CLI11.
#include <string>
#include <vector>

namespace snapinctl {

enum class Command { List, Scan, Sync, Enable, Disable, Inspect };

struct Options {
    Command command = Command::List;
    bool json = false;
    std::string host;      // --host DIR; empty: the directory of snapinctl.exe
    std::string platform;  // --platform nt|95; empty: the running platform's
    std::string hkcu;      // --hkcu PATH: HKEY_CURRENT_USER becomes HKCU\PATH
    bool enableNew = true;            // sync --new enable|disable
    std::vector<std::string> names;   // enable, disable
    std::vector<std::string> files;   // inspect
};

// Reads argv. Returns -1 with `options` filled when the command is to run;
// otherwise the exit status (0 after --help, 2 for a bad command line) with
// the text for stdout in `out` and for stderr in `err`.
int ParseCommandLine(int argc, const char* const* argv, Options& options, std::string& out, std::string& err);

}  // namespace snapinctl
