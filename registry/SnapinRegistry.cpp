#include "registry/SnapinRegistry.h"

#include "registry/ListValueLimits.h"
#include "registry/TextCase.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

namespace {
constexpr int kNoText = -1;
constexpr DWORD kDataBytes = kLargestValueData;
// The longest data text the readers take back whole, terminator not
// counted: WriteEntry writes nothing longer.
constexpr int kLongestDataText = kDataBytes - 1;

static_assert(sizeof(OSVERSIONINFOA) == 148, "GetVersionExA expects the ANSI version record");

bool IsText(DWORD type) { return type == REG_SZ || type == REG_MULTI_SZ; }

}  // namespace

// The list's key text with the suffix of the family the store addresses.
int CSnapinRegistry::FullKeyText(const char* list, CString& fullKey) const {
    if (!list) return ERROR_INVALID_PARAMETER;
    ListFamily family = m_family;
    const int result = ResolveFamily(m_family, family);
    if (result) return result;
    fullKey = CString(list) + ListKeySuffix(family);
    return fullKey.Failed() ? kFailedAllocation : 0;
}

int ResolveFamily(ListFamily family, ListFamily& resolved) {
    if (family != ListFamily::Running) {
        resolved = family;
        return 0;
    }
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return static_cast<int>(GetLastError());
    resolved = PlatformFamily(version.dwPlatformId);
    return 0;
}

ListFamily PlatformFamily(DWORD platformId) {
    return platformId == VER_PLATFORM_WIN32_NT ? ListFamily::WindowsNT : ListFamily::Windows95;
}

const char* ListKeySuffix(ListFamily family) { return family == ListFamily::WindowsNT ? " WINNT" : " WIN95"; }

int CSnapinRegistry::ListKeyInto(const char* list, CRegistryKey& key, bool create) {
    CString fullKey;
    int result = FullKeyText(list, fullKey);
    if (result) return result;
    CRegistryKey opened;
    result = create ? opened.Create(HKEY_CURRENT_USER, fullKey) : opened.Open(HKEY_CURRENT_USER, fullKey);
    if (result == ERROR_SUCCESS) key.Receive() = opened.Detach();
    return result;
}

int CSnapinRegistry::EnumEntries(const char* list, CStringList& names, CStringList* data) {
    CRegistryKey key;
    int result = OpenListKey(list, key);
    if (result) return result;
    // A name too long for the lists is passed over, not taken as the end of
    // the list: the names after it would otherwise count as unknown, and
    // their snap-ins be offered and written a second time. It is still
    // reported (234) once the list has been read to its end.
    int overlong = 0;
    CValueReader value(key);
    for (DWORD index = 0; (result = value.Read(index)) == 0; ++index) {
        if (value.NameLength() > kLongestValueName && (overlong = ERROR_MORE_DATA) != 0) continue;
        const CString stored(value.Name(), static_cast<int>(value.NameLength()));
        CString upper = UpperCaseName(stored);
        if (stored.Failed() || upper.Failed() || !names.AddTail(std::move(upper))) return kFailedAllocation;
        if (!data) continue;
        CString text = IsText(value.Type()) && value.Size() <= kDataBytes ? CString(value.Data()) : CString();
        if (text.Failed() || !data->AddTail(std::move(text))) return kFailedAllocation;
    }
    return result == ERROR_NO_MORE_ITEMS ? overlong : result;
}

int CSnapinRegistry::ReadEntry(const char* list, const char* valueName, CString& data) {
    // A null name would address the key's default value.
    if (!valueName) return ERROR_INVALID_PARAMETER;
    CRegistryKey key;
    int result = OpenListKey(list, key);
    if (result) return result;
    // The spare byte holds a terminator when the data fills the whole size;
    // of a REG_MULTI_SZ value, the first string is taken.
    DWORD type = REG_NONE, size = kDataBytes;
    char bytes[kDataBytes + 1];
    result = key.QueryValue(valueName, &type, bytes, &size);
    if (result) return result;
    if (!IsText(type)) return kNoText;
    bytes[size] = '\0';
    CString text(bytes);
    if (text.Failed()) return kFailedAllocation;
    data = std::move(text);
    return 0;
}

