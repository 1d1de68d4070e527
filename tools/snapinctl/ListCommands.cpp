#include "tools/snapinctl/ListCommands.h"

#include "registry/ListValueLimits.h"
#include "registry/SnapinRegistry.h"
#include "registry/TextCase.h"
#include "startup/PolicyEnforcement.h"
#include "startup/PolicyJudge.h"
#include "startup/SnapinScan.h"
#include "tools/snapinctl/ExitStatus.h"
#include "tools/snapinctl/FileState.h"
#include "tools/snapinctl/JsonNames.h"
#include "tools/snapinctl/PolicyCommands.h"
#include "tools/snapinctl/Text.h"

#include <algorithm>
#include <array>
#include <map>
#include <new>
#include <optional>
#include <set>

namespace snapinctl {

namespace {
bool IsObjectList(ListCategory category) { return kSnapinLists[category].kind == kSnapinObject; }

// Why an entry cannot be read as the lists' value format; empty when it can.
std::string EntryFault(const ListValue& value) {
    if (value.name.GetLength() > kLongestValueName)
        return "value name of " + std::to_string(value.name.GetLength()) + " characters, longer than " +
               std::to_string(kLongestValueName);
    if (value.type != REG_SZ) return RegistryTypeName(value.type) + ", not REG_SZ";
    if (value.size > kLargestValueData)
        return "data of " + std::to_string(value.size) + " bytes, longer than " + std::to_string(kLargestValueData);
    if (value.text.IsEmpty()) return "no text";
    return std::string();
}

// One entry of a list, as list and prune print it.
struct EntryRecord {
    std::optional<std::string> list;  // none for a required name in no list
    std::string name;
    std::optional<std::string> data;  // the text of a REG_SZ; null for other types without text
    std::optional<std::string> path;  // the file the entry names, when it is well formed
    FileState state = FileState::BadEntry;
    std::optional<int32_t> kind;
    std::string reason;
    std::optional<std::string> description;  // the dialog's row text; null for a name too long for it
    std::optional<bool> removed;              // prune: whether it was removed
    PolicyStanding standing = PolicyStanding::Free;
    TrustVerdict verdict = TrustVerdict::Trusted;  // why, when untrusted

