#pragma once
// snapinctl: the administration tool for the snap-in lists, kept apart from
// main() so that tests can run it in-process.
#include <cstdio>

namespace snapinctl {

// The whole program: 0 success, 1 an operation failed or a name is
// unknown, 2 a bad command line, 3 list --check found an entry not ok.
int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace snapinctl
