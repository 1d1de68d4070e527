#include "tests/hostile/RawLists.h"

#include "registry/RegistryKey.h"

#include <gtest/gtest.h>

#include <vector>

const char kSubkeyLikeValue[] = "SUBKEY.DLL";

namespace {
// The list's key, or none when it is missing; with `create`, made when missing.
class OpenKey : public CRegistryKey {
public:
    explicit OpenKey(const char* list, bool create = false) {
        if (create)
            RegCreateKeyExA(HKEY_CURRENT_USER, list, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Receive(), nullptr);
        else if (RegOpenKeyExA(HKEY_CURRENT_USER, list, 0, KEY_READ, &Receive()) != 0)
            Detach();
    }
};

std::string Text(const char* text) { return std::string(text) + '\0'; }
}  // namespace

RawList ReadRawList(const char* list) {
    RawList values;
    OpenKey key(list);
    if (!key) return values;
    DWORD count = 0, longestName = 0, largestData = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                         &largestData, nullptr, nullptr) != 0)
        return values;
    std::vector<char> name(longestName + 2);
    std::vector<BYTE> data(largestData + 1);
    for (DWORD index = 0; index < count; ++index) {
        DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize) != 0) {
            values["<unreadable value>"] = RawValue{};
            continue;
        }
        values[std::string(name.data(), nameSize)] =
            RawValue{type, std::string(reinterpret_cast<const char*>(data.data()), dataSize)};
    }
    return values;
}

void PutRaw(const char* list, const std::string& name, DWORD type, const std::string& bytes) {
    // A non-zero byte after the data: NT's and Wine's RegSetValueExA would
    // add a terminator to a text that lacks one when that byte is zero.
    const std::string guarded = bytes + '\x01';
    OpenKey key(list, true);
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(guarded.data()),
                             static_cast<DWORD>(bytes.size())),
              0);
    DWORD stored = 0;
    ASSERT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, &stored), 0);
    EXPECT_EQ(stored, bytes.size()) << "the registry keeps other bytes than planted for " << name;
}

RawValue SzValue(const std::string& text) { return RawValue{REG_SZ, text + '\0'}; }

bool SubkeyExists(const char* list, const char* subkey) {
    return OpenKey((std::string(list) + "\\" + subkey).c_str()) != nullptr;
}

void PrintTo(const RawValue& value, std::ostream* out) {
    static const char kHex[] = "0123456789ABCDEF";
    *out << "type " << value.type << ", " << value.bytes.size() << " bytes \"";
    for (unsigned char c : value.bytes) {
        if (c >= 32 && c < 127)
            *out << c;
        else
            *out << "\\x" << kHex[c >> 4] << kHex[c & 15];
    }
    *out << '"';
}

std::string NameOfLength(size_t length) { return std::string(length - 4, 'B') + ".DLL"; }

RawList HostileValues() {
    // Data texts of exactly n bytes, the last one the terminator.
    auto sized = [](size_t n) { return std::string(n - 1, 'd') + '\0'; };
    return RawList{
        {"DWORD.DLL", {REG_DWORD, std::string("\x01\x00\x00\x00", 4)}},
        {"BINARY.DLL", {REG_BINARY, std::string("SNAPINS\\BINARY.DLL\0\xff\x00", 21)}},
        {"EXPAND.DLL", {REG_EXPAND_SZ, Text("SNAPINS\\%SystemRoot%.DLL")}},
        {"NONE.DLL", {REG_NONE, ""}},
        {"MULTI.DLL", {REG_MULTI_SZ, std::string("SNAPINS\\MULTI.DLL\0second\0\0", 26)}},
        {"NONUL.DLL", {REG_SZ, "SNAPINS\\NONUL.DLL"}},
        {"EMPTY.DLL", {REG_SZ, ""}},
        {"D259.DLL", {REG_SZ, sized(259)}},
        {"D260.DLL", {REG_SZ, sized(260)}},
        {"D261.DLL", {REG_SZ, sized(261)}},
        {"D4096.DLL", {REG_SZ, sized(4096)}},
        {NameOfLength(255), {REG_SZ, Text("SNAPINS\\LONG255.DLL")}},
        {NameOfLength(256), {REG_SZ, Text("SNAPINS\\LONG256.DLL")}},
        {"caf\xe9.dll", {REG_SZ, Text("SNAPINS\\caf\xe9.dll")}},
    };
}

void PlantHostileValues(const char* list) {
    for (const auto& value : HostileValues()) PutRaw(list, value.first, value.second.type, value.second.bytes);
    OpenKey subkey((std::string(list) + "\\" + kSubkeyLikeValue).c_str(), true);
}

std::string Rows(const std::string& output) {
    std::string rows;
    for (size_t at = output.find("row="); at != std::string::npos; at = output.find("row=", at + 1))
        rows += output.substr(at + 4, output.find('\n', at) - at - 4) + "\n";
    return rows;
}

bool Has(const std::string& output, const std::string& text) { return output.find(text) != std::string::npos; }
