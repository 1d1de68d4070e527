// Snap-in lists holding values the module never writes: other types, texts
// without terminator, empty and oversized data, over-long and non-ASCII
// names, a subkey named like a value, thousands of entries. Start-up
// discovery, self-registration and the configuration dialog must run to
// their end and leave every such value exactly as it was.
#include "tests/fixtures/Fixtures.h"
#include "tests/hostile/RawLists.h"
#include "tests/support/ProbeHost.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {
const char kNewSnapinsScript[] = "--dialog \"New Snapins Installed\" --read 1000 ";
const char kConfigScript[] = "--dialog \"Snapin Configuration\" --read 1003 ";
const char* const kLists[] = {kObjectOn, kObjectOff, kViewOn, kViewOff};

std::vector<std::string> RowLines(const std::string& output) {
    std::vector<std::string> lines;
    std::istringstream rows(Rows(output));
    for (std::string line; std::getline(rows, line);) lines.push_back(line);
    return lines;
}

// Index of the only row that reads `row`; -1 if there is none or several.
int RowIndex(const std::vector<std::string>& rows, const std::string& row) {
    int found = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i] != row) continue;
        if (found >= 0) return -1;
        found = static_cast<int>(i);
    }
    return found;
}

size_t CountRows(const std::vector<std::string>& rows, const std::string& row) {
    size_t count = 0;
    for (const auto& each : rows) count += each == row;
    return count;
}

RawList With(RawList values, const std::string& name, const RawValue& value) {
    values[name] = value;
    return values;
}

RawList Without(RawList values, const std::string& name) {
    values.erase(name);
    return values;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Runs the probe and prints how long the run took.
std::string TimedRun(const ProbeHost& host, const ScratchHkcu& hkcu, const std::string& steps, const char* label) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    std::string output = host.Run(hkcu, steps);
    QueryPerformanceCounter(&end);
    std::printf("[ figures  ] %s: %.2f s\n", label, Seconds(start, end));
    return output;
}

class HostileLists : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.installed());
        // Registered snap-ins whose names sort after the over-long value
        // name: an enumeration that stopped there would not know them.
        ASSERT_TRUE(host.AddSnapin(fixtures::kObjectDll, "KNOWN.DLL"));
        ASSERT_TRUE(host.AddSnapin(fixtures::kViewDll, "VIEW.DLL"));
        ASSERT_TRUE(host.AddSnapin(fixtures::kNoImportsDll, "NONUL.DLL"));
    }

    // The hostile set in the given lists, then the ordinary entries.
    void PlantLists(std::initializer_list<const char*> hostileLists) {
        for (const char* list : hostileLists) PlantHostileValues(list);
        PutEntry(kObjectOn, "PLUGWARD.DLL", "PLUGWARD.DLL");
        PutEntry(kObjectOff, "KNOWN.DLL", "C:\\ELSEWHERE\\KNOWN.DLL");
        PutEntry(kViewOn, "VIEW.DLL", "SNAPINS\\VIEW.DLL");
        for (const char* list : kLists) before[list] = ReadRawList(list);
    }

    void ExpectSubkeysKept(std::initializer_list<const char*> hostileLists) {
        for (const char* list : hostileLists) EXPECT_TRUE(SubkeyExists(list, kSubkeyLikeValue)) << list;
    }

    ScratchHkcu hkcu;
    ProbeHost host;
    std::map<const char*, RawList> before;
};
}  // namespace

TEST_F(HostileLists, DiscoveryOffersOnlyTheNewSnapinAndKeepsEveryValue) {
    ASSERT_TRUE(host.AddSnapin(fixtures::kObjectDll, "NEWSNAP.DLL"));
    PlantLists({kObjectOn, kObjectOff, kViewOn, kViewOff});

    std::string output = host.Run(hkcu, std::string(kNewSnapinsScript) + "--enter " + kStartAndStop);
    ASSERT_TRUE(Has(output, "script found=1 finished=1")) << output;
    EXPECT_TRUE(Has(output, "InitSnapin=0")) << output;
    // KNOWN.DLL, VIEW.DLL and NONUL.DLL are registered behind the value
    // name of 256 characters and must not be offered again.
    EXPECT_EQ(Rows(output), std::string(fixtures::kObjectDescription) + "|1\n");

    EXPECT_EQ(ReadRawList(kObjectOn), With(before[kObjectOn], "NEWSNAP.DLL", SzValue("SNAPINS\\NEWSNAP.DLL")));
    for (const char* list : {kObjectOff, kViewOn, kViewOff}) EXPECT_EQ(ReadRawList(list), before[list]) << list;
    ExpectSubkeysKept({kObjectOn, kObjectOff, kViewOn, kViewOff});

    output = host.Run(hkcu, kStartAndStop);
    EXPECT_TRUE(Has(output, "InitSnapin=0")) << output;
    EXPECT_FALSE(Has(output, "dialog=")) << output;
}

