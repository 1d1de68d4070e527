#include "registry/SnapinRegistry.h"

#include "registry/RegistryKey.h"
#include "tests/support/Scratch.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {

// Writes a value of any type straight into a list's full key.
void PutValue(const char* fullKey, const std::string& name, DWORD type, const void* data, size_t size) {
    CRegistryKey key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, fullKey, &key.Receive()), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
              ERROR_SUCCESS);
}

void PutDword(const char* fullKey, const std::string& name) {
    const DWORD number = 7;
    PutValue(fullKey, name, REG_DWORD, &number, sizeof number);
}

void CreateEmptyList(const char* fullKey) {
    CRegistryKey key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, fullKey, &key.Receive()), ERROR_SUCCESS);
}

using Strings = std::vector<std::string>;
using Entries = std::map<std::string, std::string>;

Strings Names(const CStringList& list) {
    Strings names;
    for (const CString& name : list) names.push_back(name.str());
    return names;
}

DWORD ReportedPlatform() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) ? version.dwPlatformId : ~0u;
}
}  // namespace

TEST(ListKeys, KeysCarryTheSuffixOfTheReportedPlatform) {
    ScratchHkcu hkcu;
    const bool nt = ReportedPlatform() == VER_PLATFORM_WIN32_NT;
    const std::string own = std::string(ListKey(kEnabledViewCategory)) + (nt ? " WINNT" : " WIN95");
    const std::string other = std::string(ListKey(kEnabledViewCategory)) + (nt ? " WIN95" : " WINNT");

    CSnapinRegistry registry;
    EXPECT_EQ(registry.WriteEntry(ListKey(kEnabledViewCategory), "VIEW.DLL", false), 0);
    EXPECT_EQ(ReadList(own.c_str()), (Entries{{"VIEW.DLL", "SNAPINS\\VIEW.DLL"}})) << own;
    EXPECT_FALSE(ListKeyExists(other.c_str())) << other;
    CRegistryKey key;
    ASSERT_EQ(registry.OpenListKey(ListKey(kEnabledViewCategory), key), 0);
    EXPECT_EQ(RegQueryValueExA(key, "VIEW.DLL", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);
}

TEST(ListKeys, AStoreToldTheFamilyUsesItsSuffix) {
    ScratchHkcu hkcu;
    const std::string win95 = std::string(ListKey(kEnabledViewCategory)) + " WIN95";
    EXPECT_EQ(CSnapinRegistry(ListFamily::Windows95).WriteEntry(ListKey(kEnabledViewCategory), "V.DLL", false), 0);
    EXPECT_EQ(CSnapinRegistry(ListFamily::WindowsNT).WriteEntry(ListKey(kEnabledViewCategory), "N.DLL", false), 0);
    EXPECT_EQ(ReadList(win95.c_str()), (Entries{{"V.DLL", "SNAPINS\\V.DLL"}}));
    EXPECT_EQ(ReadList(kViewOn), (Entries{{"N.DLL", "SNAPINS\\N.DLL"}}));
}

TEST(ListKeys, SuffixIsWinNtOnlyForTheNtPlatform) {
    EXPECT_STREQ(ListKeySuffix(PlatformFamily(VER_PLATFORM_WIN32_NT)), " WINNT");
    EXPECT_STREQ(ListKeySuffix(PlatformFamily(VER_PLATFORM_WIN32_WINDOWS)), " WIN95");
    EXPECT_STREQ(ListKeySuffix(PlatformFamily(VER_PLATFORM_WIN32s)), " WIN95");
    EXPECT_STREQ(ListKeySuffix(PlatformFamily(3)), " WIN95");
}

TEST(ListKeys, OpenMissingKeyGives2AndLeavesTheHandle) {
    ScratchHkcu hkcu;
    CSnapinRegistry registry;
    CRegistryKey key(reinterpret_cast<HKEY>(0x1234));
    EXPECT_EQ(registry.OpenListKey(ListKey(kDisabledViewCategory), key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.Detach(), reinterpret_cast<HKEY>(0x1234));
    ASSERT_EQ(registry.CreateListKey(ListKey(kDisabledViewCategory), key), 0);
    EXPECT_TRUE(ListKeyExists(kViewOff));
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);
}

TEST(ListKeys, MissingTextsGive87) {
    ScratchHkcu hkcu;
    CSnapinRegistry registry;
    CRegistryKey key;
    CString name("unchanged");
    EXPECT_EQ(registry.CreateListKey(nullptr, key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(registry.WriteEntry(ListKey(kEnabledObjectCategory), nullptr, false), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledObjectCategory), nullptr, name), ERROR_INVALID_PARAMETER);
    // A null value name would address the key's default value.
    PutEntry(kObjectOn, "", "SNAPINS\\DEFAULT.DLL");
    EXPECT_EQ(registry.ReadEntry(ListKey(kEnabledObjectCategory), nullptr, name), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(registry.DeleteEntry(ListKey(kEnabledObjectCategory), nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ReadList(kObjectOn).size(), 1u);
    RegDeleteKeyA(HKEY_CURRENT_USER, kObjectOn);
    EXPECT_EQ(key, nullptr);
    EXPECT_STREQ(name, "unchanged");
    EXPECT_FALSE(ListKeyExists(kObjectOn));
}

TEST(EnumEntries, MissingKeyGives2AndEmptyKeyGives0) {
    ScratchHkcu hkcu;
    CSnapinRegistry registry;
    CStringList names;
    names.AddTail("KEPT.DLL");
    EXPECT_EQ(registry.EnumEntries(ListKey(kEnabledObjectCategory), names), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Names(names), Strings{"KEPT.DLL"});
    CreateEmptyList(kObjectOn);
    EXPECT_EQ(registry.EnumEntries(ListKey(kEnabledObjectCategory), names), 0);
    EXPECT_EQ(Names(names), Strings{"KEPT.DLL"});
}

TEST(EnumEntries, NamesComeUpperCasedWhileStoredCaseStays) {
    ScratchHkcu hkcu;
    PutEntry(kObjectOn, "new\xE9.dll", "SNAPINS\\new\xE9.dll");
    CSnapinRegistry registry;
    CStringList names;
    EXPECT_EQ(registry.EnumEntries(ListKey(kEnabledObjectCategory), names), 0);
    EXPECT_EQ(Names(names), Strings{"NEW\xE9.DLL"});
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"new\xE9.dll", "SNAPINS\\new\xE9.dll"}}));
}

