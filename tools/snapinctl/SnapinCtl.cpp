#include "tools/snapinctl/SnapinCtl.h"

#include "files/PublisherTrust.h"

#include "files/SnapinFiles.h"
#include "registry/RegistryKey.h"
#include "registry/SnapinPolicy.h"
#include "registry/SnapinRegistry.h"
#include "tools/snapinctl/Commands.h"
#include "tools/snapinctl/ExitStatus.h"
#include "tools/snapinctl/Options.h"
#include "tools/snapinctl/PolicyCommands.h"
#include "tools/snapinctl/Text.h"

#include <windows.h>

#include <exception>

namespace snapinctl {

namespace {
// A predefined key of this process becomes its own subkey path, as the
// console's option does for HKEY_CURRENT_USER. The call is looked up at run time:
// Windows 95 and NT 4.0 lack it. 0 or a Win32 code.
using Override = LONG(WINAPI*)(HKEY, HKEY);

Override FindOverride() {
    return reinterpret_cast<Override>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegOverridePredefKey")));
}

// The key that --hklm puts in place of HKEY_LOCAL_MACHINE, held for the life
// of the process so that Authenticode's checks can step out of it and back.
CRegistryKey g_machineRedirect;

void MachineKeyScope(bool platform) { FindOverride()(HKEY_LOCAL_MACHINE, platform ? nullptr : HKEY(g_machineRedirect)); }

int Redirect(HKEY predefined, const std::string& path) {
    const Override override = FindOverride();
    if (!override) return ERROR_CALL_NOT_IMPLEMENTED;
    CRegistryKey key;
    LONG result = key.Create(predefined, path.c_str());
    if (result == 0) result = override(predefined, key);
    if (result == 0 && predefined == HKEY_LOCAL_MACHINE) {
        g_machineRedirect.Receive() = key.Detach();
        SetPlatformKeyScope(MachineKeyScope);
    }
    return static_cast<int>(result);
}

// --hkcu PATH makes HKEY_CURRENT_USER HKCU\PATH, --hklm PATH makes
// HKEY_LOCAL_MACHINE HKLM\PATH: a machine policy tried before it is deployed.
bool RedirectKeys(const Options& options, const CErrorOutput& err) {
    const struct {
        HKEY predefined;
        const std::string& path;
        const char* name;
    } redirections[] = {{HKEY_CURRENT_USER, options.hkcu, "HKEY_CURRENT_USER"},
                        {HKEY_LOCAL_MACHINE, options.hklm, "HKEY_LOCAL_MACHINE"}};
    for (const auto& redirection : redirections) {
        const int result = redirection.path.empty() ? 0 : Redirect(redirection.predefined, redirection.path);
        if (result != 0) {
            err.Report(std::string("cannot use ") + redirection.name + "\\" + redirection.path, result);
            return false;
        }
    }
    return true;
}

// Reads the policy for a command that consults it. False when the command
// must not run: the policy cannot be read and the command would act on it.
bool ReadPolicy(const CommandRow& row, CSnapinPolicy& policy, const CErrorOutput& err) {
    if (row.unreadablePolicy == UnreadablePolicy::Irrelevant) return true;
    const int result = policy.Read();
    if (result == 0) return true;
    const bool refused = row.unreadablePolicy == UnreadablePolicy::Refused;
    err.Report("cannot read the snap-in policy at " + UnreadPolicyKey(policy) + (refused ? "; changed nothing" : ""),
               result);
    return !refused;
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
    const CommandRow* row = options.command;
    if (!row) {
        err.Report("the command has no entry in the command table");
        return kExitFailure;
    }
    // --hklm also moves the certificate stores that inspect consults.
    if (!RedirectKeys(options, err)) return kExitFailure;
    CSnapinPolicy policy;
    if (!ReadPolicy(*row, policy, err)) return kExitFailure;
    CSnapinRegistry registry(PlatformOption(options));
    CommandContext context{registry, CString(), out, err, options.dryRun, policy};
    if (row->needsHost) {
        const int status = EnterHostDirectory(options, context);
        if (status != kExitSuccess) return status;
    } else if (HostDirectoryOf(options, context.hostDirectory) != 0) {
        context.hostDirectory.Empty();  // a command that can do without says so
    }
    const int status = row->run(options, context);
    return policy.Readable() ? status : kExitFailure;
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
