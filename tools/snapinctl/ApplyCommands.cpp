#include "tools/snapinctl/ApplyCommands.h"

#include "registry/TextCase.h"
#include "startup/PolicyEnforcement.h"
#include "tools/snapinctl/DocumentJson.h"
#include "tools/snapinctl/DocumentRegedit.h"
#include "tools/snapinctl/ExitStatus.h"
#include "tools/snapinctl/JsonNames.h"
#include "tools/snapinctl/ListCommands.h"
#include "tools/snapinctl/PolicyCommands.h"
#include "tools/snapinctl/Text.h"

#include <cstdio>
#include <map>
#include <memory>
#include <new>
#include <set>

namespace snapinctl {

namespace {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

const char* ActionName(ChangeAction action) {
    switch (action) {
        case ChangeAction::Added: return "added";
        case ChangeAction::Changed: return "changed";
        case ChangeAction::Removed: return "removed";
        case ChangeAction::Unchanged: break;
    }
    return "unchanged";
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, got);
    return !std::ferror(file.get());
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

// A change of the plan, as apply prints it.
struct ChangeRecord {
    std::string name;
    ListCategory category = kEnabledObjectCategory;
    ChangeAction action = ChangeAction::Unchanged;

    Record Json() const {
        Record record;
        record[json::kName] = name;
        record[json::kList] = ListLabel(category);
        record[json::kKind] = kSnapinLists[category].kind;
        record[json::kAction] = ActionName(action);
        record[json::kChanged] = action != ChangeAction::Unchanged;
        return record;
    }
    std::string Text() const { return ListLabel(category) + (" " + name) + ": " + ActionName(action); }
};

void ReportChange(CommandContext& context, const ListChange& change) {
    const ChangeRecord record{AnsiToUtf8(change.value.name), change.category, change.action};
    if (change.action != ChangeAction::Unchanged || context.out.IsJson())
        context.out.Write(record.Json(), record.Text());
}

// The lists as stored; false, with a message, when one cannot be read.
bool ReadStoredLists(CommandContext& context, ListFamily family, ListDocument& document) {
    ListCategory failedList = kEnabledObjectCategory;
    const int result = ReadDocument(context.registry, family, document, failedList);
    if (result != 0) context.err.Report(std::string("cannot read the ") + ListLabel(failedList) + " list", result);
    return result == 0;
}

// The upper-cased file a value's text names; empty for other types.
// The text the host reads of a value's data; null for a type it reads none of.
const char* TextOfValue(const DocumentValue& value, bool expandable = false) {
    const bool text = value.type == REG_SZ || value.type == REG_MULTI_SZ || (expandable && value.type == REG_EXPAND_SZ);
    return text ? value.bytes.c_str() : nullptr;
}

CString FileOfValue(const DocumentValue& value, bool expandable = false) {
    const char* text = TextOfValue(value, expandable);
    CString file = text ? LoadedFileName(text) : CString();
    if (file.Failed()) throw std::bad_alloc();
    return file;
}

PolicyStanding StandingOfValue(CPolicyJudge& judge, const DocumentValue& value) {
    const CString name = UpperCaseName(value.name.c_str());
    return judge.WithTrust(judge.Policy().StandingOfEntry(name, FileOfValue(value)), name, TextOfValue(value));
}

// Why a value named after a required file would not load it; empty when it would.
std::string UnloadableRequired(const CSnapinPolicy& policy, const DocumentValue& value) {
    const CString name = UpperCaseName(value.name.c_str());
    if (policy.StandingOf(name) != PolicyStanding::Required) return std::string();
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ)
        return "the document makes it " + RegistryTypeName(value.type) + ", which loads no file";
    const CString file = FileOfValue(value, true);
    return file == name ? std::string() : "the document's data loads " + AnsiToUtf8(file.str()) + " instead";
}

// Reports each entry the document would put against the policy, or each
// required entry it would drop or leave unable to load; true when there is any.
bool BreaksPolicy(CommandContext& context, const ListDocument& stored, const ListDocument& wanted) {
    std::set<std::string> kept;
    bool breaks = false;
    CPolicyJudge judge(context.policy, context.hostDirectory);
    for (const ListCategory category : AllLists()) {
        for (const DocumentValue& value : wanted.lists[category]) {
            const PolicyStanding standing = StandingOfValue(judge, value);
            kept.insert(FoldedValueName(value.name));
            const std::string unloadable = UnloadableRequired(context.policy, value);
            if (!unloadable.empty()) {
                const std::string why = PolicyReason(PolicyStanding::Required) + ": " + unloadable;
                context.err.Report("\"" + AnsiToUtf8(value.name) + "\" is " + why);
                breaks = true;
            }
            if (!StandsAgainst(standing, category)) continue;
            context.err.Report("\"" + AnsiToUtf8(value.name) + "\" is " + PolicyReason(standing, judge.LastVerdict()) +
                               ": the document puts it in the " + ListLabel(category) + " list");
            breaks = true;
        }
    }
    for (const ListCategory category : AllLists())
        for (const DocumentValue& value : stored.lists[category])
            if (StandingOfValue(judge, value) == PolicyStanding::Required &&
                kept.insert(FoldedValueName(value.name)).second) {
                context.err.Report("\"" + AnsiToUtf8(value.name) +
                                   "\" is " + PolicyReason(PolicyStanding::Required) +
                                   ": the document drops it from the " +
                                   ListLabel(category) + " list");
                breaks = true;
            }
    return breaks;
}

bool ChangesAnything(const std::vector<ListChange>& plan) {
    for (const ListChange& change : plan)
        if (change.action != ChangeAction::Unchanged) return true;
    return false;
}
}  // namespace

