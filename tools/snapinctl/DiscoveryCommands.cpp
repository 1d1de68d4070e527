#include "tools/snapinctl/DiscoveryCommands.h"

#include "startup/SnapinScan.h"

namespace snapinctl {

namespace {
const char* ActionName(ScanAction action) {
    switch (action) {
        case ScanAction::Offer: return "offer";
        case ScanAction::Known: return "known";
        case ScanAction::Skip: break;
    }
    return "skip";
}

std::string ScanReason(const ScannedFile& file) {
    switch (file.action) {
        case ScanAction::Offer: return KindText(file.kind);
        case ScanAction::Known: return std::string("in the ") + ListLabel(file.knownIn) + " list";
        case ScanAction::Skip: break;
    }
    return file.directory ? "directory" : CheckText(file.check, file.verdict);
}

// `enableNew`: the list an offered snap-in goes to is the enabled one.
Record ScanRecord(CommandContext& context, const ScannedFile& file, bool enableNew) {
    const bool offered = file.action == ScanAction::Offer;
    Record record;
    record["file"] = AnsiToUtf8(file.file.str());
    record["name"] = AnsiToUtf8(file.name.str());
    record["action"] = ActionName(file.action);
    record["kind"] = offered ? Record(file.kind) : Record();
    record["list"] = offered ? Record(ListLabel(ListOfKind(file.kind, enableNew))) : Record();
    record["reason"] = ScanReason(file);
    // The new snap-ins dialog's row text.
    record["description"] = offered ? Record(AnsiToUtf8(RowText(context.registry, nullptr, file.name).str())) : Record();
    return record;
}

std::string ScanText(const Record& record) {
    std::string text = record["file"].get<std::string>() + ": " + record["action"].get<std::string>() + " (" +
                       record["reason"].get<std::string>() + ")";
    if (!record["list"].is_null())
        text += " to " + record["list"].get<std::string>() + "; \"" + record["description"].get<std::string>() + "\"";
    return text;
}

// The scan start-up would make; false, with a message, when a list could not
// be read, since start-up then offers nothing.
bool Scan(CommandContext& context, CArray<ScannedFile>& files) {
    int unread = 0;
    const KnownNames known = CollectKnownNames(context.registry, unread);
    if (unread) {
        context.err.Report("cannot read every snap-in list", unread);
        return false;
    }
    files = ScanSnapinsDirectory(context.hostDirectory, known);
    return true;
}
}  // namespace

int RunScan(CommandContext& context) {
    CArray<ScannedFile> files;
    if (!Scan(context, files)) return 1;
    for (const ScannedFile& file : files) {
        const Record record = ScanRecord(context, file, true);
        context.out.Write(record, ScanText(record));
    }
    return 0;
}

int RunSync(CommandContext& context, bool enableNew) {
    CArray<ScannedFile> files;
    if (!Scan(context, files)) return 1;
    int status = 0;
    bool wrote = false;
    for (const ScannedFile& file : files) {
        Record record = ScanRecord(context, file, enableNew);
        record["changed"] = false;
        if (file.action == ScanAction::Offer) {
            const ListCategory list = ListOfKind(file.kind, enableNew);
            const int result = context.dryRun ? 0 : context.registry.WriteEntry(ListKey(list), file.name, false);
            if (result != 0) {
                context.err.Report("cannot write \"" + AnsiToUtf8(file.name.str()) + "\" to the " + ListLabel(list) +
                                       " list",
                                   result);
                status = 1;
                continue;
            }
            record["changed"] = wrote = true;
            context.out.Write(record, "wrote " + record["name"].get<std::string>() + " to " + ListLabel(list) +
                                          " (" + AnsiToUtf8(EntryData(file.name).str()) + ")");
        } else if (context.out.IsJson()) {
            context.out.Write(record, std::string());
        }
    }
    if (!wrote && status == 0)
        context.out.Say(std::string("nothing to write: ") + kSnapinsDirectory + " holds no new snap-in");
    return status;
}

}  // namespace snapinctl
