#include "registry/SnapinLists.h"

#include "files/ImageInspection.h"

#include <algorithm>

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
