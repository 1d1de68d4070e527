// Start-up discovery end to end: the real PLUGWARD.DLL started by a host
// program in a temporary host directory whose SNAPINS\ holds snap-ins of
// each kind, and a user answering the dialogs with keyboard and mouse.
#include "tests/fixtures/Fixtures.h"
#include "tests/support/ProbeHost.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {
using Entries = std::map<std::string, std::string>;

const char kNewSnapinsDialog[] = "--dialog \"New Snapins Installed\" --read 1000 ";
const char kConfigDialog[] = "--dialog \"Snapin Configuration\" --read 1003 ";

// The rows that a dialog script read, in list-box order.
std::string Rows(const std::string& output) {
    std::string rows;
    for (size_t at = output.find("row="); at != std::string::npos; at = output.find("row=", at + 1))
        rows += output.substr(at + 4, output.find('\n', at) - at - 4) + "\n";
    return rows;
}

class Discovery : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.installed());
        PutEntry(kObjectOn, "PLUGWARD.DLL", "PLUGWARD.DLL");  // as an installer registers it
        ASSERT_TRUE(host.AddSnapin(fixtures::kObjectDll, "NewSnap.dll"));
        ASSERT_TRUE(host.AddSnapin(fixtures::kViewDll, "VIEW.DLL"));
        ASSERT_TRUE(host.AddSnapin(fixtures::kNoImportsDll, "NOIMP.DLL"));
        ASSERT_TRUE(host.AddSnapin(fixtures::kNoVersionDll, "nodesc.dll"));
        ASSERT_TRUE(host.AddSnapin(fixtures::kNoMarkerDll, "NOTSNAP.DLL"));
        ASSERT_TRUE(host.AddSnapin(fixtures::kProgramExe, "PROGRAM.DLL"));
        ASSERT_TRUE(host.AddSnapin(fixtures::kObjectDll, "KNOWN.DLL"));
        ASSERT_TRUE(host.AddSnapinsDirectory("OLD.DLL"));
        PutEntry(kViewOff, "known.dll", "C:\\ELSEWHERE\\KNOWN.DLL");
    }

    // Rows sorted by text; a file without a description shows its name.
    const std::string expectedRows = std::string("NODESC.DLL|1\n") + fixtures::kObjectDescription + "|1\n" +
                                     fixtures::kNoImportsDescription + "|1\n" + fixtures::kViewDescription + "|1\n";

    ScratchHkcu hkcu;
    ProbeHost host;
};
}  // namespace

TEST_F(Discovery, OffersExactlyTheNewSnapinsAndCloseWritesEachToItsList) {
    // Clear the view snap-in with the space bar and the file without a
    // description with a click on its box, then press Enter ("Close").
    std::string output =
        host.Run(hkcu, std::string(kNewSnapinsDialog) + "--space 1000 3 --click 1000 0 --read 1000 --enter " +
                           kStartAndStop);
    ASSERT_NE(output.find("script found=1 finished=1"), std::string::npos) << output;
    EXPECT_NE(output.find("InitSnapin=0"), std::string::npos) << output;
    EXPECT_EQ(Rows(output), expectedRows + "NODESC.DLL|0\n" + fixtures::kObjectDescription + "|1\n" +
                                fixtures::kNoImportsDescription + "|1\n" + fixtures::kViewDescription + "|0\n");

    EXPECT_EQ(ReadList(kObjectOn),
              (Entries{{"PLUGWARD.DLL", "PLUGWARD.DLL"}, {"NEWSNAP.DLL", "SNAPINS\\NEWSNAP.DLL"}}));
    EXPECT_EQ(ReadList(kObjectOff), (Entries{{"NODESC.DLL", "SNAPINS\\NODESC.DLL"}}));
    EXPECT_EQ(ReadList(kViewOn), (Entries{{"NOIMP.DLL", "SNAPINS\\NOIMP.DLL"}})) << "no import section: a view list";
    EXPECT_EQ(ReadList(kViewOff), (Entries{{"known.dll", "C:\\ELSEWHERE\\KNOWN.DLL"}, {"VIEW.DLL", "SNAPINS\\VIEW.DLL"}}));

    // The next start offers nothing.
    output = host.Run(hkcu, kStartAndStop);
    EXPECT_NE(output.find("InitSnapin=0"), std::string::npos) << output;
    EXPECT_EQ(output.find("dialog="), std::string::npos) << output;
}

TEST_F(Discovery, EscapeEnablesEveryOfferedSnapinAsShown) {
    std::string output = host.Run(hkcu, std::string(kNewSnapinsDialog) + "--space 1000 1 --escape " + kStartAndStop);
    ASSERT_NE(output.find("script found=1 finished=1"), std::string::npos) << output;
    EXPECT_EQ(Rows(output), expectedRows);
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"PLUGWARD.DLL", "PLUGWARD.DLL"},
                                            {"NEWSNAP.DLL", "SNAPINS\\NEWSNAP.DLL"},
                                            {"NODESC.DLL", "SNAPINS\\NODESC.DLL"}}));
    EXPECT_EQ(ReadList(kViewOn), (Entries{{"NOIMP.DLL", "SNAPINS\\NOIMP.DLL"}, {"VIEW.DLL", "SNAPINS\\VIEW.DLL"}}));
    EXPECT_FALSE(ListKeyExists(kObjectOff));
}

TEST_F(Discovery, ConfigurationDialogFromTheMenuMovesEntries) {
    host.Run(hkcu, std::string(kNewSnapinsDialog) + "--enter " + kStartAndStop);
    ASSERT_EQ(ReadList(kObjectOn).size(), 3u);

    // Rows: the module itself, the four offered snap-ins and the known one.
    // Clear the object snap-in (row 2) and enable the known one (row 0).
    std::string output = host.Run(hkcu, std::string("--init ") + kConfigDialog +
                                            "--space 1003 2 --click 1003 0 --enter --action --shutdown");
    ASSERT_NE(output.find("script found=1 finished=1"), std::string::npos) << output;
    EXPECT_EQ(Rows(output), std::string("KNOWN.DLL|0\n") + "NODESC.DLL|1\n" + fixtures::kObjectDescription +
                                "|1\n" + fixtures::kNoImportsDescription + "|1\n" + fixtures::kViewDescription +
                                "|1\nTarvex Snap-in Installation Module|1\n");
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"PLUGWARD.DLL", "PLUGWARD.DLL"}, {"NODESC.DLL", "SNAPINS\\NODESC.DLL"}}));
    EXPECT_EQ(ReadList(kObjectOff), (Entries{{"NEWSNAP.DLL", "SNAPINS\\NEWSNAP.DLL"}}));
    EXPECT_EQ(ReadList(kViewOn), (Entries{{"NOIMP.DLL", "SNAPINS\\NOIMP.DLL"},
                                          {"VIEW.DLL", "SNAPINS\\VIEW.DLL"},
                                          {"KNOWN.DLL", "SNAPINS\\KNOWN.DLL"}}));
    EXPECT_TRUE(ReadList(kViewOff).empty());
}
