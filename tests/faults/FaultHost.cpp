// The fault host: run from a host directory, it loads the module as the
// host console does, redirects the module's imports to the fault injector
// and plays one scenario again and again, failing one call per run.
//
//   fault_host --hkcu KEY --load NAME --scenario S --count
//       prints "calls NAME=N ..." for a run without faults
//   fault_host --hkcu KEY --load NAME --scenario S --sweep CALL FROM TO ...
//       prints "begin CALL K" before and "end CALL K ..." after each run
//
// After every run it checks the lists against the scenario, and the handle
// and heap figures against those from before the run.
#include "tests/faults/FaultInjector.h"
#include "tests/faults/FaultScenarios.h"
#include "tests/support/CurrentUser.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/ProcessFigures.h"
#include "tests/support/SnapinLists.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const int kListBoxIds[] = {1000, 1003};

struct Module {
    HMODULE handle = nullptr;
    int(__cdecl* init)() = nullptr;
    void(__cdecl* shutDown)() = nullptr;
    void(__cdecl* menuValid)(unsigned int*) = nullptr;
    void(__cdecl* menuAction)() = nullptr;
    void(__cdecl* resetHostMenu)() = nullptr;
};

template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool Load(const char* name, Module& m) {
    m.handle = LoadLibraryA(name);
    if (!m.handle) return false;
    m.init = Export<int(__cdecl*)()>(m.handle, "InitSnapin");
    m.shutDown = Export<void(__cdecl*)()>(m.handle, "ShutDown");
    m.menuValid = Export<void(__cdecl*)(unsigned int*)>(m.handle, "?MenuValid@CSnapinSetupMenu@@SAXPAI@Z");
    m.menuAction = Export<void(__cdecl*)()>(m.handle, "?MenuAction@CSnapinSetupMenu@@SAXXZ");
    m.resetHostMenu = Export<void(__cdecl*)()>(LoadLibraryA("admext32.dll"), "AdmResetMenuItems");
    return m.init && m.shutDown && m.menuValid && m.menuAction && m.resetHostMenu;
}

const char* const kLists[] = {kObjectOn, kObjectOff, kViewOn, kViewOff};

const char* ListLabel(const char* list) {
    if (list == kObjectOn) return "object-on";
    if (list == kObjectOff) return "object-off";
    return list == kViewOn ? "view-on" : "view-off";
}

void ResetLists(const FaultScenario& scenario) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmark");
    for (const ListEntry& entry : scenario.before) PutEntry(entry.list, entry.name, entry.data);
    ForgetMachinePolicy();
    for (const ListEntry& value : scenario.machinePolicy) PutMachinePolicy(value.list, value.name, value.data);
    if (scenario.trustsPublisher) PutMachinePolicy("", "RequireTrustedPublisher", "", 1);
}


bool SameEntry(const ListEntry& a, const ListEntry& b) {
    return a.list == b.list && lstrcmpiA(a.name.c_str(), b.name.c_str()) == 0 && a.data == b.data;
}

std::vector<ListEntry> ReadAllLists() {
    std::vector<ListEntry> entries;
    for (const char* list : kLists)
        for (const auto& value : ReadList(list)) entries.push_back({list, value.first, value.second});
    return entries;
}

bool Holds(const std::vector<ListEntry>& entries, const ListEntry& wanted) {
    return std::any_of(entries.begin(), entries.end(), [&](const ListEntry& e) { return SameEntry(e, wanted); });
}

std::string Describe(const char* what, const ListEntry& entry) {
    return std::string(what) + " " + ListLabel(entry.list) + ":" + entry.name + "=" + entry.data + ";";
}

// Nothing lost, nothing corrupted: every entry from before is where it was,
// or a move the scenario makes has it in its old or its new place; every
// entry is one from before or one the scenario may write. A run without
// faults must have made every change.
std::string CheckLists(const FaultScenario& scenario, bool withoutFaults) {
    const std::vector<ListEntry> after = ReadAllLists();
    std::string problems;
    auto moved = [&](const ListEntry& e) {
        return std::any_of(scenario.changes.begin(), scenario.changes.end(),
                           [&](const AllowedChange& c) { return !c.from.empty() && SameEntry(c.from[0], e); });
    };
    for (const ListEntry& entry : scenario.before)
        if (!moved(entry) && !Holds(after, entry)) problems += Describe("lost", entry);
    for (const AllowedChange& change : scenario.changes) {
        const bool made =
            std::any_of(change.to.begin(), change.to.end(), [&](const ListEntry& e) { return Holds(after, e); });
        const bool done = made && (change.from.empty() || !Holds(after, change.from[0]));
        if (withoutFaults && (change.byFaultOnly ? made : !done))
            problems += Describe(change.byFaultOnly ? "made-without-fault" : "not-made", change.to[0]);
        if (!change.from.empty() && !made && !Holds(after, change.from[0]))
            problems += Describe("lost", change.from[0]);
    }
    for (const ListEntry& entry : after) {
        bool allowed = Holds(scenario.before, entry);
        for (const AllowedChange& change : scenario.changes) allowed = allowed || Holds(change.to, entry);
        if (!allowed) problems += Describe("unexpected", entry);
    }
    return problems;
}

struct Outcome {
    bool injected = false;
    int init = 0;
    unsigned int menuState = 0;
    bool dialogFound = false;
    bool timedOut = false;
    long heap = 0;
    long handle = 0;
    std::string problems;
};

