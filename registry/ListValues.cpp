// Whole values of a list, whatever their name length, type or size, and the
// families' names: what snapinctl's export and apply read and write. Kept
// apart from the store's other operations so that the module, which never
// calls them, links none.
#include "registry/RegistryKey.h"
#include "registry/SnapinRegistry.h"

#include <algorithm>
#include <cstring>

int CSnapinRegistry::ReadListValues(const char* list, std::vector<ListValue>& values) {
    CRegistryKey key;
    int result = OpenListKey(list, key.Receive());
    if (result) return result;
    DWORD count = 0, longestName = 0, largestData = 0;
    result = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                              &largestData, nullptr, nullptr);
    if (result) return result;
    std::vector<char> name(longestName + 1);
    std::vector<char> data(largestData + 1);
    for (DWORD index = 0; index < count; ++index) {
        ListValue value;
        DWORD nameLength = static_cast<DWORD>(name.size());
        value.size = largestData;
        result = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &value.type,
                               reinterpret_cast<BYTE*>(data.data()), &value.size);
        if (result) return result;
        value.name = CString(name.data(), static_cast<int>(nameLength));
        value.bytes.assign(data.data(), data.data() + std::min(value.size, largestData));
        data[std::min(value.size, largestData)] = '\0';
        if (value.type == REG_SZ || value.type == REG_MULTI_SZ) value.text = data.data();
        if (value.name.Failed() || value.text.Failed()) return kFailedAllocation;
        values.push_back(value);
    }
    return 0;
}

const char* FamilyName(ListFamily family) { return family == ListFamily::Windows95 ? "95" : "nt"; }

bool ParseFamilyName(const char* name, ListFamily& family) {
    for (const ListFamily named : {ListFamily::WindowsNT, ListFamily::Windows95}) {
        if (std::strcmp(name, FamilyName(named)) != 0) continue;
        family = named;
        return true;
    }
    return false;
}

int CSnapinRegistry::WriteListValue(const char* list, const char* name, DWORD type, const char* data, DWORD size) {
    if (!name || (!data && size)) return ERROR_INVALID_PARAMETER;
    // NT's and Wine's RegSetValueExA add a terminator to a text that lacks
    // one when the byte after it happens to be zero. The data goes out from a
    // copy followed by a byte that is not, so exactly its bytes are stored.
    std::vector<char> guarded(data, data + size);
    guarded.push_back('\x01');
    CRegistryKey key;
    const int result = CreateListKey(list, key.Receive());
    if (result) return result;
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(guarded.data()), size);
}