int CSnapinRegistry::WriteEntry(const char* list, const char* fileName, bool dataIsFileName) {
    if (!fileName) return ERROR_INVALID_PARAMETER;
    const CString dataText = dataIsFileName ? CString(fileName) : EntryData(fileName);
    if (dataText.Failed()) return kFailedAllocation;
    if (lstrlenA(fileName) > kLongestValueName || dataText.GetLength() > kLongestDataText)
        return ERROR_FILENAME_EXCED_RANGE;
    CRegistryKey key;
    const int result = CreateListKey(list, key);
    return result ? result
                  : key.SetValue(fileName, REG_SZ, dataText.GetString(), static_cast<DWORD>(dataText.GetLength() + 1));
}

int CSnapinRegistry::DeleteEntry(const char* list, const char* valueName) {
    if (!valueName) return ERROR_INVALID_PARAMETER;
    CRegistryKey key;
    const int result = OpenListKey(list, key);
    return result ? result : key.DeleteValue(valueName);
}

int CSnapinRegistry::FindEntryByValue(const char* list, const char* text, CString& valueName) {
    if (!text) return ERROR_INVALID_PARAMETER;
    CRegistryKey key;
    int result = OpenListKey(list, key);
    if (result) return result;
    CValueReader value(key);
    for (DWORD index = 0; (result = value.Read(index)) == 0; ++index) {
        // An over-long neighbour is passed over, as EnumEntries does, so the
        // entries after it are still searched.
        if (value.NameLength() > kLongestValueName || value.Size() > kDataBytes) continue;
        if (IsText(value.Type()) && EqualIgnoringAsciiCase(text, value.Data())) {
            CString found(value.Name(), static_cast<int>(value.NameLength()));
            if (found.Failed()) return kFailedAllocation;
            valueName = std::move(found);
            return 0;
        }
    }
    return result;
}

EntryMove CSnapinRegistry::Move(ListCategory from, const char* valueName, bool asStored) {
    EntryMove move;
    const char* to = ListKey(OtherList(from));
    move.written = HoldsEntry(to, valueName, move.staleCopy);
    if (move.written == 0 && !move.staleCopy)
        move.written = asStored ? CopyStoredEntry(ListKey(from), to, valueName) : WriteEntry(to, valueName, false);
    if (move.written == 0) move.deleted = DeleteEntry(ListKey(from), valueName);
    return move;
}

EntryMove CSnapinRegistry::MoveEntry(ListCategory from, const char* name) { return Move(from, name, false); }

EntryMove CSnapinRegistry::MoveStoredEntry(ListCategory from, const char* valueName) {
    return Move(from, valueName, true);
}

// Whether the list holds a value of that name; a missing list holds none.
int CSnapinRegistry::HoldsEntry(const char* list, const char* valueName, bool& holds) {
    if (!valueName) return ERROR_INVALID_PARAMETER;
    CRegistryKey key;
    int result = OpenListKey(list, key);
    if (result == 0) result = key.QueryValue(valueName, nullptr, nullptr, nullptr);
    holds = result == 0;
    return result == ERROR_FILE_NOT_FOUND ? 0 : result;
}

int CSnapinRegistry::CopyStoredEntry(const char* from, const char* to, const char* valueName) {
    if (!valueName) return ERROR_INVALID_PARAMETER;
    CRegistryKey source;
    int result = OpenListKey(from, source);
    if (result) return result;
    DWORD type = REG_NONE, size = 0;
    result = source.QueryValue(valueName, &type, nullptr, &size);
    if (result) return result;
    std::unique_ptr<char[]> data(new (std::nothrow) char[size ? size : 1]);
    if (!data) return kFailedAllocation;
    // A value that changed size since would come back cut: ERROR_MORE_DATA.
    result = source.QueryValue(valueName, &type, data.get(), &size);
    if (result) return result;
    CRegistryKey target;
    result = CreateListKey(to, target);
    return result ? result : target.SetValue(valueName, type, data.get(), size);
}