    Record Json() const {
        Record record;
        record[json::kList] = Nullable(list);
        record[json::kName] = name;
        record[json::kData] = Nullable(data);
        record[json::kPath] = Nullable(path);
        record[json::kState] = StateName(state);
        record[json::kKind] = Nullable(kind);
        record[json::kReason] = reason;
        record[json::kDescription] = Nullable(description);
        record[json::kPolicy] = Nullable(StandingName(standing));
        if (removed) {
            record[json::kAction] = *removed ? "removed" : "kept";
            record[json::kChanged] = *removed;
        }
        return record;
    }
    std::string Text() const {
        std::string text = list.value_or("no list") + " " + name + ": " + StateName(state) + " (" + reason + ")";
        if (path) text += "; " + *path;
        if (description) text += "; \"" + *description + "\"";
        if (standing != PolicyStanding::Free) text += "; " + PolicyReason(standing, verdict);
        return removed && *removed ? "removed " + text : text;
    }
};

// A required name in no list and without a file, which list reports.
EntryRecord UnlistedRecord(CommandContext& context, const std::string& name) {
    EntryRecord record;
    record.name = name;
    record.path = AnsiToUtf8((context.hostDirectory + EntryData(name.c_str())).str());
    record.state = FileState::Missing;
    record.reason = PolicyReason(PolicyStanding::Required) + ", in no list and without a file: its kind is unknown";
    record.standing = PolicyStanding::Required;
    return record;
}

// Sets state, kind and reason from the file the entry names.
void JudgeFile(const CString& path, ListCategory category, EntryRecord& record) {
    const FileCheck file = CheckFile(path);
    record.state = file.state;
    if (file.state == FileState::Directory) {
        record.reason = "a directory, not a file";
        return;
    }
    record.reason = CheckText(file);
    if (file.state != FileState::Ok) return;
    record.kind = file.kind;
    if ((file.kind == kSnapinObject) == IsObjectList(category)) return;
    record.state = FileState::WrongKind;
    record.reason += IsObjectList(category) ? " in an object list; it belongs in the view lists"
                                            : " in a view list; it belongs in the object lists";
}

// The upper-cased file the host loads for a value: none for data without text.
CString LoadedFile(const ListValue& value) {
    CString file = LoadedFileName(value.text);
    if (file.Failed()) throw std::bad_alloc();
    return file;
}

EntryRecord MakeEntryRecord(CommandContext& context, CPolicyJudge& judge, ListCategory category,
                            const ListValue& value) {
    EntryRecord record;
    record.list = ListLabel(category);
    record.name = AnsiToUtf8(value.name.str());
    if (!value.text.IsEmpty() || value.type == REG_SZ) record.data = AnsiToUtf8(value.text.str());
    record.reason = EntryFault(value);
    if (record.reason.empty()) {
        const CString path = IsRelativePath(value.text) ? context.hostDirectory + value.text : value.text;
        record.path = AnsiToUtf8(path.str());
        JudgeFile(path, category, record);
    }
    const CString upperName = UpperCaseName(value.name);
    const CString file = LoadedFile(value);
    record.standing = judge.StandingOfEntry(upperName, value.text);
    record.verdict = judge.LastVerdict();
    if (record.state == FileState::Ok && !file.IsEmpty() && file != upperName && !(upperName == kCanonicalFileName)) {
        record.state = FileState::NameMismatch;
        record.reason = "loads " + AnsiToUtf8(file.str()) + ", not " + AnsiToUtf8(upperName.str());
    }
    const bool sound = record.state == FileState::Ok || record.state == FileState::NameMismatch;
    if (sound && StandsAgainst(record.standing, category)) {
        record.state = FileState::AgainstPolicy;
        record.reason = PolicyReason(record.standing, record.verdict) + ", yet in " +
                        (kSnapinLists[category].enabled ? "an enabled list" : "a disabled list");
        if (file != upperName) record.reason += "; it loads " + AnsiToUtf8(file.str());
    }
    // The dialog shows the description, or the upper-cased name; a name too
    // long for it gets no row at all.
    if (value.name.GetLength() <= kLongestValueName) {
        CString data;  // left empty when the entry cannot be read
        context.registry.ReadEntry(ListKey(category), upperName, data);
        record.description = AnsiToUtf8(RowText(data, upperName).str());
    }
    return record;
}

void Write(CommandContext& context, const MoveRecord& record) { context.out.Write(record.Json(), record.Text()); }

// Each list's upper-cased value names, with each entry's data.
using EntriesByList = std::array<std::map<std::string, CString>, kListCount>;

// The entries of each list, by ListCategory; false, with a message for
// each, when a list exists but cannot be read: its names would be missing,
// and a name in it would read as in no list.
bool ReadEntriesByList(CommandContext& context, EntriesByList& lists) {
    bool read = true;
    for (const SnapinListFacts& list : kSnapinLists) {
        CStringList names, data;
        const int result = ReadKnownNames(context.registry, list, names, &data);
        if (result != 0) {
            context.err.Report(std::string("cannot read the ") + list.label + " list", result);
            read = false;
        }
        const CString* text = data.begin();
        for (const CString& name : names) lists[list.category].emplace(name.str(), *text++);
    }
    return read;
}

// Moves one entry to the other list of its kind; false, with a message, when
// the write failed (the entry stays where it was) or the delete after it
// failed (the entry now stands in both lists).
bool MoveOne(CommandContext& context, ListCategory source, const CString& name) {
    if (context.dryRun) return true;
    const EntryMove move = context.registry.MoveEntry(source, name);
    const std::string quoted = "\"" + AnsiToUtf8(name.str()) + "\"";
    const char* target = ListLabel(OtherList(source));
    if (move.written != 0) {
        context.err.Report("cannot write " + quoted + " to the " + target + " list", move.written);
        return false;
    }
    if (move.deleted != 0) {
        context.err.Report(quoted + " now stands in both lists: wrote it to the " + std::string(target) +
                               " list but cannot delete it from the " + ListLabel(source) + " list",
                           move.deleted);
        return false;
    }
    return true;
}

// Calls `each` with every entry's record, in the dialog's order; 0, or 1
// when a list could not be read.
template <typename Each>
int ForEachEntry(CommandContext& context, Each each) {
    int status = kExitSuccess;
    CPolicyJudge judge(context.policy, context.hostDirectory);
    for (ListCategory category : ListsInFillOrder()) {
        std::vector<ListValue> values;
        const int result = context.registry.ReadListValues(ListKey(category), values);
        if (result != 0 && result != ERROR_FILE_NOT_FOUND) {
            context.err.Report(std::string("cannot read the ") + ListLabel(category) + " list", result);
            status = kExitFailure;
        }
        for (const ListValue& value : values) each(category, value, MakeEntryRecord(context, judge, category, value));
    }
    return status;
}
}  // namespace

std::string RegistryTypeName(DWORD type) {
    static const char* const kNames[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY",
                                         "REG_DWORD", "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ"};
    return type < 8 ? kNames[type] : "type " + std::to_string(type);
}

Record MoveRecord::Json() const {
    Record record;
    record[json::kName] = name;
    record[json::kList] = ListLabel(to);
    record[json::kKind] = kSnapinLists[to].kind;
    record[json::kFrom] = ListLabel(from);
    if (!reason.empty()) record[json::kReason] = reason;
    if (staleCopy) record[json::kStaleCopy] = true;
    record[json::kChanged] = changed;
    return record;
}

std::string MoveRecord::Text() const {
    if (!changed) return name + ": already in " + ListLabel(to);
    const std::string why = reason.empty() ? "" : " (" + reason + ")";
    if (staleCopy)
        return name + ": removed a stale copy from " + ListLabel(from) + "; kept the one in " + ListLabel(to) + why;
    return name + ": moved from " + ListLabel(from) + " to " + ListLabel(to) + why;
}

int RunList(CommandContext& context, bool check) {
    bool problems = false;
    const int status = ForEachEntry(context, [&](ListCategory, const ListValue&, const EntryRecord& record) {
        problems = problems || record.state != FileState::Ok;
        context.out.Write(record.Json(), record.Text());
    });
    const UnlistedRequired unlisted = FindUnlistedRequired(context);
    for (const std::string& name : unlisted.names) {
        const EntryRecord record = UnlistedRecord(context, name);
        context.out.Write(record.Json(), record.Text());
        problems = true;
    }
    return status == kExitSuccess && check && problems ? kExitFoundProblems : status;
}

int RunPrune(CommandContext& context, const std::vector<std::string>& states) {
    const std::set<std::string> pruned = states.empty() ? std::set<std::string>{StateName(FileState::Missing)}
                                                         : std::set<std::string>(states.begin(), states.end());
    bool removed = false, keptRequired = false;
    int status = ForEachEntry(context, [&](ListCategory category, const ListValue& value, EntryRecord record) {
        const bool named = pruned.count(StateName(record.state)) > 0;
        const bool required = named && record.standing == PolicyStanding::Required;
        const bool prune = named && !required;
        const int result = prune && !context.dryRun ? context.registry.DeleteEntry(ListKey(category), value.name) : 0;
        if (result != 0) {
            context.err.Report("cannot remove \"" + AnsiToUtf8(value.name.str()) + "\" from the " +
                                   ListLabel(category) + " list",
                               result);
            status = kExitFailure;
            return;
        }
        record.removed = prune;
        removed = removed || prune;
        keptRequired = keptRequired || required;
        if (required) record.reason = PolicyReason(PolicyStanding::Required);
        if (prune || context.out.IsJson()) context.out.Write(record.Json(), record.Text());
        if (required && !context.out.IsJson()) context.out.Say("kept " + record.Text());
    });
    if (!removed && !keptRequired) {
        std::string names;
        for (const std::string& state : pruned) names += (names.empty() ? "" : " or ") + state;
        context.out.Say("nothing to prune: no entry is " + names);
    }
    return status;
}

int RunMove(CommandContext& context, bool enable, const std::vector<std::string>& names) {
    EntriesByList lists;
    if (!ReadEntriesByList(context, lists)) return kExitFailure;
    const auto holds = [&](ListCategory category, const CString& name) { return lists[category].count(name.str()) > 0; };
    // Any copy of the name that the policy holds where it is refuses the move.
    CPolicyJudge judge(context.policy, context.hostDirectory);
    const ListCategory into = ListOfKind(kSnapinObject, enable);
    const auto refusal = [&](const CString& name) {
        for (const auto& list : lists) {
            const auto found = list.find(name.str());
            const PolicyStanding standing =
                found != list.end() ? judge.StandingOfEntry(name, found->second) : PolicyStanding::Free;
            if (StandsAgainst(standing, into)) return PolicyReason(standing, judge.LastVerdict());
        }
        return std::string();
    };
    std::vector<CString> wanted;
    bool unknown = false;  // or refused by the policy
    for (const std::string& given : names) {
        const CString name = UpperCaseName(given.c_str());
        bool listed = false;
        for (const SnapinListFacts& list : kSnapinLists) listed = listed || holds(list.category, name);
        if (!listed) {
            context.err.Report("\"" + AnsiToUtf8(given) + "\" is in no list");
            unknown = true;
        }
        if (std::find(wanted.begin(), wanted.end(), name) == wanted.end()) wanted.push_back(name);
    }
    for (const CString& name : wanted) {
        const std::string reason = refusal(name);
        if (reason.empty()) continue;
        context.err.Report("\"" + AnsiToUtf8(name.str()) + "\" is " + reason);
        unknown = true;
    }
    if (unknown) return kExitFailure;

    int status = kExitSuccess;
    for (const CString& name : wanted) {
        bool moved = false, failed = false;
        const SnapinListFacts* target = nullptr;
        for (const SnapinListFacts& source : kSnapinLists) {
            if (!holds(source.category, name)) continue;
            if (source.enabled == enable) {
                target = &source;
                continue;
            }
            if (!MoveOne(context, source.category, name)) {
                status = kExitFailure;
                failed = true;
                continue;
            }
            moved = true;
            const ListCategory target = OtherList(source.category);
            Write(context, {AnsiToUtf8(name.str()), source.category, target, true, {}, holds(target, name)});
        }
        if (!moved && !failed && target)
            Write(context, {AnsiToUtf8(name.str()), target->category, target->category, false, {}});
    }
    return status;
}

}  // namespace snapinctl
