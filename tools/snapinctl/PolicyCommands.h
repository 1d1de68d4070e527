#pragma once
// snapinctl policy and enforce: the organisation's policy as the module reads
// it, and the moves start-up makes for it, made now. Also what the other
// commands print of a name's standing.
#include "files/PublisherTrust.h"
#include "registry/SnapinPolicy.h"
#include "tools/snapinctl/CommandContext.h"

#include <optional>
#include <string>
#include <vector>

namespace snapinctl {

// "blocked", "required" or "untrusted"; none for a free name.
std::optional<std::string> StandingName(PolicyStanding standing);
// What a verdict on a signature says: "trusted", "not signed", ...
const char* VerdictText(TrustVerdict verdict);
// A certificate's SHA-1 thumbprint in upper-case hex, as Windows shows it.
std::string ThumbprintText(const SignerFacts& signer);
// Why the policy holds a name where it stands: "blocked by policy",
// "required by policy", or for an untrusted file "untrusted by policy: "
// with the verdict; empty for a free name.
std::string PolicyReason(PolicyStanding standing, TrustVerdict verdict = TrustVerdict::Trusted);

// The key, or the value, whose reading made the policy unreadable, with its hive.
std::string UnreadPolicyKey(const CSnapinPolicy& policy);

// Required names that stand in no list and have no file in the snap-ins
// directory: their kind is unknown, so nothing can write them.
struct UnlistedRequired {
    bool checked = false;  // false when the lists or the host directory could not be read
    std::string why;       // the reason it was not checked
    std::vector<std::string> names;  // UTF-8
};
UnlistedRequired FindUnlistedRequired(CommandContext& context);

// Every setting with its source, its names and the values it ignored, then
// the required names nothing can write. 1 when the policy cannot be read.
int RunPolicy(CommandContext& context);
// Moves blocked entries out of the enabled lists and required entries out
// of the disabled lists, as start-up does.
int RunEnforce(CommandContext& context);

}  // namespace snapinctl
