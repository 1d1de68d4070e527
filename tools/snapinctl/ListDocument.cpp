#include "tools/snapinctl/ListDocument.h"

#include "registry/TextCase.h"

#include <algorithm>

namespace snapinctl {

std::array<ListCategory, kListCount> AllLists() {
    std::array<ListCategory, kListCount> lists{};
    for (const SnapinListFacts& list : kSnapinLists) lists[list.category] = list.category;
    return lists;
}

std::string FoldedValueName(const std::string& name) {
    if (name.empty()) return name;
    const int length = static_cast<int>(name.size());
    std::string folded(name.size(), '\0');
    if (LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, name.data(), length, &folded[0], length) != length)
        return UpperCaseName(name.c_str()).str();
    return folded;
}

int ReadDocument(CSnapinRegistry& registry, ListFamily family, ListDocument& document, ListCategory& failedList) {
    failedList = kEnabledObjectCategory;
    int result = ResolveFamily(family, document.family);
    if (result != 0) return result;
    for (const ListCategory category : AllLists()) {
        std::vector<ListValue> values;
        result = registry.ReadListValues(ListKey(category), values);
        if (result != 0 && result != ERROR_FILE_NOT_FOUND) {
            failedList = category;
            return result;
        }
        for (const ListValue& value : values) document.lists[category].push_back(
                {value.name.str(), value.type, std::string(value.bytes.begin(), value.bytes.end())});
        std::sort(document.lists[category].begin(), document.lists[category].end(),
                  [](const DocumentValue& a, const DocumentValue& b) { return a.name < b.name; });
    }
    return 0;
}

}  // namespace snapinctl
