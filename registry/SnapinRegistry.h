#pragma once
// The four snap-in lists under HKEY_CURRENT_USER and every read and write of them.
#include "framework/Lists.h"
#include "framework/String.h"
#include <windows.h>

extern const char kEnabledObjectList[];
extern const char kDisabledObjectList[];
extern const char kEnabledViewList[];
extern const char kDisabledViewList[];

class CSnapinRegistry {
public:
    virtual ~CSnapinRegistry() = default;

    int OpenListKey(const char* list, HKEY& key);
    int CreateListKey(const char* list, HKEY& key);
    int CloseListKey(HKEY key);
    int EnumEntries(const char* list, CStringList& names);
    int ReadEntry(const char* list, const char* valueName, CString& data);
    int WriteEntry(const char* list, const char* fileName, bool dataIsFileName);
    int DeleteEntry(const char* list, const char* valueName);
    int FindEntryByValue(const char* list, const char* text, CString& valueName);
    int GetEntryDescription(const char* list, const char* valueName, CString& description);
};

// Upper-cases ASCII a-z and the double-byte characters of the active code
// page; every other byte stays as it is.
CString UpperCaseName(const char* name);
