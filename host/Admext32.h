#pragma once
// The host's snap-in support library, admext32.dll. Snap-ins import the
// menu registration by ordinal 276 and, for view snap-ins,
// VMARegisterMDIChildWindow by name. The Adm* functions below ordinal 276
// serve the host console and the tests: they read back what was registered.
#ifdef __cplusplus
extern "C" {
#endif

typedef void(__cdecl* SnapinMenuAction)(void);
typedef void(__cdecl* SnapinMenuValid)(unsigned int* state);

// Ordinal 276: registers a menu item. The host keeps the callbacks and
// writes the item's host id through `hostItemId`. Returns 0, or -1 when the
// table of items is full or an argument is missing.
int __cdecl AdmRegisterMenuItem(const char* name, int reserved1, int reserved2, int reserved3,
                                unsigned long* hostItemId, const char* text, const char* hint,
                                SnapinMenuAction action, SnapinMenuValid valid, unsigned long flags);

// A view snap-in announces an MDI child window class; the stand-in counts calls.
int __cdecl VMARegisterMDIChildWindow(const char* windowClass);

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

// Signature of ordinal 276 for hosts that resolve it with GetProcAddress.
typedef int(__cdecl* AdmRegisterMenuItemFn)(const char*, int, int, int, unsigned long*, const char*, const char*,
                                            SnapinMenuAction, SnapinMenuValid, unsigned long);
#define ADM_REGISTER_MENU_ITEM_ORDINAL 276

#ifdef __cplusplus
}
#endif
