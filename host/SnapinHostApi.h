#pragma once
// What a snap-in may call of the host's support library, admext32.dll: the
// menu registration by ordinal 276 and, for view snap-ins,
// VMARegisterMDIChildWindow by name.
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

// Signature of ordinal 276 for callers that resolve it with GetProcAddress.
typedef int(__cdecl* AdmRegisterMenuItemFn)(const char*, int, int, int, unsigned long*, const char*, const char*,
                                            SnapinMenuAction, SnapinMenuValid, unsigned long);
#define ADM_REGISTER_MENU_ITEM_ORDINAL 276

#ifdef __cplusplus
}
#endif