int RunExport(CommandContext& context, ListFamily family, const std::string& format, const std::string& file) {
    ListDocument document;
    if (!ReadStoredLists(context, family, document)) return kExitFailure;
    const std::string text = format == "reg" ? DocumentRegedit(document) : DocumentJson(document);
    if (file.empty()) {
        context.out.WriteRaw(text);
        return kExitSuccess;
    }
    if (!WriteWholeFile(file, text)) {
        context.err.Report("cannot write " + AnsiToUtf8(file), static_cast<int>(GetLastError()));
        return kExitFailure;
    }
    return kExitSuccess;
}

std::vector<ListChange> PlanChanges(const ListDocument& stored, const ListDocument& wanted) {
    std::vector<ListChange> plan;
    for (const ListCategory category : AllLists()) {
        std::map<std::string, const DocumentValue*> storedByName;
        for (const DocumentValue& value : stored.lists[category]) storedByName[FoldedValueName(value.name)] = &value;
        for (const DocumentValue& value : wanted.lists[category]) {
            const auto found = storedByName.find(FoldedValueName(value.name));
            ChangeAction action = ChangeAction::Added;
            if (found != storedByName.end()) {
                const DocumentValue& old = *found->second;
                action = old.type == value.type && old.bytes == value.bytes ? ChangeAction::Unchanged
                                                                            : ChangeAction::Changed;
                storedByName.erase(found);
            }
            plan.push_back({category, action, value});
        }
        for (const DocumentValue& value : stored.lists[category])
            if (storedByName.count(FoldedValueName(value.name)))
                plan.push_back({category, ChangeAction::Removed, value});
    }
    return plan;
}

namespace {
// Carries out the plan's writes, or its deletions, and reports each change made.
int CarryOut(CommandContext& context, const std::vector<ListChange>& plan, bool removals) {
    int status = kExitSuccess;
    for (const ListChange& change : plan) {
        const bool removal = change.action == ChangeAction::Removed;
        if (removal != removals || change.action == ChangeAction::Unchanged) continue;
        const DocumentValue& value = change.value;
        const char* list = ListKey(change.category);
        const int result = context.dryRun ? 0
                           : removal      ? context.registry.DeleteEntry(list, value.name.c_str())
                                          : context.registry.WriteListValue(list, value.name.c_str(), value.type,
                                                                            value.bytes.data(),
                                                                            static_cast<DWORD>(value.bytes.size()));
        if (result != 0) {
            context.err.Report(std::string(removal ? "cannot remove \"" : "cannot write \"") + AnsiToUtf8(value.name) +
                                   (removal ? "\" from the " : "\" to the ") + ListLabel(change.category) + " list",
                               result);
            status = kExitFailure;
            continue;
        }
        ReportChange(context, change);
    }
    return status;
}
}  // namespace

int WriteChanges(CommandContext& context, const std::vector<ListChange>& plan) {
    return CarryOut(context, plan, false);
}

int RemoveChanges(CommandContext& context, const std::vector<ListChange>& plan) {
    return CarryOut(context, plan, true);
}

int RunApply(CommandContext& context, ListFamily family, const std::string& file) {
    std::string text, problem;
    if (!ReadWholeFile(file, text)) {
        context.err.Report("cannot read " + AnsiToUtf8(file), static_cast<int>(GetLastError()));
        return kExitFailure;
    }
    ListDocument wanted;
    if (!ParseDocument(text, wanted, problem)) {
        context.err.Report(AnsiToUtf8(file) + " is no list document: " + problem);
        return kExitFailure;
    }
    if (family != ListFamily::Running && family != wanted.family) {
        context.err.Report(AnsiToUtf8(file) + " holds the lists of the " + FamilyName(wanted.family) +
                           " family, not those of --platform " + FamilyName(family));
        return kExitBadCommandLine;
    }
    CSnapinRegistry registry(wanted.family);
    CommandContext applied{registry, context.hostDirectory, context.out, context.err, context.dryRun, context.policy};
    ListDocument stored;
    if (!ReadStoredLists(applied, wanted.family, stored)) return kExitFailure;
    if (BreaksPolicy(applied, stored, wanted)) {
        context.err.Report("changed nothing: " + AnsiToUtf8(file) + " is against the policy");
        return kExitFailure;
    }
    const std::vector<ListChange> plan = PlanChanges(stored, wanted);
    for (const ListChange& change : plan)
        if (change.action == ChangeAction::Unchanged) ReportChange(applied, change);
    if (WriteChanges(applied, plan) != 0) {
        context.err.Report("removed nothing, since a value could not be written");
        return kExitFailure;
    }
    const int status = RemoveChanges(applied, plan);
    if (!ChangesAnything(plan)) context.out.Say("nothing to change: the lists equal " + AnsiToUtf8(file));
    return status;
}

}  // namespace snapinctl
