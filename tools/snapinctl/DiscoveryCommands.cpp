#include "tools/snapinctl/DiscoveryCommands.h"

#include "startup/PolicyEnforcement.h"
#include "startup/SnapinScan.h"
#include "tools/snapinctl/ExitStatus.h"
#include "tools/snapinctl/FileState.h"
#include "tools/snapinctl/JsonNames.h"
#include "tools/snapinctl/PolicyCommands.h"
#include "tools/snapinctl/Text.h"

#include <optional>

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

// Where a new snap-in goes, as start-up or sync decides it.
struct Destination {
    NewSnapinFate fate = NewSnapinFate::Offer;
    std::string why;  // the policy's part in it; empty when it has none
    PolicyStanding standing = PolicyStanding::Free;
};

// What start-up does under the policy, NewSnapins included. Only a file it
// would offer has its signature looked at.
Destination StartupDestination(CPolicyJudge& judge, const ScannedFile& file) {
    const CSnapinPolicy& policy = judge.Policy();
    const PolicyStanding standing =
        file.action == ScanAction::Offer ? judge.StandingOfNewFile(file.name) : policy.StandingOf(file.name);
    const NewSnapinFate fate = FateOfNewSnapin(policy, standing);
    if (!policy.Readable()) return {fate, "the policy cannot be read", standing};
    if (standing != PolicyStanding::Free) return {fate, PolicyReason(standing, judge.LastVerdict()), standing};
    return {fate, fate == NewSnapinFate::Offer ? "" : "written without asking, as NewSnapins says", standing};
}

// What sync does: Blocked and Required as start-up, --new in place of NewSnapins.
Destination SyncDestination(CPolicyJudge& judge, const ScannedFile& file, bool enableNew) {
    Destination destination = StartupDestination(judge, file);
    if (destination.fate != NewSnapinFate::Skip && destination.standing == PolicyStanding::Free)
        destination = {enableNew ? NewSnapinFate::WriteEnabled : NewSnapinFate::WriteDisabled, ""};
    return destination;
}

std::string ScanReason(const ScannedFile& file, const Destination& destination) {
    switch (file.action) {
        case ScanAction::Offer:
            if (destination.fate == NewSnapinFate::Skip) return destination.why;
            return KindText(file.kind) + (destination.why.empty() ? "" : ", " + destination.why);
        case ScanAction::Known: return std::string("in the ") + ListLabel(file.knownIn) + " list";
        case ScanAction::Skip: break;
    }
    return file.directory ? "directory" : CheckText(file.check, file.verdict);
}

// One DLL of the snap-ins directory, as scan and sync print it.
struct ScanRecord {
    std::string file;
    std::string name;
    ScanAction action = ScanAction::Skip;
    std::optional<int32_t> kind;      // an offered snap-in's
    std::optional<std::string> list;  // the list an offered snap-in goes to
    std::string reason;
    std::optional<std::string> description;  // the new snap-ins dialog's row text
    std::optional<bool> written;              // sync: whether it was written

    Record Json() const {
        Record record;
        record[json::kFile] = file;
        record[json::kName] = name;
        record[json::kAction] = ActionName(action);
        record[json::kKind] = Nullable(kind);
        record[json::kList] = Nullable(list);
        record[json::kReason] = reason;
        record[json::kDescription] = Nullable(description);
        if (written) record[json::kChanged] = *written;
        return record;
    }
    std::string Text() const {
        std::string text = file + ": " + ActionName(action) + " (" + reason + ")";
        if (list) text += " to " + *list + "; \"" + *description + "\"";
        return text;
    }
};

// An offered snap-in goes to the enabled list, as its row is checked.
ScanRecord MakeScanRecord(const ScannedFile& file, const Destination& destination) {
    ScanRecord record;
    record.file = AnsiToUtf8(file.file.str());
    record.name = AnsiToUtf8(file.name.str());
    record.reason = ScanReason(file, destination);
    const bool skipped = file.action == ScanAction::Offer && destination.fate == NewSnapinFate::Skip;
    record.action = skipped ? ScanAction::Skip : file.action;
    if (record.action == ScanAction::Offer) {
        record.kind = file.kind;
        record.list = ListLabel(ListOfKind(file.kind, destination.fate != NewSnapinFate::WriteDisabled));
        record.description = AnsiToUtf8(RowText(EntryData(file.name), file.name).str());
    }
    return record;
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
    if (!Scan(context, files)) return kExitFailure;
    CPolicyJudge judge(context.policy, context.hostDirectory);
    for (const ScannedFile& file : files) {
        const ScanRecord record = MakeScanRecord(file, StartupDestination(judge, file));
        context.out.Write(record.Json(), record.Text());
    }
    return kExitSuccess;
}

int RunSync(CommandContext& context, bool enableNew) {
    CArray<ScannedFile> files;
    if (!Scan(context, files)) return kExitFailure;
    int status = kExitSuccess;
    bool wrote = false;
    CPolicyJudge judge(context.policy, context.hostDirectory);
    for (const ScannedFile& file : files) {
        const Destination destination = SyncDestination(judge, file, enableNew);
        ScanRecord record = MakeScanRecord(file, destination);
        record.written = false;
        if (record.action == ScanAction::Offer) {
            const ListCategory list = ListOfKind(file.kind, destination.fate == NewSnapinFate::WriteEnabled);
            const int result = context.dryRun ? 0 : context.registry.WriteEntry(ListKey(list), file.name, false);
            if (result != 0) {
                context.err.Report("cannot write \"" + record.name + "\" to the " + ListLabel(list) + " list", result);
                status = kExitFailure;
                continue;
            }
            record.written = wrote = true;
            context.out.Write(record.Json(), "wrote " + record.name + " to " + *record.list + " (" +
                                                 AnsiToUtf8(EntryData(file.name).str()) + ")");
        } else if (context.out.IsJson()) {
            context.out.Write(record.Json(), std::string());
        }
    }
    if (!wrote && status == kExitSuccess)
        context.out.Say(std::string("nothing to write: ") + kSnapinsDirectory + " holds no new snap-in");
    return status;
}

}  // namespace snapinctl
