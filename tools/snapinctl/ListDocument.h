#pragma once
// The four lists of one family as a document: `export` writes it as JSON or
// as a REGEDIT4 file, `apply` reads the JSON form back. Every value keeps its
// exact name, type and bytes.
#include "registry/SnapinRegistry.h"
#include "tools/snapinctl/Output.h"

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

// The family a store of `family` addresses on this machine, decided now.
ListFamily ResolvedFamily(ListFamily family);
// "nt" or "95", as --platform names them.
const char* FamilyName(ListFamily family);

// A value name upper-cased as the registry matches names, so that two names
// of one value fold to the same text.
std::string FoldedValueName(const std::string& name);

// Reads the four lists; a list whose key is missing is empty. 0 or a Win32
// code with the category of the list that failed.
int ReadDocument(CSnapinRegistry& registry, ListFamily family, ListDocument& document, ListCategory& failedList);

std::string DocumentJson(const ListDocument& document);
// A REGEDIT4 file (ANSI, CR LF) with the four keys under HKEY_CURRENT_USER.
std::string DocumentRegedit(const ListDocument& document);
// Reads what DocumentJson wrote; false with the reason when the text is not
// such a document.
bool ParseDocument(const std::string& text, ListDocument& document, std::string& problem);

std::string Base64Encode(const std::string& bytes);
// False when the text is not canonical base64.
bool Base64Decode(const std::string& text, std::string& bytes);

}  // namespace snapinctl
