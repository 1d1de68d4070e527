#include "tests/support/Process.h"

#include <windows.h>

#include <vector>

ProcessResult RunProcess(const std::string& commandLine, const std::string& workingDirectory) {
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    result.started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                    workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup,
                                    &process) != FALSE;
    CloseHandle(writeEnd);
    if (result.started) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) result.output.append(buffer, got);
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result.exitCode = code;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    // Programs print in text mode; tests compare lines.
    std::string lines;
    for (char c : result.output)
        if (c != '\r') lines += c;
    result.output = lines;
    return result;
}
