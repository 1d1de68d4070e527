#include "registry/SnapinLists.h"

#include "framework/SnapinKind.h"
#include "registry/ListValueLimits.h"
#include "registry/TextCase.h"

#include <algorithm>
#include <cstring>

const char kSnapinsDirectory[] = "SNAPINS\\";
const char kCanonicalFileName[] = "PLUGWARD.DLL";

// clang-format off
const SnapinListFacts kSnapinLists[kListCount] = {
    {kEnabledObjectCategory, "Software\\Velmark\\Parameters\\Velmark Administrator\\Snapin Object DLLs",
     kSnapinObject, true, "enabled-object", 0},
    {kDisabledObjectCategory, "Software\\Velmark\\Parameters\\Velmark Administrator\\Disabled Snapin Object DLLs",
     kSnapinObject, false, "disabled-object", 2},
    {kEnabledViewCategory, "Software\\Velmark\\Parameters\\Velmark Administrator\\Snapin View DLLs",
     kSnapinView, true, "enabled-view", 1},
    {kDisabledViewCategory, "Software\\Velmark\\Parameters\\Velmark Administrator\\Disabled Snapin View DLLs",
     kSnapinView, false, "disabled-view", 3},
};
// clang-format on

std::array<ListCategory, kListCount> ListsInFillOrder() {
    std::array<ListCategory, kListCount> lists{};
    for (const SnapinListFacts& list : kSnapinLists) lists[list.fillPosition] = list.category;
    return lists;
}

bool IsListCategory(int32_t value) { return value >= 0 && value < kListCount; }

const char* ListKey(ListCategory category) { return kSnapinLists[category].key; }

const char* ListLabel(ListCategory category) { return kSnapinLists[category].label; }

ListCategory OtherList(ListCategory category) {
    const SnapinListFacts& list = kSnapinLists[category];
    return ListOfKind(list.kind, !list.enabled);
}

ListCategory ListOfKind(int32_t kind, bool enabled) {
    const int32_t listKind = kind == kSnapinObject ? kSnapinObject : kSnapinView;
    const auto found = std::find_if(std::begin(kSnapinLists), std::end(kSnapinLists), [&](const SnapinListFacts& list) {
        return list.kind == listKind && list.enabled == enabled;
    });
    return found->category;
}

CString EntryData(const char* fileName) { return CString(kSnapinsDirectory) + (fileName ? fileName : ""); }

int TrimmedNameLength(const char* text, int length) {
    // Neither byte can be the trail byte of a double-byte character.
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '.')) --length;
    return length;
}

namespace {
bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }
}

CString LoadedFileName(const char* data) {
    if (!data) return CString();
    if (data[0] && data[1] == ':') data += 2;  // a drive
    const int length = lstrlenA(data);
    // A path the host cannot read whole names no file it loads.
    if (length >= static_cast<int>(kLargestValueData)) return CString();
    // Start and end of each component still on the path; .. takes one off.
    int bounds[kLargestValueData + 1];
    int depth = 0;
    for (int start = 0, at = 0; at <= length; ++at) {
        if (at < length && !IsPathSeparator(data[at])) {
            at += IsDBCSLeadByte(static_cast<BYTE>(data[at])) && at + 1 < length;
            continue;
        }
        const int size = at - start;
        if (size == 2 && data[start] == '.' && data[start + 1] == '.') {
            depth -= depth > 0;
        } else if (TrimmedNameLength(data + start, size) > 0) {
            bounds[2 * depth] = start;
            bounds[2 * depth++ + 1] = at;
        }
        start = at + 1;
    }
    if (depth == 0) return CString();
    const char* last = data + bounds[2 * depth - 2];
    const int size = bounds[2 * depth - 1] - bounds[2 * depth - 2];
    // A name without extension gets .DLL, so it has no trailing dot to drop.
    const CString name = std::memchr(last, '.', static_cast<size_t>(size))
                             ? CString(last, TrimmedNameLength(last, size))
                             : CString(last, size) + ".DLL";
    return name.Failed() ? name : UpperCaseName(name);
}

bool IsRelativePath(const char* path) { return !IsPathSeparator(path[0]) && !(path[0] && path[1] == ':'); }

CString LoadedPath(const CString& hostDirectory, const char* data) {
    const CString file = LoadedFileName(data);
    if (file.IsEmpty()) return file;  // none, or failed
    const char* name = data;
    for (int at = 0; data[at]; ++at) {
        if (IsDBCSLeadByte(static_cast<BYTE>(data[at])) && data[at + 1])
            ++at;
        else if (IsPathSeparator(data[at]))
            name = data + at + 1;
    }
    const CString path = IsRelativePath(data) ? hostDirectory + data : CString(data);
    return std::memchr(name, '.', static_cast<size_t>(lstrlenA(name))) ? path : path + ".DLL";
}
