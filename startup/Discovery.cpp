// Start-up work of the module: self-registration, discovery of snap-ins
// copied into SNAPINS\ since the last start, and the menu item.
#include "files/SnapinFiles.h"
#include "framework/FileFind.h"
#include "module/SnapinSetupApp.h"
#include "registry/SnapinRegistry.h"
#include "ui/NewSnapinsDlg.h"
#include "ui/SnapinItem.h"

#include <memory>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

namespace {
const char kSnapinsPattern[] = "SNAPINS\\*.DLL";
const char kSnapinsPrefix[] = "SNAPINS\\";

using KnownNames = std::unordered_set<std::string>;
using NewSnapins = std::vector<std::unique_ptr<SnapinItem>>;

// The upper-cased value names of all four lists; `complete` is false when a
// list exists but could not be read to its end.
KnownNames CollectKnownNames(bool& complete) {
    CSnapinRegistry registry;
    CStringList names;
    complete = true;
    for (const char* list : {kEnabledObjectList, kDisabledObjectList, kEnabledViewList, kDisabledViewList}) {
        const int result = registry.EnumEntries(list, names);
        if (result != 0 && result != ERROR_FILE_NOT_FOUND && result != ERROR_MORE_DATA) complete = false;
    }
    KnownNames known;
    for (const CString& name : names) known.insert(name.str());
    return known;
}

// A record for the file if it is a new snap-in; null otherwise.
std::unique_ptr<SnapinItem> InspectCandidate(const CString& upperName) {
    CString hostDirectory;
    if (GetHostDirectory(hostDirectory) != 0) return nullptr;
    int32_t kind = 0;
    if (CheckSnapinImage(hostDirectory + kSnapinsPrefix + upperName, kind) != 0) return nullptr;
    std::unique_ptr<SnapinItem> item(new (std::nothrow) SnapinItem);
    if (!item) return nullptr;
    item->kind = kind;
    // Every row is offered checked; a dialog that ends without "Close"
    // records that choice.
    item->enabled = 1;
    item->fileName = upperName;
    return item;
}

// Snap-ins in SNAPINS\ that stand in no list, in directory order.
NewSnapins FindNewSnapins(const CString& hostDirectory, const KnownNames& known) {
    NewSnapins found;
    CFileFind finder;
    bool more = finder.FindFile(hostDirectory + kSnapinsPattern);
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDirectory()) continue;
        CString upperName = UpperCaseName(finder.GetFileName());
        if (known.count(upperName.str())) continue;
        if (auto item = InspectCandidate(upperName)) found.push_back(std::move(item));
    }
    finder.Close();
    return found;
}

const char* TargetList(const SnapinItem& item) {
    if (item.kind == kSnapinObject) return item.enabled ? kEnabledObjectList : kDisabledObjectList;
    return item.enabled ? kEnabledViewList : kDisabledViewList;
}

void OfferAndRecord(const NewSnapins& snapins) {
    CPtrList offered;
    for (const auto& item : snapins) offered.AddTail(item.get());
    CNewSnapinsDlg dialog(&offered);
    dialog.DoModal();

    CSnapinRegistry registry;
    for (const auto& item : snapins) registry.WriteEntry(TargetList(*item), item->fileName, false);
}
}  // namespace

int CSnapinSetupApp::OnInit() {
    AfxSetResourceHandle(GetInstanceHandle());
    RegisterSelf();
    bool allListsRead = false;
    const KnownNames known = CollectKnownNames(allListsRead);

    CString hostDirectory;
    if (GetHostDirectory(hostDirectory) != 0) return -1;

    // A list that could not be read would make its snap-ins look new, and
    // offering them again would enable what the user disabled: offer
    // nothing this time.
    const NewSnapins snapins = allListsRead ? FindNewSnapins(hostDirectory, known) : NewSnapins();
    if (!snapins.empty()) OfferAndRecord(snapins);

    CreateMenuItem();
    return 0;
}
