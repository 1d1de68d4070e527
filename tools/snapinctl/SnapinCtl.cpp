#include "tools/snapinctl/SnapinCtl.h"

#include "registry/SnapinRegistry.h"
#include "tools/snapinctl/ApplyCommands.h"
#include "tools/snapinctl/DiscoveryCommands.h"
#include "tools/snapinctl/Inspect.h"
#include "tools/snapinctl/ListCommands.h"
#include "tools/snapinctl/Options.h"

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
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (result != 0) return static_cast<int>(result);
    result = override(HKEY_CURRENT_USER, key);
    RegCloseKey(key);
    return static_cast<int>(result);
}

// The host directory with its trailing backslash; 0 or a Win32 code.
int HostDirectoryOf(const Options& options, CString& directory) {
    if (options.host.empty()) return GetHostDirectory(directory);
    directory = options.host.c_str();
    const char last = options.host.back();
    if (last != '\\' && last != '/') directory += "\\";
    return 0;
}

ListFamily FamilyOf(const std::string& platform) {
    if (platform == "nt") return ListFamily::WindowsNT;
    if (platform == "95") return ListFamily::Windows95;
    return ListFamily::Running;
}

int Inspect(const Options& options, COutput& out) {
    for (const std::string& file : options.files) {
        const FileReport report = InspectFile(file);
        out.Write(InspectRecord(report), InspectText(report));
    }
    return 0;
}

// Commands that read the files the entries name: descriptions are read
// through the lists' relative paths, as in the host, whose current directory
// is the host directory.
int RunInHostDirectory(const Options& options, CommandContext& context) {
    if (!SetCurrentDirectoryA(context.hostDirectory)) {
        context.err.Report("cannot use the host directory " + AnsiToUtf8(context.hostDirectory.str()),
                           static_cast<int>(GetLastError()));
        return 1;
    }
    switch (options.command) {
        case Command::List: return RunList(context, options.check);
        case Command::Prune: return RunPrune(context, options.states);
        case Command::Scan: return RunScan(context);
        default: return RunSync(context, options.enableNew);
    }
}

int RunCommand(const Options& options, COutput& out, const CErrorOutput& err) {
    if (options.command == Command::Inspect) return Inspect(options, out);
    if (!options.hkcu.empty()) {
        const int result = RedirectCurrentUser(options.hkcu);
        if (result != 0) {
            err.Report("cannot use HKEY_CURRENT_USER\\" + options.hkcu, result);
            return 1;
        }
    }
    const ListFamily family = FamilyOf(options.platform);
    CSnapinRegistry registry(family);
    CommandContext context{registry, CString(), out, err, options.dryRun};
    switch (options.command) {
        case Command::Enable: return RunMove(context, true, options.names);
        case Command::Disable: return RunMove(context, false, options.names);
        case Command::Export: return RunExport(context, family, options.format, options.outputFile);
        case Command::Apply: return RunApply(context, family, options.document);
        default: break;
    }
    const int result = HostDirectoryOf(options, context.hostDirectory);
    if (result != 0) {
        err.Report("cannot determine the host directory", result);
        return 1;
    }
    return RunInHostDirectory(options, context);
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
    int status = 1;
    try {
        status = RunCommand(options, output, errors);
    } catch (const std::exception& error) {
        errors.Report(error.what());
    }
    return output.Finish() != 0 ? 1 : status;
}

}  // namespace snapinctl
