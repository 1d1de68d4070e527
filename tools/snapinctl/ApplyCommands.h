#pragma once
// snapinctl export and apply: save the four lists of a family, and make them
// equal to a saved document again.
#include "tools/snapinctl/CommandContext.h"
#include "tools/snapinctl/ListDocument.h"

#include <string>
#include <vector>

namespace snapinctl {

// json or reg, to the file or, when it is empty, to standard output.
int RunExport(CommandContext& context, ListFamily family, const std::string& format, const std::string& file);

enum class ChangeAction { Unchanged, Added, Changed, Removed };

struct ListChange {
    ListCategory category = kEnabledObjectCategory;
    ChangeAction action = ChangeAction::Unchanged;
    DocumentValue value;  // the document's value; the stored one for a removal
};

// What makes the lists equal to the document: per list, the document's values
// in its order, then the stored values it lacks. Names match as the registry
// matches them; a name that differs only in case is the same value.
std::vector<ListChange> PlanChanges(const ListDocument& stored, const ListDocument& wanted);

// Writes every added and changed value, and reports each; 0 or 1.
int WriteChanges(CommandContext& context, const std::vector<ListChange>& plan);
// Deletes every removed value, and reports each; 0 or 1.
int RemoveChanges(CommandContext& context, const std::vector<ListChange>& plan);

// Reads FILE and makes the lists of its family equal to it: every new value
// is written before any old one is deleted, so a run cut short loses no
// entry. `family` is --platform's, which must agree with the document's.
int RunApply(CommandContext& context, ListFamily family, const std::string& file);

}  // namespace snapinctl
