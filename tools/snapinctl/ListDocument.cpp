#include "tools/snapinctl/ListDocument.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace snapinctl {

namespace {
const char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

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
    record["name"] = AnsiToUtf8(value.name);
    if (!NameSurvivesUtf8(value.name)) record["nameBase64"] = Base64Encode(value.name);
    record["type"] = value.type;
    if (IsPlainText(value))
        record["text"] = AnsiToUtf8(value.bytes.substr(0, value.bytes.size() - 1));
    else
        record["base64"] = Base64Encode(value.bytes);
    return record;
}

// regedit's quoting: a backslash and a quotation mark get a backslash.
std::string RegeditQuoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// A REG_SZ line of regedit's own form needs one text without control
// characters; everything else is written as bytes.
bool FitsRegeditString(const DocumentValue& value) {
    if (value.type != REG_SZ || value.bytes.empty() || value.bytes.find('\0') != value.bytes.size() - 1)
        return false;
    return std::none_of(value.bytes.begin(), value.bytes.end() - 1,
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// "hex:01,02,..." wrapped as regedit wraps it, a backslash ending each line
// that goes on.
std::string RegeditHex(const std::string& prefix, const std::string& bytes) {
    std::string text = prefix, line = prefix;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(bytes[i]));
        std::string piece = std::string(byte) + (i + 1 < bytes.size() ? "," : "");
        if (line.size() + piece.size() > 77 && i + 1 < bytes.size()) {
            text += "\\\r\n  ";
            line = "  ";
        }
        text += piece;
        line += piece;
    }
    return text;
}

std::string RegeditValue(const DocumentValue& value) {
    const std::string name = RegeditQuoted(value.name) + "=";
    if (FitsRegeditString(value)) return name + RegeditQuoted(value.bytes.substr(0, value.bytes.size() - 1));
    if (value.type == REG_DWORD && value.bytes.size() == 4) {
        DWORD number = 0;
        std::copy(value.bytes.begin(), value.bytes.end(), reinterpret_cast<char*>(&number));
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08lx", static_cast<unsigned long>(number));
        return name + text;
    }
    if (value.type == REG_BINARY) return RegeditHex(name + "hex:", value.bytes);
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%lx):", static_cast<unsigned long>(value.type));
    return RegeditHex(name + prefix, value.bytes);
}

bool ParseText(const Record& field, std::string& ansi, std::string& problem) {
    if (!field.is_string() || !Utf8ToAnsi(field.get<std::string>(), ansi)) {
        problem = "a text that is not in the active code page: " + field.dump();
        return false;
    }
    return true;
}

