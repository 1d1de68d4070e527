#pragma once
// The four lists of one family as a document, which `export` writes and
// `apply` reads back. Every value keeps its exact name, type and bytes.
#include "registry/SnapinRegistry.h"

#include <array>
#include <string>
#include <vector>

namespace snapinctl {

struct DocumentValue {
    std::string name;  // ANSI, as stored
    DWORD type = REG_NONE;
    std::string bytes;  // exactly the stored data
};

struct ListDocument {
    ListFamily family = ListFamily::WindowsNT;  // never Running
    std::vector<DocumentValue> lists[kListCount];  // by ListCategory, sorted by name
};

// The four categories in kSnapinLists order.
std::array<ListCategory, kListCount> AllLists();

// A value name upper-cased as the registry matches names, so that two names
// of one value fold to the same text.
std::string FoldedValueName(const std::string& name);

// Reads the four lists; a list whose key is missing is empty. 0 or a Win32
// code with the category of the list that failed.
int ReadDocument(CSnapinRegistry& registry, ListFamily family, ListDocument& document, ListCategory& failedList);

}  // namespace snapinctl
