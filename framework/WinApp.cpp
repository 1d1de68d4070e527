#include "framework/WinApp.h"

namespace {
struct ModuleState {
    CWinApp* app = nullptr;
    HINSTANCE instance = nullptr;
    HINSTANCE resource = nullptr;
};
ModuleState g_state;
}  // namespace

CWinApp::CWinApp(const char*) {
    if (!g_state.app) g_state.app = this;
}

CWinApp::~CWinApp() {
    if (g_state.app == this) g_state.app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp* AfxGetApp() { return g_state.app; }
HINSTANCE AfxGetInstanceHandle() { return g_state.instance; }
HINSTANCE AfxGetResourceHandle() { return g_state.resource; }
void AfxSetResourceHandle(HINSTANCE resource) { g_state.resource = resource; }

// The framework's entry of a regular DLL. Static initialisation has already
// constructed the application object when process attach arrives; its
// destructor runs after process detach.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    CWinApp* app = g_state.app;
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_state.instance = instance;
        g_state.resource = instance;
        if (app) {
            app->m_hInstance = instance;
            if (!app->InitInstance()) {
                app->ExitInstance();
                g_state = ModuleState{app};
                return FALSE;
            }
        }
        return TRUE;
    case DLL_PROCESS_DETACH:
        if (app) app->ExitInstance();
        g_state.instance = nullptr;
        g_state.resource = nullptr;
        return TRUE;
    default:
        return TRUE;
    }
}
