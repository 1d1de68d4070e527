// Whole values of a list, whatever their name length, type or size, and the
// families' names: what snapinctl's export and apply read and write. Kept
// apart from the store's other operations so that the module, which never
// calls them, links none.
#include "registry/SnapinRegistry.h"

#include <cstring>

int CSnapinRegistry::ReadListValues(const char* list, std::vector<ListValue>& values) {
    CRegistryKey key;
    int result = OpenListKey(list, key);
    if (result) return result;
    CValueReader reader(key);
    for (DWORD index = 0; (result = reader.Read(index)) == 0; ++index) {
        ListValue value{CString(reader.Name(), static_cast<int>(reader.NameLength())), reader.Type(), reader.Size()};
        value.bytes.assign(reader.Data(), reader.Data() + reader.Size());
        if (value.type == REG_SZ || value.type == REG_MULTI_SZ) value.text = reader.Data();
        if (value.name.Failed() || value.text.Failed()) return kFailedAllocation;
        values.push_back(value);
    }
    return result == ERROR_NO_MORE_ITEMS ? 0 : result;
}

const char* FamilyName(ListFamily family) { return family == ListFamily::Windows95 ? "95" : "nt"; }

bool ParseFamilyName(const char* name, ListFamily& family) {
    const bool nt = std::strcmp(name, FamilyName(ListFamily::WindowsNT)) == 0;
    if (!nt && std::strcmp(name, FamilyName(ListFamily::Windows95)) != 0) return false;
    family = nt ? ListFamily::WindowsNT : ListFamily::Windows95;
    return true;
}

int CSnapinRegistry::WriteListValue(const char* list, const char* name, DWORD type, const char* data, DWORD size) {
    if (!name || (!data && size)) return ERROR_INVALID_PARAMETER;
    // NT's and Wine's RegSetValueExA add a terminator to a text that lacks
    // one when the byte after it happens to be zero. The data goes out from a
    // copy followed by a byte that is not, so exactly its bytes are stored.
    std::vector<char> guarded(data, data + size);
    guarded.push_back('\x01');
    CRegistryKey key;
    const int result = CreateListKey(list, key);
    return result ? result : key.SetValue(name, type, guarded.data(), size);
}
