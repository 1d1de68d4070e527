#pragma once
// The one owner of an open registry key, and the one caller of the registry:
// each member is one call that returns the platform's result code. Nothing
// here throws.
#include <windows.h>

#include <memory>
#include <utility>

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
    HKEY Detach() { return std::exchange(m_key, nullptr); }
    // RegCloseKey's result; 0 when no key is held.
    LONG Close() { return m_key ? RegCloseKey(Detach()) : ERROR_SUCCESS; }

    // RegOpenKeyA: the access the caller may have; with `access`, RegOpenKeyExA.
    LONG Open(HKEY parent, const char* path);
    LONG Open(HKEY parent, const char* path, REGSAM access);
    // RegCreateKeyExA with every access, the key kept.
    LONG Create(HKEY parent, const char* path);
    LONG QueryValue(const char* name, DWORD* type, void* data, DWORD* size) const;  // RegQueryValueExA
    LONG SetValue(const char* name, DWORD type, const void* data, DWORD size);     // RegSetValueExA
    LONG DeleteValue(const char* name);                                            // RegDeleteValueA

private:
    HKEY m_key = nullptr;
};

// Reads the values of a key one by one, whatever their name length or size:
// its buffers are sized from the key's own figures and grow when a value
// grew since. A spare byte after the data holds a terminator.
class CValueReader {
public:
    explicit CValueReader(const CRegistryKey& key) : m_key(key) {}

    // 0 with the value at `index` in the members below; ERROR_NO_MORE_ITEMS
    // past the last; -1 for want of memory; otherwise the platform's code.
    LONG Read(DWORD index);

    const char* Name() const { return m_name.get(); }
    DWORD NameLength() const { return m_nameLength; }
    DWORD Type() const { return m_type; }
    DWORD Size() const { return m_size; }  // of the data as stored
    char* Data() const { return m_data.get(); }  // followed by a NUL

private:
    bool Allocate(DWORD chars, DWORD bytes);

    const CRegistryKey& m_key;
    std::unique_ptr<char[]> m_name, m_data;
    DWORD m_nameChars = 0, m_dataBytes = 0, m_nameLength = 0, m_type = REG_NONE, m_size = 0;
    int m_regrowths = 0;
};
