// VMADMIN.EXE: the administration console that hosts the snap-in modules.
#include "host/ConsoleDialogs.h"
#include "host/ConsoleLog.h"
#include "host/ConsoleOptions.h"
#include "host/ConsoleWindow.h"
#include "registry/RegistryKey.h"

#include <windows.h>

#include <cstdio>
#include <memory>

namespace {
// Makes HKCU\path the root of `predefined` for this process and the snap-ins
// in it. Each path is taken below the real HKCU, so the machine's root is
// redirected first.
bool Redirect(HKEY predefined, const std::string& path) {
    CRegistryKey key;
    if (RegCreateKeyExA(predefined, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.Receive(),
                        nullptr) != 0)
        return false;
    return RegOverridePredefKey(predefined, key) == 0;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "VMADMIN: %s\n", message.c_str());
    return 2;
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
}  // namespace

int main(int argc, char** argv) {
    // A snap-in that cannot be loaded is reported in the log, not in a system message box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // Snap-ins name their files relative to the host directory ("SNAPINS\X.DLL").
    SetCurrentDirectoryA(HostDirectory().c_str());
    ConsoleOptions options;
    std::string error;
    if (!ParseConsoleOptions(argc, argv, options, error)) return Fail(error);

    ConsoleLog log;
    if (!options.logPath.empty() && !log.OpenFile(options.logPath))
        return Fail("cannot write the log file " + options.logPath);
    if (!options.hklmPath.empty() && !Redirect(HKEY_LOCAL_MACHINE, options.hklmPath))
        return Fail("cannot use HKEY_LOCAL_MACHINE\\" + options.hklmPath);
    if (!options.hkcuPath.empty() && !Redirect(HKEY_CURRENT_USER, options.hkcuPath))
        return Fail("cannot use HKEY_CURRENT_USER\\" + options.hkcuPath);

    ConsoleHold hold(log, options);
    std::unique_ptr<DialogAnswerer> answerer;
    if (options.IsScripted()) answerer = std::make_unique<DialogAnswerer>(log, options.answers, hold);
    ConsoleWindow console(log, options, hold);
    if (!console.Open()) return Fail("cannot create the main window");
    return RunMessageLoop();
}
