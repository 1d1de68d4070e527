// Self-registration, run in a temporary host directory by a small host
// program, with PLUGWARD.DLL copied there under another file name.
#include "tests/support/ProbeHost.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {
using Entries = std::map<std::string, std::string>;

class SelfRegistration : public ::testing::Test {
protected:
    // Starts the module as the host does; it must start and show no dialog.
    void Start(const ProbeHost& host) {
        ASSERT_TRUE(host.installed());
        std::string output = host.Run(hkcu, kStartAndStop);
        EXPECT_NE(output.find("load=0"), std::string::npos) << output;
        EXPECT_NE(output.find("InitSnapin=0"), std::string::npos) << output;
        EXPECT_EQ(output.find("dialog="), std::string::npos) << output;
    }
    static void AddSnapinsFile(const ProbeHost& host, const std::string& name) {
        CreateDirectoryA((host.dir() / "SNAPINS").c_str(), nullptr);
        ASSERT_TRUE(WriteBytes(host.dir() / ("SNAPINS\\" + name), "not an image"));
    }

    ScratchHkcu hkcu;
};
}  // namespace

TEST_F(SelfRegistration, CanonicalNameInAnyCaseChangesNothing) {
    ProbeHost host("plugward.dll");
    PutEntry(kViewOn, "ABC.DLL", "plugward.dll");
    Start(host);
    EXPECT_EQ(ReadList(kViewOn), (Entries{{"ABC.DLL", "plugward.dll"}}));
    EXPECT_FALSE(ListKeyExists(kObjectOn));
}

TEST_F(SelfRegistration, UsualRegistrationUnderOtherNameChangesNothing) {
    ProbeHost host("OTHER.DLL");
    AddSnapinsFile(host, "OTHER.DLL");
    PutEntry(kObjectOn, "OTHER.DLL", "SNAPINS\\OTHER.DLL");
    Start(host);
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"OTHER.DLL", "SNAPINS\\OTHER.DLL"}}));
    EXPECT_TRUE(ReadList(kViewOn).empty());
}

TEST_F(SelfRegistration, MovesTheViewEntryAndRegistersTheFileInSnapins) {
    ProbeHost host("OTHER.DLL");
    AddSnapinsFile(host, "OTHER.DLL");
    ASSERT_TRUE(WriteBytes(host.dir() / "PLUGWARD.DLL", "x"));
    PutEntry(kViewOn, "ABC.DLL", "other.dll");
    PutEntry(kViewOff, "OFF.DLL", "other.dll");
    Start(host);
    EXPECT_EQ(ReadList(kViewOn),
              (Entries{{"PLUGWARD.DLL", "PLUGWARD.DLL"}, {"OTHER.DLL", "SNAPINS\\OTHER.DLL"}}));
    EXPECT_EQ(ReadList(kViewOff), (Entries{{"OFF.DLL", "other.dll"}})) << "disabled lists are never touched";
}

TEST_F(SelfRegistration, ObjectListWinsAndMissingCanonicalFileGivesEmptyData) {
    ProbeHost host("OTHER.DLL");
    ASSERT_TRUE(CreateDirectoryA((host.dir() / "PLUGWARD.DLL").c_str(), nullptr)) << "a directory counts as absent";
    PutEntry(kObjectOn, "ABC.DLL", "OTHER.DLL");
    PutEntry(kViewOn, "XYZ.DLL", "OTHER.DLL");
    Start(host);
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"PLUGWARD.DLL", ""}})) << "no SNAPINS\\OTHER.DLL: no entry for it";
    EXPECT_EQ(ReadList(kViewOn), (Entries{{"XYZ.DLL", "OTHER.DLL"}}));
}

TEST_F(SelfRegistration, EntryAlreadyCanonicalChangesNothing) {
    ProbeHost host("OTHER.DLL");
    PutEntry(kObjectOn, "plugward.dll", "OTHER.DLL");
    Start(host);
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"plugward.dll", "OTHER.DLL"}}));
}

TEST_F(SelfRegistration, OldNameEqualToCurrentNameIsRewrittenAsSnapinEntry) {
    ProbeHost host("OTHER.DLL");
    AddSnapinsFile(host, "OTHER.DLL");
    PutEntry(kObjectOn, "OTHER.DLL", "OTHER.DLL");
    Start(host);
    const Entries expected{{"PLUGWARD.DLL", ""}, {"OTHER.DLL", "SNAPINS\\OTHER.DLL"}};
    EXPECT_EQ(ReadList(kObjectOn), expected);
    Start(host);
    EXPECT_EQ(ReadList(kObjectOn), expected) << "a second start finds nothing to move";
}
