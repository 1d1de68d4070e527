// A minimal host for tests: run from a temporary host directory, it loads a
// snap-in module from that directory and drives it as the host console does,
// printing one line per step.
//
// A dialog script (--dialog CAPTION followed by --read/--space/--click/
// --enter/--escape/--button steps) is played by a user in the dialog that the
// next --init or --action opens; the rows read are printed as
// "row=TEXT|CHECK". Any other modal dialog is reported with its rows and
// cancelled, as with the Escape key.
#include "host/Admext32.h"
#include "tests/support/DialogDriver.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {
HMODULE g_module = nullptr;
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
        std::printf("row=%s\n", text);
    }
}

BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    char caption[256] = "";
    GetWindowTextA(window, caption, sizeof caption);
    std::printf("dialog=%s\n", caption);
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
    std::printf("script found=%d finished=%d\n", g_driver->Found(), g_driver->Finished());
    for (const SeenDialog& seen : g_driver->Seen()) {
        std::printf("seen=%s\n", seen.caption.c_str());
        for (const SeenRow& row : seen.rows) std::printf("row=%s|%d\n", row.text.c_str(), row.check);
    }
    g_driver.reset();
}

bool OverrideCurrentUser(const char* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
        return false;
    LONG result = RegOverridePredefKey(HKEY_CURRENT_USER, key);
    RegCloseKey(key);
    return result == 0;
}

template <typename Function>
Function Export(const char* name) {
    return g_module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(g_module, name))) : nullptr;
}

void Step(const std::string& step, const char* argument) {
    if (step == "--hkcu") {
        std::printf("hkcu=%s\n", OverrideCurrentUser(argument) ? "ok" : "failed");
    } else if (step == "--load") {
        g_module = LoadLibraryA((HostDirectory() + argument).c_str());
        std::printf("load=%lu\n", g_module ? 0ul : GetLastError());
    } else if (step == "--init") {
        auto init = Export<int(__cdecl*)()>("InitSnapin");
        int result = init ? init() : -100;
        ReportScript();
        std::printf("InitSnapin=%d\n", result);
    } else if (step == "--shutdown") {
        if (auto shutDown = Export<void(__cdecl*)()>("ShutDown")) shutDown();
        std::printf("ShutDown\n");
    } else if (step == "--valid") {
        unsigned int state = 0xFFFF;
        if (auto valid = Export<void(__cdecl*)(unsigned int*)>("?MenuValid@CSnapinSetupMenu@@SAXPAI@Z")) valid(&state);
        std::printf("MenuValid=%u\n", state);
    } else if (step == "--action") {
        if (auto action = Export<void(__cdecl*)()>("?MenuAction@CSnapinSetupMenu@@SAXXZ")) action();
        ReportScript();
        std::printf("MenuAction\n");
    } else if (step == "--items") {
        std::printf("items=%d\n", AdmGetMenuItemCount());
    } else if (step == "--unload") {
        if (g_module) FreeLibrary(g_module);
        g_module = nullptr;
        std::printf("unload\n");
    }
}
}  // namespace

// Adds a step of the dialog script; returns how many arguments it used.
int ScriptStep(const std::string& step, char** args, int available) {
    auto number = [&](int i) { return i < available ? std::atoi(args[i]) : -1; };
    if (step == "--dialog" && available >= 1) {
        g_driver = std::make_unique<DialogDriver>(args[0]);
        return 1;
    }
    if (!g_driver) return -1;
    if (step == "--read") return g_driver->ReadList(number(0)), 1;
    if (step == "--space") return g_driver->PressSpace(number(0), number(1)), 2;
    if (step == "--click") return g_driver->ClickCheckBox(number(0), number(1)), 2;
    if (step == "--button") return g_driver->ClickButton(number(0)), 1;
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
