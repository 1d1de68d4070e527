#include "host/Admext32.h"

#include <windows.h>

#include <cstring>

namespace {
AdmMenuItem g_items[ADM_MAX_MENU_ITEMS];
int g_count = 0;
int g_mdiChildRegistrations = 0;

void CopyText(char* target, size_t size, const char* text) {
    if (!text) text = "";
    lstrcpynA(target, text, static_cast<int>(size));
}
}  // namespace

extern "C" int __cdecl AdmRegisterMenuItem(const char* name, int reserved1, int reserved2, int reserved3,
                                           unsigned long* hostItemId, const char* text, const char* hint,
                                           SnapinMenuAction action, SnapinMenuValid valid, unsigned long flags) {
    if (g_count == ADM_MAX_MENU_ITEMS || !name || !text || !action || !valid) return -1;
    AdmMenuItem& item = g_items[g_count];
    item = AdmMenuItem{};
    item.namePointer = name;
    item.textPointer = text;
    item.hintPointer = hint;
    CopyText(item.name, sizeof item.name, name);
    CopyText(item.text, sizeof item.text, text);
    CopyText(item.hint, sizeof item.hint, hint);
    item.reserved[0] = reserved1;
    item.reserved[1] = reserved2;
    item.reserved[2] = reserved3;
    item.hostItemId = hostItemId;
    item.assignedId = 0x8000u + static_cast<unsigned long>(g_count);
    item.action = action;
    item.valid = valid;
    item.flags = flags;
    if (hostItemId) *hostItemId = item.assignedId;
    ++g_count;
    return 0;
}

extern "C" int __cdecl VMARegisterMDIChildWindow(const char*) { return ++g_mdiChildRegistrations; }

extern "C" int __cdecl AdmGetMenuItemCount(void) { return g_count; }

extern "C" int __cdecl AdmGetMenuItem(int index, AdmMenuItem* item) {
    if (index < 0 || index >= g_count || !item) return -1;
    *item = g_items[index];
    return 0;
}

extern "C" void __cdecl AdmResetMenuItems(void) { g_count = 0; }
