#pragma once
// Redirects HKEY_CURRENT_USER of this process to HKCU\PATH, as the console's
// --hkcu option does; for the helper processes that tests start.
#include <windows.h>

inline bool OverrideCurrentUser(const char* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
        return false;
    const LONG result = RegOverridePredefKey(HKEY_CURRENT_USER, key);
    RegCloseKey(key);
    return result == 0;
}
