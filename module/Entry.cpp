#include "module/SnapinSetupApp.h"

// The one application object of the module.
CSnapinSetupApp theApp;

// The host is C code: nothing may unwind into it. A failure that surfaces as
// an exception (memory exhausted inside a string or list operation) ends the
// start-up with -1, the result for a failed allocation.
extern "C" int __cdecl InitSnapin(void) {
    try {
        CSnapin* snapin = CSnapin::GetSnapin();
        if (!snapin) return -1;
        snapin->GetInstanceHandle();
        return snapin->OnInit();
    } catch (...) {
        return -1;
    }
}

extern "C" void __cdecl ShutDown(void) {
    try {
        if (CSnapin* snapin = CSnapin::GetSnapin()) snapin->OnShutDown();
    } catch (...) {
    }
}
