// A demonstration snap-in; the build makes three of them from this file
// (DEMO_SNAPIN picks the texts, DemoSnapins.h). InitSnapin registers the
// snap-in's own menu item through ordinal 276 of admext32.dll, and the view
// snap-in announces its MDI child window; the item's action shows a small
// message box; ShutDown greys the item for any caller that still holds it.
#include "host/SnapinHostApi.h"
#include "host/demo-snapins/DemoSnapins.h"

#include <windows.h>

namespace {
// Discovery recognises a snap-in by its entry point's name as a text of its
// own in read-only data; the message box names it too.
const char kEntryPoint[] = "InitSnapin";
unsigned long g_hostItemId = 0;
bool g_running = false;
SYSTEMTIME g_started{};

void __cdecl MenuValid(unsigned int* state) { *state = g_running ? 0 : MF_GRAYED | MF_DISABLED; }

void __cdecl MenuAction() {
    char text[256];
    wsprintfA(text, "%s\n\nStarted by the console through %s at %02u:%02u:%02u.", DEMO_MESSAGE,
              kEntryPoint, g_started.wHour, g_started.wMinute, g_started.wSecond);
    MessageBoxA(GetActiveWindow(), text, DEMO_DESCRIPTION, MB_OK | MB_ICONINFORMATION);
}
}  // namespace

extern "C" __declspec(dllexport) int __cdecl InitSnapin(void) {
#ifdef DEMO_VIEW_CLASS
    if (VMARegisterMDIChildWindow(DEMO_VIEW_CLASS) < 0) return -1;
#endif
    GetLocalTime(&g_started);
    g_running = true;
    AdmRegisterMenuItem(DEMO_MENU_NAME, 0, 0, 0, &g_hostItemId, DEMO_MENU_TEXT, DEMO_MENU_HINT, MenuAction, MenuValid,
                        0);
    return 0;
}

extern "C" __declspec(dllexport) void __cdecl ShutDown(void) { g_running = false; }
