// module_bench.exe: the cost of the real PLUGWARD.DLL to its host, under
// Wine, each figure with its floor from the same run:
//
//   module_bench [--brief] [--dialog] [--baseline DLL]
//
// copies itself, admext32.dll and PLUGWARD.DLL into a fresh host directory
// and runs there with a scratch HKEY_CURRENT_USER, printing one line per
// figure: "figure NAME MILLISECONDS" (medians of five runs; with --brief one
// run of the small cases, to show that everything still works; with --dialog
// the configuration dialog's cases alone). Exit status 1
// when a run went wrong (the module did not load, a dialog did not show its rows).
// With --baseline, an earlier PLUGWARD.DLL is timed in turn with this one in
// each start-up case ("figure startup/... today").
#include "bench/wine/BenchHost.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {
int RunInHost(const BenchOptions& options, const std::string& binDirectory) {
    ScratchHkcu hkcu;
    LoadedModule module;
    if (!module.loaded()) {
        std::fprintf(stderr, "module_bench: PLUGWARD.DLL did not load (%lu)\n", GetLastError());
        return 1;
    }
    // Loaded from a directory of its own below the host directory: a module
    // of the canonical name registers nothing.
    std::unique_ptr<LoadedModule> baseline;
    if (!options.baseline.empty()) baseline = std::make_unique<LoadedModule>(HostDirectory() + options.baseline);
    if (baseline && !baseline->loaded()) {
        std::fprintf(stderr, "module_bench: the baseline module did not load (%lu)\n", GetLastError());
        return 1;
    }
    // The dialog's rows are real snap-ins; they are gone again before the
    // start-up cases, where every file is rejected.
    BenchConfigDialog(options, module, binDirectory);
    if (options.dialogOnly) return FiguresFailed() ? 1 : 0;
    BenchStartup(options, module, baseline.get());
    BenchCheckImage(options);
    return FiguresFailed() ? 1 : 0;
}
}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    std::string binDirectory;
    bool inHost = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--brief") == 0) {
            options.brief = true;
        } else if (std::strcmp(argv[i], "--dialog") == 0) {
            options.dialogOnly = true;
        } else if (std::strcmp(argv[i], "--baseline") == 0 && i + 1 < argc) {
            options.baseline = argv[++i];
        } else if (std::strcmp(argv[i], "--in-host") == 0 && i + 1 < argc) {
            inHost = true;
            binDirectory = std::string(argv[++i]) + "\\";
        } else {
            std::fprintf(stderr, "usage: module_bench [--brief] [--dialog] [--baseline DLL]\n");
            return 2;
        }
    }
    if (inHost) return RunInHost(options, binDirectory);
    // Without its final backslash, which would escape the closing quote.
    const std::string bin = HostDirectory();
    return RunInFreshHost(std::string(options.brief ? "--brief " : "") + (options.dialogOnly ? "--dialog " : "") +
                              (options.baseline.empty() ? "" : std::string("--baseline ") + kBaselineModule + " ") +
                              "--in-host \"" + bin.substr(0, bin.size() - 1) + "\"",
                          options.baseline);
}
