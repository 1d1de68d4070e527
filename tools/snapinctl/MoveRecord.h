#pragma once
#include "registry/SnapinLists.h"
#include "tools/snapinctl/Output.h"

#include <string>

namespace snapinctl {

// An entry moved between the lists of its kind, or already where it was asked
// to go, or a stale copy removed from `from` since `to` held the name already,
// as a command prints it (ListCommands.cpp).
struct MoveRecord {
    std::string name;
    ListCategory from = kEnabledObjectCategory;
    ListCategory to = kEnabledObjectCategory;
    bool changed = false;
    std::string reason;  // enforce: why the policy moves it
    bool staleCopy = false;

    Record Json() const;
    std::string Text() const;
};

}  // namespace snapinctl