TEST(EnumEntries, FourListsGatherInListOrderWithDuplicates) {
    ScratchHkcu hkcu;
    PutEntry(kObjectOn, "A.DLL", "SNAPINS\\A.DLL");
    PutEntry(kObjectOn, "B.DLL", "SNAPINS\\B.DLL");
    PutEntry(kObjectOff, "A.DLL", "SNAPINS\\A.DLL");
    PutEntry(kViewOn, "V.DLL", "SNAPINS\\V.DLL");
    PutEntry(kViewOff, "W.DLL", "SNAPINS\\W.DLL");
    CSnapinRegistry registry;
    CStringList names;
    for (const char* list : {ListKey(kEnabledObjectCategory), ListKey(kDisabledObjectCategory), ListKey(kEnabledViewCategory), ListKey(kDisabledViewCategory)})
        EXPECT_EQ(registry.EnumEntries(list, names), 0) << list;
    EXPECT_EQ(Names(names), (Strings{"A.DLL", "B.DLL", "A.DLL", "V.DLL", "W.DLL"}));
}

// Data the host cannot load, too large or not text, names no file; its name is still read.
TEST(EnumEntries, FilesComeInStepWithTheNames) {
    ScratchHkcu hkcu;
    PutEntry(kObjectOn, "A.DLL", "snapins\\b.dll");
    PutDword(kObjectOn, "C.DLL");
    PutEntry(kObjectOn, "D.DLL", std::string(260, 'D'));
    CSnapinRegistry registry;
    CStringList names, data, files;
    EXPECT_EQ(registry.EnumEntries(ListKey(kEnabledObjectCategory), names, &data), 0);
    EXPECT_EQ(Names(names), (Strings{"A.DLL", "C.DLL", "D.DLL"}));
    for (const CString& text : data) files.AddTail(LoadedFileName(text));
    EXPECT_EQ(Names(files), (Strings{"B.DLL", "", ""}));
}

TEST(EnumEntries, NameOver255CharactersIsPassedOverAndReportedWith234) {
    ScratchHkcu hkcu;
    // Named so that insertion and alphabetical order agree.
    PutEntry(kObjectOn, "a.dll", "SNAPINS\\a.dll");
    PutEntry(kObjectOn, std::string(255, 'b'), "x");
    PutEntry(kObjectOn, std::string(256, 'c'), "x");
    PutEntry(kObjectOn, "d.dll", "SNAPINS\\d.dll");
    CSnapinRegistry registry;
    CStringList names;
    EXPECT_EQ(registry.EnumEntries(ListKey(kEnabledObjectCategory), names), ERROR_MORE_DATA);
    // The names after the over-long one are still delivered.
    EXPECT_EQ(Names(names), (Strings{"A.DLL", std::string(255, 'B'), "D.DLL"}));
}

