#include "startup/PolicyEnforcement.h"

#include "startup/SnapinScan.h"

#include <utility>

int PlanPolicyMoves(CSnapinRegistry& registry, CPolicyJudge& judge, CArray<PolicyMove>& moves) {
    const CSnapinPolicy& policy = judge.Policy();
    if (!policy.Readable() || !policy.IsSet()) return 0;
    int unread = 0;
    const KnownNames known = CollectKnownNames(registry, unread, true);
    const int planned = PlanPolicyMoves(known, judge, moves);
    return planned ? planned : unread;
}

// A file is looked at only where it could run: in an enabled list, or
// required in a disabled one.
int PlanPolicyMoves(const KnownNames& known, CPolicyJudge& judge, CArray<PolicyMove>& moves) {
    const CSnapinPolicy& policy = judge.Policy();
    if (!policy.Readable() || !policy.IsSet()) return 0;
    for (const KnownNames::Known& entry : known) {
        PolicyStanding standing = policy.StandingOfEntry(entry.name, LoadedFileName(entry.data));
        if (kSnapinLists[entry.list].enabled || standing == PolicyStanding::Required)
            standing = judge.WithTrust(standing, entry.name, entry.data);
        if (!StandsAgainst(standing, entry.list)) continue;
        PolicyMove move{entry.list, CString(entry.name), standing, judge.LastVerdict(),
                        known.Holds(entry.name, OtherList(entry.list))};
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

NewSnapinFate FateOfNewSnapin(const CSnapinPolicy& policy, PolicyStanding standing) {
    if (!policy.Readable()) return NewSnapinFate::Skip;
    switch (standing) {
    case PolicyStanding::Blocked:
    case PolicyStanding::Untrusted: return NewSnapinFate::Skip;
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
