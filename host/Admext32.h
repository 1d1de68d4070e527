#pragma once
// The host's snap-in support library, admext32.dll, as the host console and
// the tests see it: what a snap-in may call (SnapinHostApi.h) and the
// functions that read back what was registered.
#include "host/SnapinHostApi.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { ADM_MAX_MENU_ITEMS = 64 };

typedef struct AdmMenuItem {
    const char* namePointer;  // the pointers as the snap-in passed them
    const char* textPointer;
    const char* hintPointer;
    char name[64];  // copies, valid after the snap-in is gone
    char text[128];
    char hint[256];
    int reserved[3];
    unsigned long* hostItemId;
    unsigned long assignedId;
    SnapinMenuAction action;
    SnapinMenuValid valid;
    unsigned long flags;
} AdmMenuItem;

int __cdecl AdmGetMenuItemCount(void);
// Copies item `index` (registration order); 0, or -1 for a bad index.
int __cdecl AdmGetMenuItem(int index, AdmMenuItem* item);
void __cdecl AdmResetMenuItems(void);

#ifdef __cplusplus
}
#endif
