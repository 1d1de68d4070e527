#pragma once
// The four snap-in lists: everything the code knows about which list is
// which. Each list has one row here; no other code spells a list's key
// text, its label or its place in the configuration dialog.
#include "framework/String.h"

#include <array>
#include <cstdint>

// A list by its index in kSnapinLists. The configuration dialog keeps it in
// the first field of its rows' records.
enum ListCategory : int32_t {
    kEnabledObjectCategory = 0,
    kDisabledObjectCategory = 1,
    kEnabledViewCategory = 2,
    kDisabledViewCategory = 3,
};

constexpr int kListCount = 4;

struct SnapinListFacts {
    ListCategory category;
    const char* key;    // key text below HKEY_CURRENT_USER, without the platform suffix
    int32_t kind;       // the SnapinKind of its entries: kSnapinObject or kSnapinView
    bool enabled;       // whether the host loads its entries
    const char* label;  // its name in snapinctl's output
    int fillPosition;   // 0 to 3: when the configuration dialog reads it
};

// Indexed by ListCategory; also the order start-up reads the lists in.
extern const SnapinListFacts kSnapinLists[kListCount];

// The four categories in the order the configuration dialog fills its rows.
std::array<ListCategory, kListCount> ListsInFillOrder();

bool IsListCategory(int32_t value);
const char* ListKey(ListCategory category);
const char* ListLabel(ListCategory category);
// The other list of the same kind: enabled <-> disabled.
ListCategory OtherList(ListCategory category);
// The list of a kind that is enabled or not. Object snap-ins go to the object
// lists; every other kind, also a snap-in without import section, to the
// view lists.
ListCategory ListOfKind(int32_t kind, bool enabled);

// An entry's data for a file name: its path relative to the host directory,
// in the snap-ins directory. The same text after the host directory names
// the file.
CString EntryData(const char* fileName);
// The upper-cased name of the file an entry's data makes the host load: the
// last component of the path as Windows resolves it (. and .. taken, trailing
// spaces and dots dropped), with .DLL added when it has no extension, as
// LoadLibrary adds it. Empty when the data names no file, or is longer than
// the host reads.
CString LoadedFileName(const char* data);
// The path of the file an entry's data makes the host load: relative data
// taken from the host directory (with its backslash), and .DLL added to a
// name without extension, as LoadLibrary adds it. Empty when the data names
// no file, or is null.
CString LoadedPath(const CString& hostDirectory, const char* data);
// Whether a path is taken from the current directory: neither rooted nor on a drive.
bool IsRelativePath(const char* path);
// Drops the spaces and dots that Windows ignores at the end of a file name.
int TrimmedNameLength(const char* text, int length);
// The snap-ins directory as entries name it, with its backslash.
extern const char kSnapinsDirectory[];
// The module's canonical file name, and so its own entry's value name.
extern const char kCanonicalFileName[];
