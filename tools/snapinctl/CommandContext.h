#pragma once
// What every snapinctl command works on.
#include "framework/String.h"
#include "tools/snapinctl/Errors.h"
#include "tools/snapinctl/Output.h"

class CSnapinPolicy;
class CSnapinRegistry;

namespace snapinctl {

struct CommandContext {
    CSnapinRegistry& registry;
    CString hostDirectory;  // with its trailing backslash
    COutput& out;
    const CErrorOutput& err;
    bool dryRun;  // every change is reported as made, and none is written
    const CSnapinPolicy& policy;  // as read when the command started
};

}  // namespace snapinctl
