// SNAPINS\ holding what a user's disk may hold: a file another program keeps
// open for writing, empty files, a directory named like a module, names at
// the edge of the path limit or with letters above 127, and thousands of
// files that are not snap-ins. Exactly the real new snap-ins are offered and
// nothing else is written.
#include "tests/fixtures/Fixtures.h"
#include "tests/hostile/RawLists.h"
#include "tests/support/ProbeHost.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

namespace {
const char kNewSnapinsScript[] = "--dialog \"New Snapins Installed\" --read 1000 ";

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using HeldFile = std::unique_ptr<void, HandleCloser>;

// Opens the file for writing and lets nobody else read it, as an installer
// still copying it would.
HeldFile HoldForWriting(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    return HeldFile(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// A copy of a fixture under a name the ANSI file functions cannot reach.
bool CopyFixtureLong(const char* fixture, const std::string& target) {
    std::wstring wide(L"\\\\?\\");
    for (char c : target) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    std::wstring source;
    for (char c : ExecutableDirectory() + fixture) source += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return CopyFileW(source.c_str(), wide.c_str(), FALSE) != FALSE;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

class HostileDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.installed());
        ASSERT_TRUE(host.AddSnapinsDirectory(""));
        PutEntry(kObjectOn, "PLUGWARD.DLL", "PLUGWARD.DLL");
    }

    // Snap-ins without a description, so that each row shows its file name.
    void AddSnapin(const std::string& name) { ASSERT_TRUE(host.AddSnapin(fixtures::kNoVersionDll, name)); }
    std::string Snapins(const std::string& name) const { return host.dir() / ("SNAPINS\\" + name); }

    static RawList Registered(std::initializer_list<std::string> names) {
        RawList values{{"PLUGWARD.DLL", SzValue("PLUGWARD.DLL")}};
        for (const auto& name : names) values[name] = SzValue("SNAPINS\\" + name);
        return values;
    }

    void ExpectOnlyEnabledObjectList(const RawList& expected) {
        EXPECT_EQ(ReadRawList(kObjectOn), expected);
        for (const char* list : {kObjectOff, kViewOn, kViewOff}) EXPECT_FALSE(ListKeyExists(list)) << list;
    }

    ScratchHkcu hkcu;
    ProbeHost host;
};
}  // namespace

TEST_F(HostileDirectory, UnreadableEmptyAndDirectoryEntriesAreSkipped) {
    std::printf("[ figures  ] ANSI code page %u\n", GetACP());
    AddSnapin("LOCKED.DLL");
    AddSnapin("NEWSNAP.DLL");
    AddSnapin("caf\xe9.dll");
    ASSERT_TRUE(WriteBytes(Snapins("EMPTY.DLL"), ""));
    ASSERT_TRUE(host.AddSnapinsDirectory("DIR.DLL"));
    ASSERT_TRUE(host.AddSnapin(fixtures::kObjectDll, "DIR.DLL\\INSIDE.DLL"));
    {
        HeldFile locked = HoldForWriting(Snapins("LOCKED.DLL"));
        ASSERT_TRUE(locked);
        std::string output = host.Run(hkcu, std::string(kNewSnapinsScript) + "--enter " + kStartAndStop);
        ASSERT_TRUE(Has(output, "script found=1 finished=1")) << output;
        EXPECT_TRUE(Has(output, "InitSnapin=0")) << output;
        EXPECT_EQ(Rows(output), "CAF\xe9.DLL|1\nNEWSNAP.DLL|1\n");
        ExpectOnlyEnabledObjectList(Registered({"CAF\xe9.DLL", "NEWSNAP.DLL"}));
    }

    // Once the other program has let go, the file is offered at the next start.
    std::string output = host.Run(hkcu, kStartAndStop);
    EXPECT_TRUE(Has(output, "InitSnapin=0")) << output;
    EXPECT_TRUE(Has(output, "dialog=New Snapins Installed\nrow=LOCKED.DLL\nInitSnapin=0")) << output;
    ExpectOnlyEnabledObjectList(Registered({"CAF\xe9.DLL", "NEWSNAP.DLL", "LOCKED.DLL"}));

    output = host.Run(hkcu, kStartAndStop);
    EXPECT_FALSE(Has(output, "dialog=")) << output;
    EXPECT_TRUE(CanOpenExclusively(Snapins("NEWSNAP.DLL")));
}

