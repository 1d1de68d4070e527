// Start-up work of the module: self-registration, discovery of snap-ins
// copied into the snap-ins directory since the last start, and the menu item.
#include "files/SnapinFiles.h"
#include "framework/Array.h"
#include "module/SnapinSetupApp.h"
#include "registry/SnapinRegistry.h"
#include "startup/SnapinScan.h"
#include "ui/NewSnapinsDlg.h"
#include "ui/SnapinItem.h"

#include <memory>
#include <new>
#include <utility>

namespace {
using NewSnapins = CArray<std::unique_ptr<SnapinItem>>;

// A record for each file the scan offers, in directory order; a file whose
// record cannot be allocated is passed over.
NewSnapins RecordsOfOffers(const CArray<ScannedFile>& files) {
    NewSnapins found;
    for (const ScannedFile& file : files) {
        if (file.action != ScanAction::Offer) continue;
        std::unique_ptr<SnapinItem> item(new (std::nothrow) SnapinItem);
        if (!item) continue;
        item->kind = file.kind;
        // Every row is offered checked; a dialog that ends without "Close"
        // records that choice.
        item->enabled = 1;
        item->fileName = file.name;
        if (!item->fileName.Failed()) found.Add(std::move(item));
    }
    return found;
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
    int unread = 0;
    const KnownNames known = CollectKnownNames(registry, unread);

    CString hostDirectory;
    if (GetHostDirectory(hostDirectory) != 0) return -1;

    // A list that could not be read would make its snap-ins look new, and
    // offering them again would enable what the user disabled: offer
    // nothing this time.
    const NewSnapins snapins = unread ? NewSnapins() : RecordsOfOffers(ScanSnapinsDirectory(hostDirectory, known));
    if (!snapins.IsEmpty()) OfferAndRecord(registry, snapins);

    CreateMenuItem();
    return 0;
}
