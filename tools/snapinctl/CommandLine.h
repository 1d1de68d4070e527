#pragma once
// snapinctl's command line, read with CLI11 and built from the command table.
#include "tools/snapinctl/Options.h"

#include <string>
#include <vector>

namespace snapinctl {

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
