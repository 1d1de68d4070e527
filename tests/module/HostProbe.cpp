// A minimal host for tests: run from a temporary host directory, it loads a
// snap-in module from that directory and drives it as the host console does,
// printing one line per step.
//
// A dialog script (--dialog CAPTION followed by --read/--space/--click/
// --enter/--escape steps) is played by a user in the dialog that the
// next --init or --action opens; the rows read are printed as
// "row=TEXT|CHECK". Any other modal dialog is reported with its rows and
// cancelled, as with the Escape key.
#include "tests/support/CurrentUser.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/ProcessFigures.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {
HMODULE g_module = nullptr;
std::string g_modulePath;
bool g_quiet = false;

void Say(const char* format, ...) {
    if (g_quiet) return;
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
}
std::unique_ptr<DialogDriver> g_driver;

std::string HostDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, length);
    return text.substr(0, text.find_last_of('\\') + 1);
}

void ReportRows(HWND listBox) {
    LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[512] = "";
        if (SendMessageA(listBox, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text))
            SendMessageA(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        Say("row=%s\n", text);
    }
}

BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    char caption[256] = "";
    GetWindowTextA(window, caption, sizeof caption);
    Say("dialog=%s\n", caption);
    for (int id : {1000, 1003})
        if (HWND list = GetDlgItem(window, id)) ReportRows(list);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return FALSE;
}

void CALLBACK WatchForDialogs(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_driver) EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
}

void ReportScript() {
    if (!g_driver) return;
    Say("script found=%d finished=%d\n", g_driver->Found(), g_driver->Finished());
    for (const SeenDialog& seen : g_driver->Seen()) {
        Say("seen=%s\n", seen.caption.c_str());
        for (const SeenRow& row : seen.rows) Say("row=%s|%d\n", row.text.c_str(), row.check);
    }
    g_driver.reset();
}

template <typename Function>
Function Export(const char* name) {
    return g_module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(g_module, name))) : nullptr;
}

void Step(const std::string& step, const char* argument) {
    if (step == "--hkcu") {
        Say("hkcu=%s\n", OverrideCurrentUser(argument) ? "ok" : "failed");
    } else if (step == "--load") {
        g_modulePath = HostDirectory() + argument;
        g_module = LoadLibraryA(g_modulePath.c_str());
        Say("load=%lu\n", g_module ? 0ul : GetLastError());
    } else if (step == "--init") {
        auto init = Export<int(__cdecl*)()>("InitSnapin");
        int result = init ? init() : -100;
        ReportScript();
        Say("InitSnapin=%d\n", result);
    } else if (step == "--shutdown") {
        if (auto shutDown = Export<void(__cdecl*)()>("ShutDown")) shutDown();
        Say("ShutDown\n");
    } else if (step == "--action") {
        if (auto action = Export<void(__cdecl*)()>("?MenuAction@CSnapinSetupMenu@@SAXXZ")) action();
        ReportScript();
        Say("MenuAction\n");
    }
}
}  // namespace

void SayFigures(const char* label, const ProcessFigures& f) {
    Say("%s handle-count=%lu next-handle=%lu next-gdi=%lu windows=%lu heap=%lu pagefile=%lu\n", label,
        f.handleCount, f.nextHandle, f.nextGdiObject, f.threadWindows, f.heapBytes, f.pagefileBytes);
}

// Forgets every snap-in list, so that the next start offers SNAPINS\ again.
void ForgetLists() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmark");
}

// One round as a user meets it: start (new snap-ins offered and closed),
// the configuration dialog opened and confirmed, stop. A cycle loads the
// module before and unloads it after; it opens no configuration dialog.
void SoakRound(bool cycle) {
    ForgetLists();
    if (cycle) g_module = LoadLibraryA(g_modulePath.c_str());
    {
        DialogDriver offer("New Snapins Installed");
        offer.PressEnter();
        Step("--init", "");
    }
    if (!cycle) {
        DialogDriver configure("Snapin Configuration");
        configure.PressEnter();
        Step("--action", "");
    }
    Step("--shutdown", "");
    if (cycle) FreeLibrary(g_module);
}

// Runs `rounds` rounds (or load-to-unload cycles) quietly and prints the
// process's figures after a warm-up of 20, half-way and at the end.
void Soak(int rounds, bool cycles) {
    const int warmUp = rounds < 40 ? 1 : 20;
    g_quiet = true;
    if (cycles) FreeLibrary(g_module);  // the module is loaded by the cycles alone
    ProcessFigures before, middle;
    for (int round = 0; round < rounds; ++round) {
        if (round == warmUp) before = MeasureProcess();
        if (round == rounds / 2) middle = MeasureProcess();
        SoakRound(cycles);
    }
    ProcessFigures after = MeasureProcess();
    g_quiet = false;
    if (cycles && GetModuleHandleA(g_modulePath.c_str())) Say("module-left-loaded\n");
    Say("%s rounds=%d\n", cycles ? "cycles" : "soak", rounds);
    SayFigures("before", before);
    SayFigures("middle", middle);
    SayFigures("after", after);
}

// Adds a step of the dialog script; returns how many arguments it used.
int ScriptStep(const std::string& step, char** args, int available) {
    auto number = [&](int i) { return i < available ? std::atoi(args[i]) : -1; };
    if (step == "--dialog" && available >= 1) {
        g_driver = std::make_unique<DialogDriver>(args[0]);
        return 1;
    }
    if (step == "--soak" && available >= 1) return Soak(std::atoi(args[0]), false), 1;
    if (step == "--cycles" && available >= 1) return Soak(std::atoi(args[0]), true), 1;
    if (!g_driver) return -1;
    if (step == "--read") return g_driver->ReadList(number(0)), 1;
    if (step == "--space") return g_driver->PressSpace(number(0), number(1)), 2;
    if (step == "--click") return g_driver->ClickCheckBox(number(0), number(1)), 2;
    if (step == "--enter") return g_driver->PressEnter(), 0;
    if (step == "--escape") return g_driver->PressEscape(), 0;
    return -1;
}

int main(int argc, char** argv) {
    SetTimer(nullptr, 0, 50, WatchForDialogs);
    for (int i = 1; i < argc; ++i) {
        std::string step = argv[i];
        int used = ScriptStep(step, argv + i + 1, argc - i - 1);
        if (used >= 0) {
            i += used;
            continue;
        }
        const char* argument = (step == "--hkcu" || step == "--load") && i + 1 < argc ? argv[++i] : "";
        Step(step, argument);
        std::fflush(stdout);
    }
    return 0;
}
