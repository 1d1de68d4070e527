#pragma once
// snapinctl: the administration tool for the snap-in lists, kept apart from
// main() so that tests can run it in-process.
#include <cstdio>

namespace snapinctl {

// The whole program; its exit status (ExitStatus.h).
int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace snapinctl
