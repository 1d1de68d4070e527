#include "tools/snapinctl/DocumentJson.h"

#include "tools/snapinctl/Base64.h"
#include "tools/snapinctl/JsonNames.h"
#include "tools/snapinctl/Output.h"
#include "tools/snapinctl/Text.h"

#include <algorithm>

namespace snapinctl {

namespace {
// A REG_SZ whose bytes are one text and its terminator, and whose text
// survives the way through UTF-8 and back: it can stand in JSON as text.
bool IsPlainText(const DocumentValue& value) {
    const std::string& bytes = value.bytes;
    if (value.type != REG_SZ || bytes.empty() || bytes.find('\0') != bytes.size() - 1) return false;
    const std::string text = bytes.substr(0, bytes.size() - 1);
    std::string back;
    return Utf8ToAnsi(AnsiToUtf8(text), back) && back == text;
}

bool NameSurvivesUtf8(const std::string& name) {
    std::string back;
    return Utf8ToAnsi(AnsiToUtf8(name), back) && back == name;
}

Record ValueJson(const DocumentValue& value) {
    Record record;
    record[json::kName] = AnsiToUtf8(value.name);
    if (!NameSurvivesUtf8(value.name)) record[json::kNameBase64] = Base64Encode(value.name);
    record[json::kType] = value.type;
    if (IsPlainText(value))
        record[json::kText] = AnsiToUtf8(value.bytes.substr(0, value.bytes.size() - 1));
    else
        record[json::kBase64] = Base64Encode(value.bytes);
    return record;
}

bool ParseText(const Record& field, std::string& ansi, std::string& problem) {
    if (!field.is_string() || !Utf8ToAnsi(field.get<std::string>(), ansi)) {
        problem = "a text that is not in the active code page: " + field.dump();
        return false;
    }
    return true;
}

bool ParseName(const Record& record, DocumentValue& value, std::string& problem) {
    const bool nameInBytes = record.contains(json::kNameBase64);
    if (nameInBytes ? !record[json::kNameBase64].is_string() || !Base64Decode(record[json::kNameBase64], value.name)
                    : !ParseText(record[json::kName], value.name, problem)) {
        if (problem.empty()) problem = std::string(json::kNameBase64) + " is not base64: " + record.dump();
        return false;
    }
    // The registry would store the name cut at its NUL, as another value.
    if (value.name.find('\0') != std::string::npos) {
        problem = "the value name " + record[json::kName].dump() + " holds a NUL: " + record.dump();
        return false;
    }
    return true;
}

bool ParseValue(const Record& record, DocumentValue& value, std::string& problem) {
    if (!record.is_object() || !record.contains(json::kName) || !record.contains(json::kType) ||
        record.contains(json::kText) == record.contains(json::kBase64)) {
        problem = "a value needs name, type and either text or base64: " + record.dump();
        return false;
    }
    const Record& type = record[json::kType];
    if (!type.is_number_unsigned() || type.get<uint64_t>() > 0xFFFFFFFFu) {
        problem = "a type is a number from 0 to 4294967295: " + record.dump();
        return false;
    }
    value.type = type.get<DWORD>();
    if (!ParseName(record, value, problem)) return false;
    if (record.contains(json::kText)) {
        if (!ParseText(record[json::kText], value.bytes, problem)) return false;
        value.bytes += '\0';
        return true;
    }
    if (!record[json::kBase64].is_string() || !Base64Decode(record[json::kBase64], value.bytes)) {
        problem = std::string(json::kBase64) + " is not base64: " + record.dump();
        return false;
    }
    return true;
}

// Two names the registry takes for one value cannot both be applied.
bool HasNoDuplicateNames(const std::vector<DocumentValue>& values, std::string& problem) {
    std::vector<std::string> folded;
    for (const DocumentValue& value : values) folded.push_back(FoldedValueName(value.name));
    std::sort(folded.begin(), folded.end());
    const auto twice = std::adjacent_find(folded.begin(), folded.end());
    if (twice == folded.end()) return true;
    problem = "the value name " + AnsiToUtf8(*twice) + " stands twice in a list";
    return false;
}

bool ParseLists(const Record& lists, ListDocument& document, std::string& problem) {
    if (!lists.is_object() || lists.size() != kListCount) {
        problem = "\"lists\" needs exactly the four lists";
        return false;
    }
    for (const ListCategory category : AllLists()) {
        const char* label = ListLabel(category);
        if (!lists.contains(label) || !lists[label].is_array()) {
            problem = std::string("\"lists\" has no array \"") + label + "\"";
            return false;
        }
        for (const Record& record : lists[label]) {
            DocumentValue value;
            if (!ParseValue(record, value, problem)) return false;
            document.lists[category].push_back(value);
        }
        if (!HasNoDuplicateNames(document.lists[category], problem)) return false;
    }
    return true;
}
}  // namespace

std::string DocumentJson(const ListDocument& document) {
    Record root;
    root[json::kFamily] = FamilyName(document.family);
    Record& lists = root[json::kLists] = Record::object();
    for (const ListCategory category : AllLists()) {
        Record& list = lists[ListLabel(category)] = Record::array();
        for (const DocumentValue& value : document.lists[category]) list.push_back(ValueJson(value));
    }
    return root.dump(1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool ParseDocument(const std::string& text, ListDocument& document, std::string& problem) {
    const Record root = Record::parse(text, nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        problem = "not a JSON document";
        return false;
    }
    const bool named = root.contains(json::kFamily) && root[json::kFamily].is_string();
    if (!named || !ParseFamilyName(root[json::kFamily].get<std::string>().c_str(), document.family)) {
        problem = std::string("\"family\" is neither \"") + FamilyName(ListFamily::WindowsNT) + "\" nor \"" +
                  FamilyName(ListFamily::Windows95) + "\"";
        return false;
    }
    if (!root.contains(json::kLists)) {
        problem = "no \"lists\"";
        return false;
    }
    return ParseLists(root[json::kLists], document, problem);
}

}  // namespace snapinctl
