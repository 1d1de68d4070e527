#include "tools/snapinctl/ListCommands.h"

#include "registry/SnapinRegistry.h"

#include <algorithm>
#include <array>
#include <set>

namespace snapinctl {

namespace {
constexpr size_t kLongestName = 255;
constexpr DWORD kLargestData = 260;

bool IsObjectList(ListCategory category) { return kSnapinLists[category].kind == kSnapinObject; }

std::string TypeName(DWORD type) {
    static const char* const kNames[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY",
                                         "REG_DWORD", "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ"};
    return type < 8 ? kNames[type] : "type " + std::to_string(type);
}

// Why an entry cannot be read as the lists' value format; empty when it can.
std::string EntryFault(const ListValue& value) {
    if (value.name.GetLength() > static_cast<int>(kLongestName))
        return "value name of " + std::to_string(value.name.GetLength()) + " characters, longer than 255";
    if (value.type != REG_SZ) return TypeName(value.type) + ", not REG_SZ";
    if (value.size > kLargestData) return "data of " + std::to_string(value.size) + " bytes, longer than 260";
    if (value.text.IsEmpty()) return "no text";
    return std::string();
}

bool IsRelativePath(const CString& path) {
    const char* text = path;
    return text[0] != '\\' && text[0] != '/' && !(text[0] && text[1] == ':');
}

// Sets state, kind and reason from the file the entry names.
void JudgeFile(const CString& path, ListCategory category, Record& record) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const int code = static_cast<int>(GetLastError());
        const bool gone = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        record["state"] = gone ? "missing" : "not-snapin";
        record["reason"] = Win32ErrorText(code);
        return;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        record["state"] = "directory";
        record["reason"] = "a directory, not a file";
        return;
    }
    int32_t kind = 0;
    ImageVerdict verdict;
    const int check = InspectSnapinFile(path, kind, verdict);
    if (check != 0) {
        record["state"] = "not-snapin";
        record["reason"] = CheckText(check, verdict);
        return;
    }
    record["kind"] = kind;
    const bool belongs = (kind == kSnapinObject) == IsObjectList(category);
    record["state"] = belongs ? "ok" : "wrong-kind";
    record["reason"] = KindText(kind) + (belongs ? "" : IsObjectList(category) ? " in an object list; it belongs in the view lists"
                                                                               : " in a view list; it belongs in the object lists");
}

Record ListRecord(CommandContext& context, ListCategory category, const ListValue& value) {
    Record record;
    record["list"] = ListLabel(category);
    record["name"] = AnsiToUtf8(value.name.str());
    record["data"] = value.text.IsEmpty() && value.type != REG_SZ ? Record() : Record(AnsiToUtf8(value.text.str()));
    record["path"] = nullptr;
    record["state"] = "bad-entry";
    record["kind"] = nullptr;
    const std::string fault = EntryFault(value);
    record["reason"] = fault;
    if (fault.empty()) {
        const CString path = IsRelativePath(value.text) ? context.hostDirectory + value.text : value.text;
        record["path"] = AnsiToUtf8(path.str());
        JudgeFile(path, category, record);
    }
    // The dialog shows the description, or the upper-cased name; a name too
    // long for it gets no row at all.
    record["description"] = nullptr;
    if (value.name.GetLength() <= static_cast<int>(kLongestName))
        record["description"] = AnsiToUtf8(RowText(context.registry, ListKey(category), UpperCaseName(value.name)).str());
    return record;
}

std::string ListText(const Record& record) {
    std::string text = record["list"].get<std::string>() + " " + record["name"].get<std::string>() + ": " +
                       record["state"].get<std::string>() + " (" + record["reason"].get<std::string>() + ")";
    if (!record["path"].is_null()) text += "; " + record["path"].get<std::string>();
    if (!record["description"].is_null()) text += "; \"" + record["description"].get<std::string>() + "\"";
    return text;
}

using NamesByList = std::array<std::set<std::string>, kListCount>;

