#include "module/SnapinSetupApp.h"

// The one application object of the module.
CSnapinSetupApp theApp;

// The host is C code: every failure comes back to it as a result, -1 when
// there is no snap-in object.
extern "C" int __cdecl InitSnapin(void) {
    CSnapin* snapin = CSnapin::GetSnapin();
    if (!snapin) return -1;
    snapin->GetInstanceHandle();
    return snapin->OnInit();
}

extern "C" void __cdecl ShutDown(void) {
    if (CSnapin* snapin = CSnapin::GetSnapin()) snapin->OnShutDown();
}