// One run of the scenario with call `call` failing at its k-th use (-1: none).
Outcome RunOnce(const Module& module, const FaultScenario& scenario, int call, unsigned long k) {
    ResetLists(scenario);
    if (scenario.inMenuAction) module.init();
    Outcome outcome;
    const ProcessFigures before = MeasureProcess();
    {
        DialogDriver driver(scenario.caption);
        for (const auto& texts : scenario.toggles) driver.PressSpaceOnText(kListBoxIds[scenario.inMenuAction], texts);
        driver.PressEnter().PressEnter().PressEnter();  // Enter again when a failed OK left the dialog open
        faults::Begin(call, k);
        if (scenario.inMenuAction) {
            outcome.menuState = 99;
            module.menuValid(&outcome.menuState);
            module.menuAction();
        } else {
            outcome.init = module.init();
            module.shutDown();
        }
        outcome.injected = faults::End();
        outcome.dialogFound = driver.Found();
        outcome.timedOut = driver.TimedOut();
    }
    const ProcessFigures after = MeasureProcess();
    if (scenario.inMenuAction) module.shutDown();
    module.resetHostMenu();
    outcome.heap = static_cast<long>(after.heapBytes - before.heapBytes);
    outcome.handle = static_cast<long>(after.nextHandle - before.nextHandle);

    std::string& problems = outcome.problems;
    problems = CheckLists(scenario, call < 0);
    if (outcome.init != 0 && outcome.init != -1) problems += "init-result;";
    if (scenario.inMenuAction && outcome.menuState != 0 && outcome.menuState != 3) problems += "menu-state;";
    if (outcome.timedOut) problems += "dialog-left-open;";
    if (call < 0 && scenario.dialogExpected && !outcome.dialogFound) problems += "no-dialog;";
    if (call < 0 && outcome.init != 0) problems += "start-failed;";
    if (outcome.heap != 0) problems += "heap;";
    if (outcome.handle != 0) problems += "handles;";
    return outcome;
}

void Report(const char* call, unsigned long k, const Outcome& o) {
    std::printf("end %s %lu injected=%d init=%d dialog=%s heap=%+ld handle=%+ld problems=%s\n", call, k, o.injected,
                o.init, o.timedOut ? "timeout" : o.dialogFound ? "found" : "none", o.heap, o.handle,
                o.problems.empty() ? "none" : o.problems.c_str());
    std::fflush(stdout);
}

// Leaves the process with a line instead of a debugger when the module
// crashes it.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    std::printf("crash code=%08lx\n", info->ExceptionRecord->ExceptionCode);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
}  // namespace

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(ReportCrash);
    std::string hkcu, load, scenarioName;
    int i = 1;
    for (; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--hkcu") hkcu = argv[i + 1];
        else if (option == "--load") load = argv[i + 1];
        else if (option == "--scenario") scenarioName = argv[i + 1];
        else break;
    }
    const FaultScenario* scenario = FindFaultScenario(scenarioName);
    Module module;
    // The machine's root lies below the scratch user's, and goes with it.
    if (!scenario || !OverrideCurrentUser((hkcu + "\\Machine").c_str(), HKEY_LOCAL_MACHINE) ||
        !OverrideCurrentUser(hkcu.c_str()) || !Load(load.c_str(), module)) {
        std::printf("setup failed\n");
        return 2;
    }
    std::vector<std::string> notImported;
    std::string error;
    if (!faults::Install(module.handle, notImported, error)) {
        std::printf("install failed: %s\n", error.c_str());
        return 2;
    }
    std::printf("not-imported");
    for (const std::string& name : notImported) std::printf(" %s", name.c_str());
    std::printf("\n");

    // Warm-up: what the platform sets up once is in place before any figure is taken.
    for (int round = 0; round < 2; ++round) RunOnce(module, *scenario, -1, 0);
    const Outcome clean = RunOnce(module, *scenario, -1, 0);
    Report("none", 0, clean);
    if (i < argc && std::strcmp(argv[i], "--count") == 0) {
        std::printf("calls");
        for (int call = 0; call < faults::CallCount(); ++call)
            std::printf(" %s=%lu", faults::CallName(call), faults::Calls(call));
        std::printf("\n");
        return 0;
    }
    if (i < argc && std::strcmp(argv[i], "--sweep") == 0) {
        for (++i; i + 2 < argc; i += 3) {
            const int call = faults::FindCall(argv[i]);
            const unsigned long from = std::strtoul(argv[i + 1], nullptr, 10);
            const unsigned long to = std::strtoul(argv[i + 2], nullptr, 10);
            for (unsigned long k = from; call >= 0 && k <= to; ++k) {
                std::printf("begin %s %lu\n", argv[i], k);
                std::fflush(stdout);
                Outcome outcome = RunOnce(module, *scenario, call, k);
                // What the platform sets up once, on the first use of a
                // path, is not a leak: the same run again must then come
                // back flat.
                if (outcome.heap != 0 || outcome.handle != 0) {
                    std::printf("first heap=%+ld handle=%+ld\n", outcome.heap, outcome.handle);
                    outcome = RunOnce(module, *scenario, call, k);
                }
                Report(argv[i], k, outcome);
            }
        }
    }
    return 0;
}
