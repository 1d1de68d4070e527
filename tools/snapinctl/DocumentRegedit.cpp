#include "tools/snapinctl/DocumentRegedit.h"

#include <algorithm>
#include <cstdio>

namespace snapinctl {

namespace {
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

}  // namespace

std::string DocumentRegedit(const ListDocument& document) {
    const char* suffix = ListKeySuffix(document.family);
    std::string text = "REGEDIT4\r\n";
    for (const ListCategory category : AllLists()) {
        text += std::string("\r\n[HKEY_CURRENT_USER\\") + ListKey(category) + suffix + "]\r\n";
        for (const DocumentValue& value : document.lists[category]) text += RegeditValue(value) + "\r\n";
    }
    return text + "\r\n";
}

}  // namespace snapinctl
