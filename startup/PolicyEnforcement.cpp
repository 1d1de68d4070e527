#include "startup/PolicyEnforcement.h"

#include "startup/SnapinScan.h"

#include <utility>

int PlanPolicyMoves(CSnapinRegistry& registry, const CSnapinPolicy& policy, CArray<PolicyMove>& moves) {
    if (!policy.Readable() || !policy.IsSet()) return 0;
    int unread = 0;
    const KnownNames known = CollectKnownNames(registry, unread, true);
    const int planned = PlanPolicyMoves(known, policy, moves);
    return planned ? planned : unread;
}

int PlanPolicyMoves(const KnownNames& known, const CSnapinPolicy& policy, CArray<PolicyMove>& moves) {
    if (!policy.Readable() || !policy.IsSet()) return 0;
    for (const KnownNames::Known& entry : known) {
        const PolicyStanding standing = policy.StandingOfEntry(entry.name, entry.file);
        if (standing != StandingAgainst(entry.list)) continue;
        PolicyMove move{entry.list, CString(entry.name), standing, known.Holds(entry.name, OtherList(entry.list))};
        if (move.name.Failed() || !moves.Add(std::move(move))) return kFailedAllocation;
    }
    return 0;
}

int MakePolicyMoves(CSnapinRegistry& registry, const CArray<PolicyMove>& moves) {
    int first = 0;
    for (const PolicyMove& move : moves) {
        const EntryMove made = registry.MoveStoredEntry(move.from, move.name);
        const int result = made.written ? made.written : made.deleted;
        if (first == 0) first = result;
    }
    return first;
}

NewSnapinFate FateOfNewSnapin(const CSnapinPolicy& policy, const CString& upperName) {
    if (!policy.Readable()) return NewSnapinFate::Skip;
    switch (policy.StandingOf(upperName)) {
    case PolicyStanding::Blocked: return NewSnapinFate::Skip;
    case PolicyStanding::Required: return NewSnapinFate::WriteEnabled;
    case PolicyStanding::Free: break;
    }
    switch (policy.NewSnapins()) {
    case NewSnapinsRule::Enable: return NewSnapinFate::WriteEnabled;
    case NewSnapinsRule::Disable: return NewSnapinFate::WriteDisabled;
    case NewSnapinsRule::Ask: break;
    }
    return NewSnapinFate::Offer;
}
