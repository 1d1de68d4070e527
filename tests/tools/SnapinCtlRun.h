#pragma once
// Runs snapinctl.exe from the bin directory as its own process.
#include "tests/support/Scratch.h"

#include <string>
#include <vector>

std::string ReadFile(const std::string& path);
std::vector<std::string> Lines(const std::string& text);

struct ProcessResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

// Runs snapinctl.exe with the given command-line tail; stdout and stderr go
// to files in `dir`.
ProcessResult RunSnapinctl(const TempDir& dir, const std::string& arguments);
