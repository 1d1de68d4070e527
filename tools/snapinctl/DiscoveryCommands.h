#pragma once
// snapinctl scan and sync: start-up discovery as a dry run, and as a
// start-up whose dialog is closed with every row checked or every row clear.
#include "tools/snapinctl/CommandContext.h"

namespace snapinctl {

int RunScan(CommandContext& context);
int RunSync(CommandContext& context, bool enableNew);

}  // namespace snapinctl