bool ParseValue(const Record& record, DocumentValue& value, std::string& problem) {
    if (!record.is_object() || !record.contains("name") || !record.contains("type") ||
        record.contains("text") == record.contains("base64")) {
        problem = "a value needs name, type and either text or base64: " + record.dump();
        return false;
    }
    const Record& type = record["type"];
    if (!type.is_number_unsigned() || type.get<uint64_t>() > 0xFFFFFFFFu) {
        problem = "a type is a number from 0 to 4294967295: " + record.dump();
        return false;
    }
    value.type = type.get<DWORD>();
    const bool nameInBytes = record.contains("nameBase64");
    if (nameInBytes ? !record["nameBase64"].is_string() || !Base64Decode(record["nameBase64"], value.name)
                    : !ParseText(record["name"], value.name, problem)) {
        if (problem.empty()) problem = "nameBase64 is not base64: " + record.dump();
        return false;
    }
    if (record.contains("text")) {
        if (!ParseText(record["text"], value.bytes, problem)) return false;
        value.bytes += '\0';
        return true;
    }
    if (!record["base64"].is_string() || !Base64Decode(record["base64"], value.bytes)) {
        problem = "base64 is not base64: " + record.dump();
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
    if (!lists.is_object() || lists.size() != 4) {
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

std::array<ListCategory, kListCount> AllLists() {
    std::array<ListCategory, kListCount> lists{};
    for (const SnapinListFacts& list : kSnapinLists) lists[list.category] = list.category;
    return lists;
}

ListFamily ResolvedFamily(ListFamily family) {
    if (family != ListFamily::Running) return family;
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    const bool nt = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    return nt ? ListFamily::WindowsNT : ListFamily::Windows95;
}

const char* FamilyName(ListFamily family) { return family == ListFamily::Windows95 ? "95" : "nt"; }

std::string FoldedValueName(const std::string& name) {
    if (name.empty()) return name;
    const int length = static_cast<int>(name.size());
    std::string folded(name.size(), '\0');
    if (LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, name.data(), length, &folded[0], length) != length)
        return UpperCaseName(name.c_str()).str();
    return folded;
}

int ReadDocument(CSnapinRegistry& registry, ListFamily family, ListDocument& document, ListCategory& failedList) {
    document.family = ResolvedFamily(family);
    for (const ListCategory category : AllLists()) {
        std::vector<ListValue> values;
        const int result = registry.ReadListValues(ListKey(category), values);
        if (result != 0 && result != ERROR_FILE_NOT_FOUND) {
            failedList = category;
            return result;
        }
        for (const ListValue& value : values) document.lists[category].push_back(
                {value.name.str(), value.type, std::string(value.bytes.begin(), value.bytes.end())});
        std::sort(document.lists[category].begin(), document.lists[category].end(),
                  [](const DocumentValue& a, const DocumentValue& b) { return a.name < b.name; });
    }
    return 0;
}

std::string DocumentJson(const ListDocument& document) {
    Record root;
    root["family"] = FamilyName(document.family);
    Record& lists = root["lists"] = Record::object();
    for (const ListCategory category : AllLists()) {
        Record& list = lists[ListLabel(category)] = Record::array();
        for (const DocumentValue& value : document.lists[category]) list.push_back(ValueJson(value));
    }
    return root.dump(1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string DocumentRegedit(const ListDocument& document) {
    const char* suffix = ListKeySuffix(document.family == ListFamily::WindowsNT ? VER_PLATFORM_WIN32_NT
                                                                                 : VER_PLATFORM_WIN32_WINDOWS);
    std::string text = "REGEDIT4\r\n";
    for (const ListCategory category : AllLists()) {
        text += std::string("\r\n[HKEY_CURRENT_USER\\") + ListKey(category) + suffix + "]\r\n";
        for (const DocumentValue& value : document.lists[category]) text += RegeditValue(value) + "\r\n";
    }
    return text + "\r\n";
}

bool ParseDocument(const std::string& text, ListDocument& document, std::string& problem) {
    const Record root = Record::parse(text, nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        problem = "not a JSON document";
        return false;
    }
    if (!root.contains("family") || (root["family"] != "nt" && root["family"] != "95")) {
        problem = "\"family\" is neither \"nt\" nor \"95\"";
        return false;
    }
    document.family = root["family"] == "nt" ? ListFamily::WindowsNT : ListFamily::Windows95;
    if (!root.contains("lists")) {
        problem = "no \"lists\"";
        return false;
    }
    return ParseLists(root["lists"], document, problem);
}

std::string Base64Encode(const std::string& bytes) {
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = std::min<size_t>(3, bytes.size() - i);
        unsigned long group = 0;
        for (size_t j = 0; j < 3; ++j)
            group = group << 8 | (j < left ? static_cast<unsigned char>(bytes[i + j]) : 0u);
        for (size_t j = 0; j < 4; ++j) text += j <= left ? kBase64Digits[(group >> (18 - 6 * j)) & 63] : '=';
    }
    return text;
}

bool Base64Decode(const std::string& text, std::string& bytes) {
    if (text.size() % 4 != 0) return false;
    std::string decoded;
    for (size_t i = 0; i < text.size(); i += 4) {
        unsigned long group = 0;
        size_t digits = 0;
        for (size_t j = 0; j < 4; ++j) {
            const char* digit = text[i + j] == '=' ? nullptr : std::strchr(kBase64Digits, text[i + j]);
            if (!digit || !text[i + j]) {
                if (text[i + j] != '=' || i + 4 != text.size() || j < 2) return false;
                group <<= 6;
                continue;
            }
            if (digits != j) return false;  // a digit after padding
            group = group << 6 | static_cast<unsigned long>(digit - kBase64Digits);
            ++digits;
        }
        for (size_t j = 0; j + 1 < digits; ++j) decoded += static_cast<char>((group >> (16 - 8 * j)) & 255);
    }
    // Only the canonical form: the unused bits of the last digit are zero.
    if (Base64Encode(decoded) != text) return false;
    bytes = decoded;
    return true;
}

}  // namespace snapinctl
