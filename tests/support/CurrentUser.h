#pragma once
// Redirects HKEY_CURRENT_USER (or another root) of this process to
// HKCU\PATH, as the console's --hkcu option does; for the helper processes
// that tests start.
#include "registry/RegistryKey.h"

inline bool OverrideCurrentUser(const char* path, HKEY predefined = HKEY_CURRENT_USER) {
    CRegistryKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.Receive(), nullptr) != 0)
        return false;
    return RegOverridePredefKey(predefined, key) == 0;
}
