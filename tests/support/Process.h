#pragma once
// Runs a program to completion and captures what it printed.
#include <string>

struct ProcessResult {
    unsigned long exitCode = 0xFFFFFFFF;
    std::string output;  // standard output and standard error together, with \n line ends
    bool started = false;
};

ProcessResult RunProcess(const std::string& commandLine, const std::string& workingDirectory = "");
