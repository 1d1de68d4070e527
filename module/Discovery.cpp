// Start-up work of the module: self-registration, the organisation's policy
// applied to the lists, discovery of snap-ins copied into the snap-ins
// directory since the last start, and the menu item.
#include "files/SnapinFiles.h"
#include "framework/Array.h"
#include "module/SnapinSetupApp.h"
#include "registry/SnapinPolicy.h"
#include "registry/SnapinRegistry.h"
#include "startup/PolicyEnforcement.h"
#include "startup/SnapinScan.h"
#include "ui/NewSnapinsDlg.h"
#include "ui/SnapinItem.h"

#include <memory>
#include <new>
#include <utility>

namespace {
using NewSnapins = CArray<std::unique_ptr<SnapinItem>>;

// A file whose record cannot be allocated is passed over.
void AddRecord(NewSnapins& found, const ScannedFile& file) {
    std::unique_ptr<SnapinItem> item(new (std::nothrow) SnapinItem);
    if (!item) return;
    item->kind = file.kind;
    // Every row is offered checked; a dialog that ends without "Close"
    // records that choice.
    item->enabled = 1;
    item->fileName = file.name;
    if (!item->fileName.Failed()) found.Add(std::move(item));
}

// Writes each file the scan offers that the policy settles without asking;
// returns a record for each one still to offer, in directory order.
NewSnapins SettleNewSnapins(CSnapinRegistry& registry, CPolicyJudge& judge, const CArray<ScannedFile>& files) {
    NewSnapins offered;
    for (const ScannedFile& file : files) {
        if (file.action != ScanAction::Offer) continue;
        const NewSnapinFate fate = FateOfNewSnapin(judge.Policy(), judge.StandingOfNewFile(file.name));
        if (fate == NewSnapinFate::Offer)
            AddRecord(offered, file);
        else if (fate != NewSnapinFate::Skip)
            registry.WriteEntry(ListKey(ListOfKind(file.kind, fate == NewSnapinFate::WriteEnabled)), file.name, false);
    }
    return offered;
}

// A move that fails is left for the next start, or for the configuration
// dialog's OK. The moves keep every name in some list, so `known` still
// tells discovery which snap-ins are new.
void EnforcePolicy(CSnapinRegistry& registry, const KnownNames& known, CPolicyJudge& judge) {
    CArray<PolicyMove> moves;
    PlanPolicyMoves(known, judge, moves);
    MakePolicyMoves(registry, moves);
}

// Without memory for the dialog's list nothing is offered, and nothing written.
void OfferAndRecord(CSnapinRegistry& registry, const NewSnapins& snapins) {
    CPtrList offered;
    for (const auto& item : snapins)
        if (!offered.AddTail(item.get())) return;
    CNewSnapinsDlg dialog(&offered);
    dialog.DoModal();

    for (const auto& item : snapins)
        registry.WriteEntry(ListKey(ListOfKind(item->kind, item->enabled != 0)), item->fileName, false);
}
}  // namespace

int CSnapinSetupApp::OnInit() {
    AfxSetResourceHandle(GetInstanceHandle());
    RegisterSelf();
    CSnapinRegistry registry;
    CSnapinPolicy policy;
    policy.Read();
    // Without the host directory nothing new is found; the policy still
    // applies, relative data then taken from the current directory.
    CString hostDirectory;
    const int host = GetHostDirectory(hostDirectory);
    CPolicyJudge judge(policy, hostDirectory);
    int unread = 0;
    const KnownNames known = CollectKnownNames(registry, unread, policy.IsSet());
    EnforcePolicy(registry, known, judge);
    if (host != 0) return -1;

    // A list that could not be read would make its snap-ins look new, and
    // offering them again would enable what the user disabled; a policy that
    // could not be read might block them. Either way nothing new is offered
    // or written this time.
    const NewSnapins snapins = unread || !policy.Readable()
                                   ? NewSnapins()
                                   : SettleNewSnapins(registry, judge, ScanSnapinsDirectory(hostDirectory, known));
    if (!snapins.IsEmpty()) OfferAndRecord(registry, snapins);

    CreateMenuItem();
    return 0;
}
