// Self-registration, run in a temporary host directory by a small host
// program, with PLUGWARD.DLL copied there under another file name.
#include "tests/support/Process.h"
#include "tests/support/Scratch.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {
using Entries = std::map<std::string, std::string>;

class SelfRegistration : public ::testing::Test {
protected:
    // Lays out the host directory with the module under `moduleName`.
    void Install(const std::string& moduleName) {
        const std::string bin = ExecutableDirectory();
        ASSERT_TRUE(CopyFileA((bin + "host_probe.exe").c_str(), (host / "host_probe.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((bin + "admext32.dll").c_str(), (host / "admext32.dll").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((bin + "PLUGWARD.DLL").c_str(), (host / moduleName).c_str(), FALSE));
        m_moduleName = moduleName;
    }
    void AddSnapinsFile(const std::string& name) {
        CreateDirectoryA((host / "SNAPINS").c_str(), nullptr);
        ASSERT_TRUE(WriteBytes(host / ("SNAPINS\\" + name), "not an image"));
    }
    // Starts the module as the host does; returns what the probe printed.
    std::string Start() {
        ProcessResult run = RunProcess("\"" + (host / "host_probe.exe") + "\" --hkcu \"" + hkcu.path() +
                                       "\" --load " + m_moduleName + " --init --shutdown");
        EXPECT_TRUE(run.started);
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        EXPECT_NE(run.output.find("load=0"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("InitSnapin=0"), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("dialog="), std::string::npos) << run.output;
        return run.output;
    }

    ScratchHkcu hkcu;
    TempDir host;

private:
    std::string m_moduleName;
};
}  // namespace

TEST_F(SelfRegistration, CanonicalNameInAnyCaseChangesNothing) {
    Install("plugward.dll");
    PutEntry(kViewOn, "ABC.DLL", "plugward.dll");
    Start();
    EXPECT_EQ(ReadList(kViewOn), (Entries{{"ABC.DLL", "plugward.dll"}}));
    EXPECT_FALSE(ListKeyExists(kObjectOn));
}

TEST_F(SelfRegistration, UsualRegistrationUnderOtherNameChangesNothing) {
    Install("OTHER.DLL");
    AddSnapinsFile("OTHER.DLL");
    PutEntry(kObjectOn, "OTHER.DLL", "SNAPINS\\OTHER.DLL");
    Start();
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"OTHER.DLL", "SNAPINS\\OTHER.DLL"}}));
    EXPECT_TRUE(ReadList(kViewOn).empty());
}

TEST_F(SelfRegistration, MovesTheViewEntryAndRegistersTheFileInSnapins) {
    Install("OTHER.DLL");
    AddSnapinsFile("OTHER.DLL");
    ASSERT_TRUE(WriteBytes(host / "PLUGWARD.DLL", "x"));
    PutEntry(kViewOn, "ABC.DLL", "other.dll");
    PutEntry(kViewOff, "OFF.DLL", "other.dll");
    Start();
    EXPECT_EQ(ReadList(kViewOn),
              (Entries{{"PLUGWARD.DLL", "PLUGWARD.DLL"}, {"OTHER.DLL", "SNAPINS\\OTHER.DLL"}}));
    EXPECT_EQ(ReadList(kViewOff), (Entries{{"OFF.DLL", "other.dll"}})) << "disabled lists are never touched";
}

TEST_F(SelfRegistration, ObjectListWinsAndMissingCanonicalFileGivesEmptyData) {
    Install("OTHER.DLL");
    ASSERT_TRUE(CreateDirectoryA((host / "PLUGWARD.DLL").c_str(), nullptr)) << "a directory counts as absent";
    PutEntry(kObjectOn, "ABC.DLL", "OTHER.DLL");
    PutEntry(kViewOn, "XYZ.DLL", "OTHER.DLL");
    Start();
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"PLUGWARD.DLL", ""}})) << "no SNAPINS\\OTHER.DLL: no entry for it";
    EXPECT_EQ(ReadList(kViewOn), (Entries{{"XYZ.DLL", "OTHER.DLL"}}));
}

TEST_F(SelfRegistration, EntryAlreadyCanonicalChangesNothing) {
    Install("OTHER.DLL");
    PutEntry(kObjectOn, "plugward.dll", "OTHER.DLL");
    Start();
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"plugward.dll", "OTHER.DLL"}}));
}

TEST_F(SelfRegistration, OldNameEqualToCurrentNameIsRewrittenAsSnapinEntry) {
    Install("OTHER.DLL");
    AddSnapinsFile("OTHER.DLL");
    PutEntry(kObjectOn, "OTHER.DLL", "OTHER.DLL");
    Start();
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"PLUGWARD.DLL", ""}, {"OTHER.DLL", "SNAPINS\\OTHER.DLL"}}));
    // A second start finds nothing to move.
    Start();
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"PLUGWARD.DLL", ""}, {"OTHER.DLL", "SNAPINS\\OTHER.DLL"}}));
}
