#pragma once
#include <windows.h>

// Owns an open registry key and closes it on every path.
class CListKey {
public:
    CListKey() = default;
    ~CListKey() {
        if (m_key) RegCloseKey(m_key);
    }
    CListKey(const CListKey&) = delete;
    CListKey& operator=(const CListKey&) = delete;

    HKEY& Receive() { return m_key; }
    operator HKEY() const { return m_key; }

private:
    HKEY m_key = nullptr;
};
