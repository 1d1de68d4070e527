#pragma once
// snapinctl list, enable and disable: the entries of the four lists, and the
// configuration dialog's move between the enabled and the disabled list.
#include "registry/SnapinLists.h"
#include "tools/snapinctl/CommandContext.h"
#include "tools/snapinctl/MoveRecord.h"
#include "tools/snapinctl/Output.h"

#include <windows.h>

#include <string>
#include <vector>

namespace snapinctl {

// "REG_SZ", "REG_BINARY", ...
std::string RegistryTypeName(DWORD type);

// With `check`, kExitFoundProblems when any entry's state is not ok.
int RunList(CommandContext& context, bool check);
// Removes the entries in the given states (missing when none is given).
int RunPrune(CommandContext& context, const std::vector<std::string>& states);
// Moves each named entry to the enabled (or disabled) list of its kind.
// Every name is checked before any is moved.
int RunMove(CommandContext& context, bool enable, const std::vector<std::string>& names);

}  // namespace snapinctl