TEST(ReadEntry, TextsUpTo260BytesComeBackWhole) {
    ScratchHkcu hkcu;
    const std::string text(261, 'e');
    PutEntry(kObjectOn, "T259", text.substr(0, 259));                 // 260 bytes with its terminator
    PutValue(kObjectOn, "T260", REG_SZ, text.c_str(), 260);          // 260 bytes, no terminator
    PutValue(kObjectOn, "M260", REG_MULTI_SZ, text.c_str(), 260);
    CSnapinRegistry registry;
    CString data;
    EXPECT_EQ(registry.ReadEntry(ListKey(kEnabledObjectCategory), "T259", data), 0);
    EXPECT_EQ(data.str(), text.substr(0, 259));
    EXPECT_EQ(registry.ReadEntry(ListKey(kEnabledObjectCategory), "T260", data), 0);
    EXPECT_EQ(data.str(), text.substr(0, 260));
    data = "unchanged";
    EXPECT_EQ(registry.ReadEntry(ListKey(kEnabledObjectCategory), "M260", data), 0);
    EXPECT_EQ(data.str(), text.substr(0, 260));
}

TEST(ReadEntry, FailuresLeaveTheOutputAlone) {
    ScratchHkcu hkcu;
    CSnapinRegistry registry;
    CString data("unchanged");
    EXPECT_EQ(registry.ReadEntry(ListKey(kEnabledObjectCategory), "A.DLL", data), ERROR_FILE_NOT_FOUND);
    PutEntry(kObjectOn, "LONG", std::string(260, 'f'));  // 261 bytes
    PutDword(kObjectOn, "NUMBER");
    EXPECT_EQ(registry.ReadEntry(ListKey(kEnabledObjectCategory), "LONG", data), ERROR_MORE_DATA);
    EXPECT_EQ(registry.ReadEntry(ListKey(kEnabledObjectCategory), "NUMBER", data), -1);
    EXPECT_EQ(registry.ReadEntry(ListKey(kEnabledObjectCategory), "A.DLL", data), ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(data, "unchanged");
}

TEST(ReadEntry, MultiStringGivesItsFirstString) {
    ScratchHkcu hkcu;
    const char multi[] = "SNAPINS\\A.DLL\0SECOND\0";
    PutValue(kObjectOn, "A.DLL", REG_MULTI_SZ, multi, sizeof multi);
    CSnapinRegistry registry;
    CString data;
    EXPECT_EQ(registry.ReadEntry(ListKey(kEnabledObjectCategory), "a.dll", data), 0);
    EXPECT_STREQ(data, "SNAPINS\\A.DLL");
}

TEST(WriteEntry, CreatesTheKeyAndStoresOneTerminatedValue) {
    ScratchHkcu hkcu;
    CSnapinRegistry registry;
    ASSERT_FALSE(ListKeyExists(kObjectOff));
    EXPECT_EQ(registry.WriteEntry(ListKey(kDisabledObjectCategory), "New.dll", false), 0);
    EXPECT_EQ(registry.WriteEntry(ListKey(kDisabledObjectCategory), "New.dll", false), 0);
    EXPECT_EQ(ReadList(kObjectOff), (Entries{{"New.dll", "SNAPINS\\New.dll"}}));
    CRegistryKey key;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kObjectOff, &key.Receive()), ERROR_SUCCESS);
    DWORD type = REG_NONE, size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "New.dll", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof "SNAPINS\\New.dll");
}

TEST(WriteEntry, FlagMakesTheDataTheFileName) {
    ScratchHkcu hkcu;
    CSnapinRegistry registry;
    EXPECT_EQ(registry.WriteEntry(ListKey(kEnabledObjectCategory), "PLUGWARD.DLL", true), 0);
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"PLUGWARD.DLL", "PLUGWARD.DLL"}}));
}

