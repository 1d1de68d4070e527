#include "tests/tools/SnapinCtlRun.h"

#include "tests/support/Waits.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}


ProcessResult RunSnapinctl(const TempDir& dir, const std::string& arguments) {
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    // Files of their own each run: a process the last run started (Wine's
    // explorer, once WinVerifyTrust brought in user32) may still hold its files.
    static int run = 0;
    const std::string outPath = dir / ("stdout" + std::to_string(++run) + ".txt");
    const std::string errPath = dir / ("stderr" + std::to_string(run) + ".txt");
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out;
    startup.hStdError = err;
    const std::string exe = ExecutableDirectory() + "snapinctl.exe";
    std::string commandLine = "\"" + exe + "\" " + arguments;
    PROCESS_INFORMATION process{};
    bool ended = false;
    if (CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        ended = WaitForProcess(process.hProcess, 60000);
        if (ended)
            GetExitCodeProcess(process.hProcess, &result.exitCode);
        else
            ADD_FAILURE() << "snapinctl.exe " << arguments << " did not end";
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        ADD_FAILURE() << "cannot start " << exe << ": error " << GetLastError();
    }
    CloseHandle(out);
    CloseHandle(err);
    if (ended) {
        result.out = ReadFile(outPath);
        result.err = ReadFile(errPath);
    }
    return result;
}

