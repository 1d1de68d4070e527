#pragma once
// The four snap-in lists under HKEY_CURRENT_USER and every read and write of them.
#include "framework/Lists.h"
#include "framework/String.h"
#include "registry/RegistryKey.h"
#include "registry/SnapinLists.h"

#include <windows.h>

#include <vector>

// Which family's copy of the lists a store addresses: the running platform's,
// decided afresh each time a key is opened, or a fixed one.
enum class ListFamily { Running, WindowsNT, Windows95 };

// The family a store of `family` addresses now: `family` itself, or for
// Running the family of the platform that runs. 0, or the platform's code
// when its version cannot be read, `resolved` then unchanged.
int ResolveFamily(ListFamily family, ListFamily& resolved);
// Windows NT for its platform id, Windows 95 for any other.
ListFamily PlatformFamily(DWORD platformId);
// The suffix of a family's list keys: " WINNT" or " WIN95".
const char* ListKeySuffix(ListFamily family);
// "nt" or "95": a family as snapinctl's --platform and documents name it.
const char* FamilyName(ListFamily family);
// The family a name stands for; false for a text that names none.
bool ParseFamilyName(const char* name, ListFamily& family);

// One value of a list as stored, read whole whatever its size.
struct ListValue {
    CString name;   // in its stored case
    DWORD type = REG_NONE;
    DWORD size = 0;  // of the data in bytes
    CString text;   // the data up to its first NUL, for REG_SZ and REG_MULTI_SZ
    std::vector<char> bytes;  // the data exactly as stored
};

// The outcome of moving an entry to the other list of its kind.
struct EntryMove {
    bool staleCopy = false;  // the other list held the name already: its copy
                             // is kept as it stands, and only this one deleted
    int written = 0;  // the write into the other list (or the look for its
                      // copy): 0 or a Win32 code
    int deleted = 0;  // the delete from the source list that follows a write
                      // that worked: 0, or a Win32 code, the entry then
                      // standing in both lists
};

// Each operation names a list by its key text (ListKey), appends the platform
// suffix and opens the key under HKEY_CURRENT_USER for that operation only;
// a move looks at the other list first, then opens both. Results: 0, a Win32 code, or -1 for a value that
// holds no text or a failed allocation. Output arguments change only when
// the result is 0.
class CSnapinRegistry {
public:
    explicit CSnapinRegistry(ListFamily family = ListFamily::Running) : m_family(family) {}
    virtual ~CSnapinRegistry() = default;

    // The list's key, into `key` only when it opened.
    int OpenListKey(const char* list, CRegistryKey& key) { return ListKeyInto(list, key, false); }
    int CreateListKey(const char* list, CRegistryKey& key) { return ListKeyInto(list, key, true); }

    // Appends the upper-cased value names; names appended before a failure
    // stay. With `data`, also appends for each name its data's text: empty
    // for data of no text or over 260 bytes, which the host cannot load.
    int EnumEntries(const char* list, CStringList& names, CStringList* data = nullptr);
    int ReadEntry(const char* list, const char* valueName, CString& data);
    // Data is EntryData(fileName), or fileName itself when dataIsFileName.
    // An entry that EnumEntries, ReadEntry or FindEntryByValue could not read
    // back (a name longer than kLongestValueName, a data text of
    // kLargestValueData characters or more) is refused with
    // ERROR_FILENAME_EXCED_RANGE and nothing is written.
    int WriteEntry(const char* list, const char* fileName, bool dataIsFileName);
    int DeleteEntry(const char* list, const char* valueName);
    // 259 (ERROR_NO_MORE_ITEMS) when no entry's data equals the text.
    int FindEntryByValue(const char* list, const char* text, CString& valueName);
    // Writes the name into the other list of its kind afresh and deletes it
    // from `from` only when that write worked, so a failed write loses nothing.
    // A copy the other list holds already is never overwritten: only the
    // stale one in `from` is deleted.
    EntryMove MoveEntry(ListCategory from, const char* name);
    // The same move with the entry's type and data copied exactly as they
    // stand, for the moves the organisation's policy makes.
    EntryMove MoveStoredEntry(ListCategory from, const char* valueName);
    // Appends every value of the list, whatever its name length, type or size.
    int ReadListValues(const char* list, std::vector<ListValue>& values);
    // Writes a value with exactly the given name, type and bytes (a text
    // without terminator stays without), creating the list's key when it is
    // missing.
    int WriteListValue(const char* list, const char* name, DWORD type, const char* data, DWORD size);

private:
    int ListKeyInto(const char* list, CRegistryKey& key, bool create);
    EntryMove Move(ListCategory from, const char* valueName, bool asStored);
    int HoldsEntry(const char* list, const char* valueName, bool& holds);
    int CopyStoredEntry(const char* from, const char* to, const char* valueName);
    int FullKeyText(const char* list, CString& fullKey) const;

    ListFamily m_family;
};