TEST(WriteEntry, EntryTheReadersCouldNotTakeBackGives206AndWritesNothing) {
    ScratchHkcu hkcu;
    CSnapinRegistry registry;
    const char* list = ListKey(kEnabledViewCategory);
    EXPECT_EQ(registry.WriteEntry(list, std::string(252, 'n').c_str(), false), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(registry.WriteEntry(list, std::string(256, 'n').c_str(), true), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_FALSE(ListKeyExists(kViewOn));

    // The longest that fit: data of 259 characters, a name of 255.
    const std::string longest(251, 'n');
    const std::string longestAlone(255, 'm');
    EXPECT_EQ(registry.WriteEntry(list, longest.c_str(), false), 0);
    EXPECT_EQ(registry.WriteEntry(list, longestAlone.c_str(), true), 0);
    CStringList names;
    EXPECT_EQ(registry.EnumEntries(list, names), 0);
    EXPECT_EQ(names.GetCount(), 2);
    CString data;
    EXPECT_EQ(registry.ReadEntry(list, longest.c_str(), data), 0);
    EXPECT_EQ(data.str(), "SNAPINS\\" + longest);
    CString found;
    EXPECT_EQ(registry.FindEntryByValue(list, longestAlone.c_str(), found), 0);
    EXPECT_EQ(found.str(), longestAlone);
}

TEST(DeleteEntry, RemovesTheValueAndNeverCreatesTheKey) {
    ScratchHkcu hkcu;
    CSnapinRegistry registry;
    EXPECT_EQ(registry.DeleteEntry(ListKey(kDisabledViewCategory), "A.DLL"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(ListKeyExists(kViewOff));
    PutEntry(kViewOff, "A.DLL", "SNAPINS\\A.DLL");
    PutEntry(kViewOff, "B.DLL", "SNAPINS\\B.DLL");
    EXPECT_EQ(registry.DeleteEntry(ListKey(kDisabledViewCategory), "a.dll"), 0);
    EXPECT_EQ(registry.DeleteEntry(ListKey(kDisabledViewCategory), "A.DLL"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadList(kViewOff), (Entries{{"B.DLL", "SNAPINS\\B.DLL"}}));
}

TEST(FindEntryByValue, IgnoresAsciiCaseAndGivesTheStoredName) {
    ScratchHkcu hkcu;
    PutDword(kObjectOn, "Counter");
    PutEntry(kObjectOn, "Mixed.dll", "snapins\\mixed.DLL");
    CSnapinRegistry registry;
    CString name;
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledObjectCategory), "SNAPINS\\MIXED.dll", name), 0);
    EXPECT_STREQ(name, "Mixed.dll");
}

TEST(FindEntryByValue, OtherBytesMustMatchExactly) {
    ScratchHkcu hkcu;
    PutEntry(kObjectOn, "E.DLL", "\xE9.DLL");
    PutEntry(kObjectOn, "LONGER.DLL", "A.DLLX");
    CSnapinRegistry registry;
    CString name("unchanged");
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledObjectCategory), "\xC9.DLL", name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledObjectCategory), "A.DLL", name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledObjectCategory), "", name), ERROR_NO_MORE_ITEMS);
    EXPECT_STREQ(name, "unchanged");
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledObjectCategory), "\xE9.dll", name), 0);
    EXPECT_STREQ(name, "E.DLL");
}

TEST(FindEntryByValue, FirstTextValueInEnumerationOrderWins) {
    ScratchHkcu hkcu;
    const char text[] = "PLUGWARD.DLL";
    PutValue(kObjectOn, "A-BINARY", REG_BINARY, text, sizeof text);
    PutValue(kObjectOn, "B-MULTI", REG_MULTI_SZ, "X.DLL\0PLUGWARD.DLL\0", 20);
    PutValue(kObjectOn, "C-MULTI", REG_MULTI_SZ, "plugward.dll\0X.DLL\0", 20);
    PutEntry(kObjectOn, "D-TEXT", text);
    CSnapinRegistry registry;
    CString name;
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledObjectCategory), text, name), 0);
    EXPECT_STREQ(name, "C-MULTI");
}

TEST(FindEntryByValue, NoTextMatchGives259AndLeavesTheOutput) {
    ScratchHkcu hkcu;
    CSnapinRegistry registry;
    CString name("unchanged");
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledViewCategory), "A.DLL", name), ERROR_FILE_NOT_FOUND);
    CreateEmptyList(kViewOn);
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledViewCategory), "A.DLL", name), ERROR_NO_MORE_ITEMS);
    PutDword(kViewOn, "A.DLL");
    PutValue(kViewOn, "B.DLL", REG_BINARY, "A.DLL", 6);
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledViewCategory), "A.DLL", name), ERROR_NO_MORE_ITEMS);
    EXPECT_STREQ(name, "unchanged");
}

TEST(FindEntryByValue, DataBoundaries) {
    ScratchHkcu hkcu;
    const std::string text(261, 'g');
    PutValue(kObjectOn, "A260", REG_SZ, text.c_str(), 260);  // no terminator
    PutEntry(kObjectOn, "B261", text.substr(0, 260));        // 261 bytes
    PutEntry(kObjectOn, "C259", text.substr(0, 259));
    CSnapinRegistry registry;
    CString name;
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledObjectCategory), text.substr(0, 260).c_str(), name), 0);
    EXPECT_STREQ(name, "A260");
    // The oversized value is passed over; the later one is still found.
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledObjectCategory), text.substr(0, 259).c_str(), name), 0);
    EXPECT_STREQ(name, "C259");
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledObjectCategory), text.c_str(), name), ERROR_NO_MORE_ITEMS);
}

TEST(FindEntryByValue, OverlongNameIsPassedOver) {
    ScratchHkcu hkcu;
    PutEntry(kObjectOn, std::string(256, 'A'), "PLUGWARD.DLL");
    PutEntry(kObjectOn, "ZZ.DLL", "PLUGWARD.DLL");
    CSnapinRegistry registry;
    CString name;
    EXPECT_EQ(registry.FindEntryByValue(ListKey(kEnabledObjectCategory), "PLUGWARD.DLL", name), 0);
    EXPECT_STREQ(name, "ZZ.DLL");
}