// The upper-cased value names of each list, by ListCategory; false, with a
// message for each, when a list exists but cannot be read: its names would
// be missing, and a name in it would read as in no list.
bool ReadNamesByList(CommandContext& context, NamesByList& lists) {
    bool read = true;
    for (const SnapinListFacts& list : kSnapinLists) {
        CStringList names;
        // A missing list holds nothing; an over-long name, which no command
        // line can name, is passed over and the rest of its list is read.
        const int result = context.registry.EnumEntries(list.key, names);
        if (result != 0 && result != ERROR_FILE_NOT_FOUND && result != ERROR_MORE_DATA) {
            context.err.Report(std::string("cannot read the ") + list.label + " list", result);
            read = false;
        }
        for (const CString& name : names) lists[list.category].insert(name.str());
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

Record MoveRecord(const CString& name, ListCategory from, ListCategory to, bool changed) {
    Record record;
    record["name"] = AnsiToUtf8(name.str());
    record["list"] = ListLabel(to);
    record["kind"] = kSnapinLists[to].kind;
    record["from"] = ListLabel(from);
    record["changed"] = changed;
    return record;
}

std::string MoveText(const Record& record) {
    const std::string name = record["name"].get<std::string>();
    const std::string to = record["list"].get<std::string>();
    if (!record["changed"].get<bool>()) return name + ": already in " + to;
    return name + ": moved from " + record["from"].get<std::string>() + " to " + to;
}
}  // namespace

// Calls `each` with every entry's record, in the dialog's order; 0, or 1
// when a list could not be read.
template <typename Each>
int ForEachEntry(CommandContext& context, Each each) {
    int status = 0;
    for (ListCategory category : ListsInFillOrder()) {
        std::vector<ListValue> values;
        const int result = context.registry.ReadListValues(ListKey(category), values);
        if (result != 0 && result != ERROR_FILE_NOT_FOUND) {
            context.err.Report(std::string("cannot read the ") + ListLabel(category) + " list", result);
            status = 1;
        }
        for (const ListValue& value : values) each(category, value, ListRecord(context, category, value));
    }
    return status;
}

int RunList(CommandContext& context, bool check) {
    bool problems = false;
    const int status = ForEachEntry(context, [&](ListCategory, const ListValue&, const Record& record) {
        problems = problems || record["state"] != "ok";
        context.out.Write(record, ListText(record));
    });
    return status == 0 && check && problems ? kFoundProblems : status;
}

int RunPrune(CommandContext& context, const std::vector<std::string>& states) {
    const std::set<std::string> pruned = states.empty() ? std::set<std::string>{"missing"}
                                                         : std::set<std::string>(states.begin(), states.end());
    bool removed = false;
    int status = ForEachEntry(context, [&](ListCategory category, const ListValue& value, Record record) {
        const bool prune = pruned.count(record["state"].get<std::string>()) > 0;
        const int result = prune && !context.dryRun ? context.registry.DeleteEntry(ListKey(category), value.name) : 0;
        if (result != 0) {
            context.err.Report("cannot remove \"" + AnsiToUtf8(value.name.str()) + "\" from the " +
                                   ListLabel(category) + " list",
                               result);
            status = 1;
            return;
        }
        record["action"] = prune ? "removed" : "kept";
        record["changed"] = prune;
        removed = removed || prune;
        if (prune || context.out.IsJson()) context.out.Write(record, "removed " + ListText(record));
    });
    if (!removed) {
        std::string names;
        for (const std::string& state : pruned) names += (names.empty() ? "" : " or ") + state;
        context.out.Say("nothing to prune: no entry is " + names);
    }
    return status;
}

int RunMove(CommandContext& context, bool enable, const std::vector<std::string>& names) {
    NamesByList lists;
    if (!ReadNamesByList(context, lists)) return 1;
    const auto holds = [&](ListCategory category, const CString& name) { return lists[category].count(name.str()) > 0; };
    std::vector<CString> wanted;
    bool unknown = false;
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
    if (unknown) return 1;

    int status = 0;
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
                status = failed = 1;
                continue;
            }
            moved = true;
            const Record record = MoveRecord(name, source.category, OtherList(source.category), true);
            context.out.Write(record, MoveText(record));
        }
        if (!moved && !failed && target) {
            const Record record = MoveRecord(name, target->category, target->category, false);
            context.out.Write(record, MoveText(record));
        }
    }
    return status;
}

}  // namespace snapinctl
