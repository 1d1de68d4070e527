// GetHostDirectory: in this process, and in a probe process started from a
// drive's root and from a directory whose path is too long for 260 characters.
#include "files/SnapinFiles.h"
#include "tests/support/Scratch.h"
#include "tests/support/Waits.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ProbeRun {
    bool started;
    DWORD exitCode;
    std::string directory;  // what the probe wrote, when it succeeded
};

// Copies host_directory_probe.exe to `exePath` and runs it there.
ProbeRun RunProbeAt(const std::string& exePath, const std::string& outputPath) {
    ProbeRun run{false, 0, std::string()};
    const std::string probe = ExecutableDirectory() + "host_directory_probe.exe";
    if (!CopyFileA(probe.c_str(), exePath.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy the probe to " << exePath << ": error " << GetLastError();
        return run;
    }
    std::string commandLine = "\"" + exePath + "\" \"" + outputPath + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        run.exitCode = GetLastError();
        DeleteFileA(exePath.c_str());
        return run;
    }
    run.started = true;
    const bool ended = WaitForProcess(process.hProcess, 30000);
    if (!ended) ADD_FAILURE() << "the probe at " << exePath << " did not end";
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (ended) {
        std::ifstream in(outputPath, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        run.directory = text.str();
    }
    DeleteFileA(outputPath.c_str());
    DeleteFileA(exePath.c_str());
    return run;
}

}  // namespace

TEST(GetHostDirectory, IsTheExecutablesDirectoryWithBackslash) {
    CString directory;
    ASSERT_EQ(GetHostDirectory(directory), 0);
    ASSERT_GT(directory.GetLength(), 0);
    EXPECT_EQ(directory.GetString()[directory.GetLength() - 1], '\\');
    EXPECT_EQ(directory.str(), ExecutableDirectory());
    EXPECT_LE(directory.GetLength(), MAX_PATH);
}

TEST(GetHostDirectory, NotTheModulesButTheProcesssExecutable) {
    // Same answer from a probe in another directory: its own executable.
    TempDir dir;
    const ProbeRun run = RunProbeAt(dir / "PROBE.EXE", dir / "out.txt");
    ASSERT_TRUE(run.started) << "error " << run.exitCode;
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.directory, dir.path());
}

TEST(GetHostDirectory, RootOfADriveKeepsItsBackslash) {
    TempDir dir;
    const std::string exe = "C:\\plugward-probe-" + std::to_string(GetCurrentProcessId()) + ".exe";
    const ProbeRun run = RunProbeAt(exe, dir / "out.txt");
    ASSERT_TRUE(run.started) << "error " << run.exitCode;
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.directory, "C:\\");
}

// A probe copied to a path of exactly `length` characters, made of nested
// directories below `dir` (wide calls with the \\?\ prefix, which also
// work past 260 characters); everything is removed again.
ProbeRun RunProbeAtPathLength(const TempDir& dir, size_t length) {
    ProbeRun run{false, 0, std::string()};
    const std::string exeName = "P.EXE";
    std::wstring deep(dir.path().begin(), dir.path().end());  // ASCII
    std::vector<std::wstring> created;
    while (deep.size() + exeName.size() < length) {
        const size_t room = length - exeName.size() - deep.size();  // for "name\"
        const size_t nameLength = room > 60 ? 50 : room - 1;
        if (nameLength == 0) {
            deep.back() = L'x';  // cannot happen for the lengths used; keep the loop finite
            break;
        }
        deep += std::wstring(nameLength, L'd') + L"\\";
        if (!CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr)) {
            ADD_FAILURE() << "cannot create a " << deep.size() << "-character directory: error " << GetLastError();
            break;
        }
        created.push_back(deep);
    }
    const std::wstring exe = deep + std::wstring(exeName.begin(), exeName.end());
    EXPECT_EQ(exe.size(), length);
    const std::string probe = ExecutableDirectory() + "host_directory_probe.exe";
    const std::wstring probeWide(probe.begin(), probe.end());
    const std::string output = dir / "out.txt";
    if (CopyFileW(probeWide.c_str(), (L"\\\\?\\" + exe).c_str(), FALSE)) {
        std::wstring commandLine = L"\"" + exe + L"\" \"" + std::wstring(output.begin(), output.end()) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        run.started = CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &process) != FALSE;
        run.exitCode = GetLastError();
        if (run.started) {
            const bool ended = WaitForProcess(process.hProcess, 30000);
            GetExitCodeProcess(process.hProcess, &run.exitCode);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            if (ended) {
                std::ifstream in(output, std::ios::binary);
                std::stringstream text;
                text << in.rdbuf();
                run.directory = text.str();
            } else {
                ADD_FAILURE() << "the probe in a " << length << "-character path did not end";
            }
        }
        DeleteFileW((L"\\\\?\\" + exe).c_str());
    } else {
        ADD_FAILURE() << "cannot copy the probe: error " << GetLastError();
    }
    DeleteFileA(output.c_str());
    for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryW((L"\\\\?\\" + *it).c_str());
    return run;
}

TEST(GetHostDirectory, PathOf259CharactersFitsTheBuffer) {
    TempDir dir;
    const ProbeRun run = RunProbeAtPathLength(dir, 259);
    ASSERT_TRUE(run.started) << "error " << run.exitCode;
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.directory.size(), 259u - 5);
    EXPECT_EQ(run.directory.substr(0, dir.path().size()), dir.path());
    EXPECT_EQ(run.directory.back(), '\\');
}

TEST(GetHostDirectory, PathCutAt260CharactersIsAFailure) {
    // The platform cuts a longer path at the buffer's 260 characters;
    // GetHostDirectory must then fail with ERROR_INSUFFICIENT_BUFFER rather
    // than hand out a directory made from the cut text.
    TempDir dir;
    const ProbeRun run = RunProbeAtPathLength(dir, 260);
    if (!run.started) {
        GTEST_SKIP() << "the platform does not start programs from a 260-character path (error " << run.exitCode
                     << "); PlatformCutsTheModuleNameAtTheBufferSize shows the platform side";
    }
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(run.directory, "");
}

TEST(GetHostDirectory, PlatformCutsTheModuleNameAtTheBufferSize) {
    // What GetHostDirectory relies on: a name that does not fit comes back
    // cut to the buffer's size, with that size as the result and
    // ERROR_INSUFFICIENT_BUFFER as the last error.
    char full[MAX_PATH + 1] = {};
    const DWORD fullLength = GetModuleFileNameA(nullptr, full, MAX_PATH);
    ASSERT_GT(fullLength, 10u);
    char cut[8];
    SetLastError(0);
    const DWORD length = GetModuleFileNameA(nullptr, cut, sizeof cut);
    EXPECT_EQ(length, sizeof cut);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}
