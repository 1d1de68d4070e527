#include "tools/snapinctl/ListCommands.h"

#include "registry/SnapinRegistry.h"

#include <algorithm>
#include <set>

namespace snapinctl {

namespace {
// The order in which the configuration dialog fills its rows.
const int kFillOrder[] = {0, 2, 1, 3};
constexpr size_t kLongestName = 255;
constexpr DWORD kLargestData = 260;

bool IsObjectList(int category) { return category < 2; }
bool IsEnabledList(int category) { return category % 2 == 0; }
int OtherList(int category) { return category ^ 1; }

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
void JudgeFile(const CString& path, int category, Record& record) {
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

Record ListRecord(CommandContext& context, int category, const ListValue& value) {
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
    if (value.name.GetLength() <= static_cast<int>(kLongestName)) {
        const CString name = UpperCaseName(value.name);
        CString description;
        const bool described = context.registry.GetEntryDescription(kListsByCategory[category], name, description) == 0;
        record["description"] = AnsiToUtf8((described ? description : name).str());
    }
    return record;
}

std::string ListText(const Record& record) {
    std::string text = record["list"].get<std::string>() + " " + record["name"].get<std::string>() + ": " +
                       record["state"].get<std::string>() + " (" + record["reason"].get<std::string>() + ")";
    if (!record["path"].is_null()) text += "; " + record["path"].get<std::string>();
    if (!record["description"].is_null()) text += "; \"" + record["description"].get<std::string>() + "\"";
    return text;
}

// The upper-cased value names of each list, by ListCategory.
std::vector<std::set<std::string>> NamesByList(CSnapinRegistry& registry) {
    std::vector<std::set<std::string>> lists(4);
    for (int category = 0; category < 4; ++category) {
        CStringList names;
        registry.EnumEntries(kListsByCategory[category], names);
        for (const CString& name : names) lists[category].insert(name.str());
    }
    return lists;
}

Record MoveRecord(const CString& name, int from, int to, bool changed) {
    Record record;
    record["name"] = AnsiToUtf8(name.str());
    record["list"] = ListLabel(to);
    record["kind"] = IsObjectList(to) ? kSnapinObject : kSnapinView;
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
    for (int category : kFillOrder) {
        std::vector<ListValue> values;
        const int result = context.registry.ReadListValues(kListsByCategory[category], values);
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
    const int status = ForEachEntry(context, [&](int, const ListValue&, const Record& record) {
        problems = problems || record["state"] != "ok";
        context.out.Write(record, ListText(record));
    });
    return status == 0 && check && problems ? kFoundProblems : status;
}

int RunPrune(CommandContext& context, const std::vector<std::string>& states) {
    const std::set<std::string> pruned = states.empty() ? std::set<std::string>{"missing"}
                                                         : std::set<std::string>(states.begin(), states.end());
    bool removed = false;
    int status = ForEachEntry(context, [&](int category, const ListValue& value, Record record) {
        const bool prune = pruned.count(record["state"].get<std::string>()) > 0;
        const int result = prune && !context.dryRun ? context.registry.DeleteEntry(kListsByCategory[category], value.name) : 0;
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
    const std::vector<std::set<std::string>> lists = NamesByList(context.registry);
    const auto holds = [&](int category, const CString& name) { return lists[category].count(name.str()) > 0; };
    std::vector<CString> wanted;
    bool unknown = false;
    for (const std::string& given : names) {
        const CString name = UpperCaseName(given.c_str());
        bool listed = false;
        for (int category = 0; category < 4; ++category) listed = listed || holds(category, name);
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
        int target = -1;
        for (int source = 0; source < 4; ++source) {
            if (IsEnabledList(source) == enable) {
                if (holds(source, name)) target = source;
                continue;
            }
            if (!holds(source, name)) continue;
            const int result = context.dryRun ? 0
                                              : context.registry.MoveEntry(kListsByCategory[source],
                                                                           kListsByCategory[OtherList(source)], name);
            if (result != 0) {
                context.err.Report("cannot write \"" + AnsiToUtf8(name.str()) + "\" to the " +
                                       ListLabel(OtherList(source)) + " list",
                                   result);
                status = failed = 1;
                continue;
            }
            moved = true;
            const Record record = MoveRecord(name, source, OtherList(source), true);
            context.out.Write(record, MoveText(record));
        }
        if (!moved && !failed && target >= 0) {
            const Record record = MoveRecord(name, target, target, false);
            context.out.Write(record, MoveText(record));
        }
    }
    return status;
}

}  // namespace snapinctl