TEST_F(HostileDirectory, NamesAtThePathLimit) {
    // Full paths of 250 to 265 characters: only those the ANSI file
    // functions can open can be inspected, and only those are offered.
    const size_t prefix = host.dir().path().size() + std::string("SNAPINS\\").size();
    std::set<std::string> reachable;
    std::string expectedRows;
    for (size_t total : {250u, 258u, 259u, 260u, 261u, 265u}) {
        const std::string name = std::to_string(total) + std::string(total - prefix - 7, 'L') + ".DLL";
        ASSERT_EQ((host.dir() / ("SNAPINS\\" + name)).size(), total);
        ASSERT_TRUE(CopyFixtureLong(fixtures::kNoVersionDll, Snapins(name))) << total;
        // Whether the ANSI functions reach it is the platform's answer
        // (Wine opens a path of exactly 260 characters, Windows does not).
        const std::string path = Snapins(name);
        if (total < MAX_PATH) {
            EXPECT_TRUE(CanOpenExclusively(path)) << total;
        } else if (total > MAX_PATH) {
            EXPECT_FALSE(CanOpenExclusively(path)) << total;
        }
        if (CanOpenExclusively(path)) reachable.insert(name);
    }
    for (const auto& name : reachable) expectedRows += name + "|1\n";

    std::string output = host.Run(hkcu, std::string(kNewSnapinsScript) + "--enter " + kStartAndStop);
    ASSERT_TRUE(Has(output, "script found=1 finished=1")) << output;
    EXPECT_TRUE(Has(output, "InitSnapin=0")) << output;
    EXPECT_EQ(Rows(output), expectedRows);
    RawList expected = Registered({});
    for (const auto& name : reachable) expected[name] = SzValue("SNAPINS\\" + name);
    ExpectOnlyEnabledObjectList(expected);
}

TEST_F(HostileDirectory, TwoThousandFilesOfWhichFiveAreSnapins) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    std::string output = host.Run(hkcu, kStartAndStop);
    QueryPerformanceCounter(&end);
    EXPECT_TRUE(Has(output, "InitSnapin=0")) << output;
    const double empty = Seconds(start, end);

    // A DOS header whose PE offset points far beyond the file.
    std::string farHeader(64, '\0');
    farHeader[0] = 'M';
    farHeader[1] = 'Z';
    farHeader[24] = 0x40;
    farHeader[60] = farHeader[61] = farHeader[62] = '\x7f';
    int files = 0;
    for (int i = 0; i < 1980; ++i, ++files) {
        char name[32];
        std::snprintf(name, sizeof name, "JUNK%04d.%s", i, i % 10 == 9 ? "TXT" : "DLL");
        const std::string bytes = i % 3 == 0 ? farHeader : i % 3 == 1 ? std::string() : std::string("not an image");
        ASSERT_TRUE(WriteBytes(Snapins(name), bytes)) << name;
    }
    for (int i = 0; i < 10; ++i, ++files) {
        const bool marker = i % 2 == 0;
        ASSERT_TRUE(host.AddSnapin(marker ? fixtures::kNoMarkerDll : fixtures::kProgramExe,
                                   "NOTSNAP" + std::to_string(i) + ".DLL"));
    }
    const std::set<std::string> snapins{"SNAP1.DLL", "SNAP2.DLL", "SNAP3.DLL", "SNAP4.DLL", "SNAP5.DLL"};
    for (const auto& name : snapins) AddSnapin(name), ++files;
    for (int i = 0; i < 5; ++i, ++files) ASSERT_TRUE(host.AddSnapinsDirectory("OLD" + std::to_string(i) + ".DLL"));
    ASSERT_EQ(files, 2000);

    QueryPerformanceCounter(&start);
    output = host.Run(hkcu, std::string(kNewSnapinsScript) + "--enter " + kStartAndStop);
    QueryPerformanceCounter(&end);
    std::printf("[ figures  ] start-up with an empty SNAPINS\\: %.2f s; with 2,000 entries: %.2f s\n", empty,
                Seconds(start, end));
    ASSERT_TRUE(Has(output, "script found=1 finished=1")) << output;
    EXPECT_TRUE(Has(output, "InitSnapin=0")) << output;
    EXPECT_EQ(Rows(output), "SNAP1.DLL|1\nSNAP2.DLL|1\nSNAP3.DLL|1\nSNAP4.DLL|1\nSNAP5.DLL|1\n");
    ExpectOnlyEnabledObjectList(Registered({"SNAP1.DLL", "SNAP2.DLL", "SNAP3.DLL", "SNAP4.DLL", "SNAP5.DLL"}));
}
