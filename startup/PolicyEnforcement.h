#pragma once
// What the organisation's policy does to the lists: the moves that bring
// them in line with it, and what becomes of a new snap-in. Start-up and
// snapinctl's enforce, scan and sync all decide through this code.
#include "framework/Array.h"
#include "framework/String.h"
#include "registry/SnapinPolicy.h"
#include "registry/SnapinRegistry.h"
#include "startup/PolicyJudge.h"
#include "startup/SnapinScan.h"

// An entry whose list is against its standing: a blocked or untrusted entry
// of an enabled list, or a required entry of a disabled one.
struct PolicyMove {
    ListCategory from = kEnabledObjectCategory;  // the list it stands in; it goes to OtherList(from)
    CString name;                                // its value name, upper-cased
    PolicyStanding standing = PolicyStanding::Free;
    TrustVerdict verdict = TrustVerdict::Trusted;  // why, when untrusted
    bool staleCopy = false;  // OtherList(from) holds the name already: this copy is only deleted
};

// Appends the moves the policy asks of the lists as they stand, judging each
// entry by its value name and the file its data loads. 0, or the
// code of a list that exists but could not be read to its end (its moves
// are then missing), or -1 for want of memory. An unreadable policy asks
// for no move.
int PlanPolicyMoves(CSnapinRegistry& registry, CPolicyJudge& judge, CArray<PolicyMove>& moves);
// The same from names already read with their data: 0, or -1 for want of memory.
int PlanPolicyMoves(const KnownNames& known, CPolicyJudge& judge, CArray<PolicyMove>& moves);

// Writes each entry into its new list as it stands and deletes it from the
// old one only after, so a start cut short leaves it in both lists, never in
// neither. A copy the new list holds already is kept, never overwritten.
// 0, or the first failing move's code; the others are still made.
int MakePolicyMoves(CSnapinRegistry& registry, const CArray<PolicyMove>& moves);

// What start-up does with a snap-in it has not seen before.
enum class NewSnapinFate {
    Offer,          // shown checked in "New Snapins Installed"
    WriteEnabled,   // written to its enabled list without asking
    WriteDisabled,  // written to its disabled list without asking
    Skip,           // neither offered nor written: blocked, untrusted, or the policy unreadable
};
// `standing` is the judge's StandingOfNewFile.
NewSnapinFate FateOfNewSnapin(const CSnapinPolicy& policy, PolicyStanding standing);