TEST_F(HostileLists, MissingListKeysStayMissingAndOnlyTheTargetListsAreCreated) {
    ASSERT_TRUE(host.AddSnapin(fixtures::kViewDll, "NEWVIEW.DLL"));
    PlantHostileValues(kViewOff);  // registers NONUL.DLL behind the over-long name
    const RawList hostile = ReadRawList(kViewOff);

    // No list but the disabled view list exists: KNOWN.DLL and VIEW.DLL are
    // new here, NONUL.DLL is not.
    std::string output = host.Run(hkcu, std::string(kNewSnapinsScript) + "--enter " + kStartAndStop);
    ASSERT_TRUE(Has(output, "script found=1 finished=1")) << output;
    EXPECT_TRUE(Has(output, "InitSnapin=0")) << output;
    EXPECT_EQ(Rows(output), std::string(fixtures::kObjectDescription) + "|1\n" + fixtures::kViewDescription +
                                "|1\n" + fixtures::kViewDescription + "|1\n");

    EXPECT_EQ(ReadRawList(kObjectOn), (RawList{{"KNOWN.DLL", SzValue("SNAPINS\\KNOWN.DLL")}}));
    EXPECT_EQ(ReadRawList(kViewOn), (RawList{{"NEWVIEW.DLL", SzValue("SNAPINS\\NEWVIEW.DLL")},
                                             {"VIEW.DLL", SzValue("SNAPINS\\VIEW.DLL")}}));
    EXPECT_FALSE(ListKeyExists(kObjectOff));
    EXPECT_EQ(ReadRawList(kViewOff), hostile);
    ExpectSubkeysKept({kViewOff});
}

TEST_F(HostileLists, SelfRegistrationMovesOnlyItsOwnEntry) {
    ProbeHost renamed("OTHER.DLL");
    ASSERT_TRUE(renamed.installed());
    ASSERT_TRUE(renamed.AddSnapinsDirectory(""));
    ASSERT_TRUE(WriteBytes(renamed.dir() / "SNAPINS\\OTHER.DLL", "not an image"));
    PutEntry(kViewOn, "ABC.DLL", "other.dll");  // as an older installer registered the module
    for (const char* list : kLists) PlantHostileValues(list);
    const RawList hostile = ReadRawList(kObjectOn);
    ASSERT_EQ(hostile.size(), HostileValues().size());

    std::string output = renamed.Run(hkcu, kStartAndStop);
    EXPECT_TRUE(Has(output, "load=0")) << output;
    EXPECT_TRUE(Has(output, "InitSnapin=0")) << output;
    EXPECT_FALSE(Has(output, "dialog=")) << output;

    RawList viewOn = With(hostile, "PLUGWARD.DLL", SzValue(""));
    EXPECT_EQ(ReadRawList(kViewOn), With(viewOn, "OTHER.DLL", SzValue("SNAPINS\\OTHER.DLL")));
    for (const char* list : {kObjectOn, kObjectOff, kViewOff}) EXPECT_EQ(ReadRawList(list), hostile) << list;
    ExpectSubkeysKept({kObjectOn, kObjectOff, kViewOn, kViewOff});
}

