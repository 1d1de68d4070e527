#include "tools/snapinctl/SnapinCtl.h"

#include "files/SnapinFiles.h"
#include "registry/RegistryKey.h"
#include "registry/SnapinRegistry.h"
#include "tools/snapinctl/Commands.h"
#include "tools/snapinctl/ExitStatus.h"
#include "tools/snapinctl/Options.h"
#include "tools/snapinctl/Text.h"

#include <windows.h>

#include <exception>

namespace snapinctl {

namespace {
// HKEY_CURRENT_USER of this process becomes HKCU\path, as the console's
// option does. The call is looked up at run time: Windows 95 and NT 4.0
// lack it. 0 or a Win32 code.
int RedirectCurrentUser(const std::string& path) {
    using Override = LONG(WINAPI*)(HKEY, HKEY);
    const auto override = reinterpret_cast<Override>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegOverridePredefKey")));
    if (!override) return ERROR_CALL_NOT_IMPLEMENTED;
    CRegistryKey key;
    const LONG result =
        RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.Receive(), nullptr);
    if (result != 0) return static_cast<int>(result);
    return static_cast<int>(override(HKEY_CURRENT_USER, key));
}

// The host directory with its trailing backslash; 0 or a Win32 code.
int HostDirectoryOf(const Options& options, CString& directory) {
    if (options.host.empty()) return GetHostDirectory(directory);
    directory = options.host.c_str();
    const char last = options.host.back();
    if (last != '\\' && last != '/') directory += "\\";
    return 0;
}

// Commands that read the files the entries name run in the host directory:
// descriptions are read through the lists' relative paths, as in the host,
// whose current directory is the host directory.
int EnterHostDirectory(const Options& options, CommandContext& context) {
    const int result = HostDirectoryOf(options, context.hostDirectory);
    if (result != 0) {
        context.err.Report("cannot determine the host directory", result);
        return kExitFailure;
    }
    if (!SetCurrentDirectoryA(context.hostDirectory)) {
        context.err.Report("cannot use the host directory " + AnsiToUtf8(context.hostDirectory.str()),
                           static_cast<int>(GetLastError()));
        return kExitFailure;
    }
    return kExitSuccess;
}

int RunCommand(const Options& options, COutput& out, const CErrorOutput& err) {
    const CommandRow* row = FindCommand(options.command);
    if (!row) {
        err.Report("the command has no entry in the command table");
        return kExitFailure;
    }
    if (row->usesLists && !options.hkcu.empty()) {
        const int result = RedirectCurrentUser(options.hkcu);
        if (result != 0) {
            err.Report("cannot use HKEY_CURRENT_USER\\" + options.hkcu, result);
            return kExitFailure;
        }
    }
    CSnapinRegistry registry(PlatformOption(options));
    CommandContext context{registry, CString(), out, err, options.dryRun};
    if (row->needsHost) {
        const int status = EnterHostDirectory(options, context);
        if (status != kExitSuccess) return status;
    }
    return row->run(options, context);
}
}  // namespace

int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    Options options;
    std::string outText, errText;
    const int parsed = ParseCommandLine(argc, argv, options, outText, errText);
    if (parsed >= 0) {
        std::fputs(outText.c_str(), out);
        std::fputs(errText.c_str(), err);
        return parsed;
    }
    COutput output(out, options.json);
    const CErrorOutput errors(err, options.json);
    int status = kExitFailure;
    try {
        status = RunCommand(options, output, errors);
    } catch (const std::exception& error) {
        errors.Report(error.what());
    }
    return output.Finish() != 0 ? kExitFailure : status;
}

}  // namespace snapinctl
