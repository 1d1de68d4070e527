// A snap-in for the console tests. It records every call the console makes
// into it in HKCU\Software\VelmarkConsoleTests, value "Calls", as
// "init:NAME;", "action:NAME;", "shutdown:NAME;" (NAME: its own file name),
// and registers one menu item "Fixture item of NAME" whose state is the
// DWORD value "State" of the same key (0 when missing). When the DWORD value
// "Ask" is 1, the item's action also shows the dialog "Fixture question",
// which neither Escape nor any button closes.
#include "host/Admext32.h"
#include "registry/RegistryKey.h"

#include <windows.h>

#include <string>

#ifndef INIT_SNAPIN_RESULT
#define INIT_SNAPIN_RESULT 0
#endif

namespace {
const char kRecordKey[] = "Software\\VelmarkConsoleTests";
HMODULE g_self = nullptr;
std::string g_itemText;
unsigned long g_hostItemId = 0;

std::string OwnFileName() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(g_self, path, MAX_PATH);
    const std::string text(path, length);
    return text.substr(text.find_last_of('\\') + 1);
}

void Record(const char* call) {
    CRegistryKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRecordKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.Receive(), nullptr) !=
        0)
        return;
    char calls[4096] = "";
    DWORD size = sizeof calls - 1;
    RegQueryValueExA(key, "Calls", nullptr, nullptr, reinterpret_cast<BYTE*>(calls), &size);
    const std::string updated = std::string(calls) + call + ":" + OwnFileName() + ";";
    RegSetValueExA(key, "Calls", 0, REG_SZ, reinterpret_cast<const BYTE*>(updated.c_str()),
                   static_cast<DWORD>(updated.size() + 1));
}

DWORD ReadSetting(const char* name) {
    DWORD value = 0, size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, kRecordKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

INT_PTR CALLBACK IgnoreEverything(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

void AskUnanswerable() {
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass;
        wchar_t caption[17];
    } dialog{};
    dialog.header.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME;
    dialog.header.cx = 120;
    dialog.header.cy = 40;
    lstrcpyW(dialog.caption, L"Fixture question");
    DialogBoxIndirectParamA(g_self, &dialog.header, nullptr, IgnoreEverything, 0);
}

void __cdecl MenuValid(unsigned int* state) { *state = ReadSetting("State"); }

void __cdecl MenuAction() {
    Record("action");
    if (ReadSetting("Ask") == 1) AskUnanswerable();
}
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) g_self = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) int __cdecl InitSnapin(void) {
    Record("init");
    g_itemText = "Fixture item of " + OwnFileName();
    AdmRegisterMenuItem("FixtureMenu", 0, 0, 0, &g_hostItemId, g_itemText.c_str(), "Fixture hint", MenuAction,
                        MenuValid, 0);
    return INIT_SNAPIN_RESULT;
}

extern "C" __declspec(dllexport) void __cdecl ShutDown(void) { Record("shutdown"); }
