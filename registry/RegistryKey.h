#pragma once
// The one owner of an open registry key: it holds the handle and nothing
// else, and closes it when it goes. The caller opens or creates the key with
// the registry call it needs, which writes the handle through Receive().
// Nothing here throws or allocates.
#include <windows.h>

class CRegistryKey {
public:
    CRegistryKey() = default;
    explicit CRegistryKey(HKEY key) : m_key(key) {}
    ~CRegistryKey() { Close(); }
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Where an opening call writes the new handle; a key held before is closed.
    HKEY& Receive() {
        Close();
        return m_key;
    }
    operator HKEY() const { return m_key; }

    // The handle, which the caller now closes.
    HKEY Detach() {
        const HKEY key = m_key;
        m_key = nullptr;
        return key;
    }
    // RegCloseKey's result; 0 when no key is held.
    LONG Close() { return m_key ? RegCloseKey(Detach()) : ERROR_SUCCESS; }

private:
    HKEY m_key = nullptr;
};