TEST_F(HostileLists, ConfigurationDialogListsEveryEntryAndMovesOnlyTheChosenOnes) {
    PlantLists({kObjectOn, kObjectOff, kViewOn, kViewOff});
    const std::string firstSteps = std::string("--init ") + kConfigScript;

    // Toggle some rows and leave with Escape: nothing changes.
    std::string output = host.Run(hkcu, firstSteps + "--space 1003 0 --click 1003 2 --space 1003 30 --escape "
                                                     "--action --shutdown");
    ASSERT_TRUE(Has(output, "script found=1 finished=1")) << output;
    EXPECT_TRUE(Has(output, "InitSnapin=0")) << output;
    const std::vector<std::string> rows = RowLines(output);
    const size_t hostileCount = HostileValues().size();
    // Every entry has a row but the one whose name is too long to be read.
    EXPECT_EQ(rows.size(), 4 * (hostileCount - 1) + 3);
    EXPECT_EQ(CountRows(rows, NameOfLength(255) + "|0"), 2u);
    // A text without terminator still names its file; a REG_MULTI_SZ its first string.
    EXPECT_EQ(CountRows(rows, std::string(fixtures::kNoImportsDescription) + "|1"), 2u);
    EXPECT_EQ(CountRows(rows, std::string(fixtures::kNoImportsDescription) + "|0"), 2u);
    EXPECT_EQ(CountRows(rows, NameOfLength(256) + "|0"), 0u);
    EXPECT_EQ(CountRows(rows, "CAF\xe9.DLL|1"), 2u);
    for (const char* list : kLists) EXPECT_EQ(ReadRawList(list), before[list]) << list;

    const int known = RowIndex(rows, "KNOWN.DLL|0");
    const int view = RowIndex(rows, std::string(fixtures::kViewDescription) + "|1");
    ASSERT_GE(known, 0) << Rows(output);
    ASSERT_GE(view, 0) << Rows(output);
    output = host.Run(hkcu, firstSteps + "--space 1003 " + std::to_string(known) + " --space 1003 " +
                                std::to_string(view) + " --enter --action --shutdown");
    ASSERT_TRUE(Has(output, "script found=1 finished=1")) << output;

    EXPECT_EQ(ReadRawList(kObjectOn), With(before[kObjectOn], "KNOWN.DLL", SzValue("SNAPINS\\KNOWN.DLL")));
    EXPECT_EQ(ReadRawList(kObjectOff), Without(before[kObjectOff], "KNOWN.DLL"));
    EXPECT_EQ(ReadRawList(kViewOn), Without(before[kViewOn], "VIEW.DLL"));
    EXPECT_EQ(ReadRawList(kViewOff), With(before[kViewOff], "VIEW.DLL", SzValue("SNAPINS\\VIEW.DLL")));
    ExpectSubkeysKept({kObjectOn, kObjectOff, kViewOn, kViewOff});
}

TEST_F(HostileLists, TenThousandEntriesInOneList) {
    ASSERT_TRUE(host.AddSnapin(fixtures::kObjectDll, "NEWSNAP.DLL"));
    ASSERT_TRUE(host.AddSnapin(fixtures::kViewDll, "E05000.DLL"));
    // Full paths: the version lookup of a relative name that is not in
    // SNAPINS\ goes on along the DLL search path, and Wine reads each of its
    // directories through for it, some 30 s for 10,000 rows.
    for (int i = 0; i < 10000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "E%05d.DLL", i);
        PutEntry(kViewOff, name, host.dir() / (std::string("SNAPINS\\") + name));
    }
    PutEntry(kObjectOn, "PLUGWARD.DLL", "PLUGWARD.DLL");
    PutEntry(kObjectOff, "KNOWN.DLL", "SNAPINS\\KNOWN.DLL");
    PutEntry(kViewOn, "VIEW.DLL", "SNAPINS\\VIEW.DLL");
    PutEntry(kViewOn, "NONUL.DLL", "SNAPINS\\NONUL.DLL");
    const RawList many = ReadRawList(kViewOff);
    ASSERT_EQ(many.size(), 10000u);

    std::string output = TimedRun(host, hkcu, std::string(kNewSnapinsScript) + "--enter " + kStartAndStop,
                                  "start-up with 10,000 entries in one list");
    ASSERT_TRUE(Has(output, "script found=1 finished=1")) << output;
    EXPECT_TRUE(Has(output, "InitSnapin=0")) << output;
    EXPECT_EQ(Rows(output), std::string(fixtures::kObjectDescription) + "|1\n");
    EXPECT_EQ(ReadRawList(kViewOff), many);

    output = TimedRun(host, hkcu, std::string("--init ") + kConfigScript + "--escape --action --shutdown",
                      "configuration dialog with 10,005 rows");
    ASSERT_TRUE(Has(output, "script found=1 finished=1")) << output;
    const std::vector<std::string> rows = RowLines(output);
    EXPECT_EQ(rows.size(), 10005u);
    const int first = RowIndex(rows, "E00000.DLL|0");
    ASSERT_GE(first, 0);

    output = host.Run(hkcu, std::string("--init ") + kConfigScript + "--space 1003 " + std::to_string(first) +
                                " --enter --action --shutdown");
    ASSERT_TRUE(Has(output, "script found=1 finished=1")) << output;
    EXPECT_EQ(ReadRawList(kViewOff), Without(many, "E00000.DLL"));
    // The move writes the entry as the module names a snap-in it registers.
    EXPECT_EQ(ReadRawList(kViewOn), (RawList{{"E00000.DLL", SzValue("SNAPINS\\E00000.DLL")},
                                             {"NONUL.DLL", SzValue("SNAPINS\\NONUL.DLL")},
                                             {"VIEW.DLL", SzValue("SNAPINS\\VIEW.DLL")}}));
}
