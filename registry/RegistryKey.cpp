#include "registry/RegistryKey.h"

#include "framework/String.h"

#include <algorithm>
#include <new>

// Doublings of the buffers for values that grew while the key was read.
static constexpr int kMostRegrowths = 8;

LONG CRegistryKey::Open(HKEY parent, const char* path) { return RegOpenKeyA(parent, path, &Receive()); }

LONG CRegistryKey::Open(HKEY parent, const char* path, REGSAM access) {
    return RegOpenKeyExA(parent, path, 0, access, &Receive());
}

LONG CRegistryKey::Create(HKEY parent, const char* path) {
    return RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &Receive(),
                           nullptr);
}

LONG CRegistryKey::QueryValue(const char* name, DWORD* type, void* data, DWORD* size) const {
    return RegQueryValueExA(m_key, name, nullptr, type, static_cast<BYTE*>(data), size);
}

LONG CRegistryKey::SetValue(const char* name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExA(m_key, name, 0, type, static_cast<const BYTE*>(data), size);
}

LONG CRegistryKey::DeleteValue(const char* name) { return RegDeleteValueA(m_key, name); }

bool CValueReader::Allocate(DWORD chars, DWORD bytes) {
    m_name.reset(new (std::nothrow) char[chars]);
    m_data.reset(new (std::nothrow) char[bytes + 1]);
    m_nameChars = chars;
    m_dataBytes = bytes;
    return m_name && m_data;
}

LONG CValueReader::Read(DWORD index) {
    if (!m_name) {
        DWORD longestName = 0, largestData = 0;
        const LONG result = RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                             &longestName, &largestData, nullptr, nullptr);
        if (result) return result;
        // Double-byte names may take two bytes for each character counted.
        if (!Allocate(2 * longestName + 2, largestData + 2)) return kFailedAllocation;
    }
    for (;;) {
        m_nameLength = m_nameChars;
        m_type = REG_NONE;
        m_size = m_dataBytes;
        const LONG result = RegEnumValueA(m_key, index, m_name.get(), &m_nameLength, nullptr, &m_type,
                                          reinterpret_cast<BYTE*>(m_data.get()), &m_size);
        if (result == ERROR_MORE_DATA && m_regrowths++ < kMostRegrowths) {
            if (!Allocate(2 * m_nameChars, 2 * m_dataBytes)) return kFailedAllocation;
            continue;
        }
        if (result == 0) m_data[std::min(m_size, m_dataBytes)] = '\0';
        return result;
    }
}
