// A start of the real PLUGWARD.DLL cut short between a policy move's write
// and its delete: the delete fails, as a start killed there leaves the lists.
#include "tests/faults/FaultInjector.h"
#include "tests/support/ProbeHost.h"
#include "tests/support/Scratch.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>

namespace {
// An entry is judged by the file it loads; a move keeps the copy it finds.
TEST(PolicyStartup, StartJudgesTheLoadedFileAndNeverOverwritesACopy) {
    ScratchHkcu user;
    for (const char* setting : {"Allowed", "Required"}) PutPolicyText(HKEY_CURRENT_USER, setting, "1", "REQ.DLL");
    PutPolicyText(HKEY_CURRENT_USER, "Allowed", "2", "EVENTLOG.DLL");
    PutPolicyText(HKEY_CURRENT_USER, "Blocked", "1", "*");
    PutEntry(kObjectOn, "EVENTLOG.DLL", "SNAPINS\\DSKQUOTA.DLL");
    PutEntry(kObjectOn, "REQ.DLL", "SNAPINS\\REQ.DLL");
    PutEntry(kObjectOff, "REQ.DLL", "snapins\\req.dll");
    ProbeHost().Run(user, kStartAndStop);
    EXPECT_EQ(ReadList(kObjectOn), (std::map<std::string, std::string>{{"REQ.DLL", "SNAPINS\\REQ.DLL"}}));
    EXPECT_EQ(ReadList(kObjectOff), (std::map<std::string, std::string>{{"EVENTLOG.DLL", "SNAPINS\\DSKQUOTA.DLL"}}));
}

TEST(PolicyStartup, StartCutShortBeforeAMovesDeleteLosesNothingAndTheNextStartFinishes) {
    ScratchHklm machine;  // before the user's, so that both lie below the real HKCU
    ScratchHkcu user;
    PutEntry(kObjectOn, "EVIL.DLL", "C:\\TOOLS\\evil.dll");
    PutMachinePolicy("Blocked", "1", "EVIL.DLL");
    const HMODULE module = LoadLibraryA((ExecutableDirectory() + "PLUGWARD.DLL").c_str());
    const auto start = reinterpret_cast<void(__cdecl*)()>(reinterpret_cast<void*>(GetProcAddress(module, "InitSnapin")));
    const auto stop = reinterpret_cast<void(__cdecl*)()>(reinterpret_cast<void*>(GetProcAddress(module, "ShutDown")));
    std::vector<std::string> notImported;
    std::string error;
    ASSERT_TRUE(start && stop && faults::Install(module, notImported, error)) << error;

    faults::Begin(faults::FindCall("RegDeleteValueA"), 1);
    start(), stop();
    EXPECT_TRUE(faults::End());
    EXPECT_EQ(ReadList(kObjectOn).at("EVIL.DLL"), "C:\\TOOLS\\evil.dll");
    EXPECT_EQ(ReadList(kObjectOff).at("EVIL.DLL"), "C:\\TOOLS\\evil.dll");
    start(), stop();
    EXPECT_EQ(ReadList(kObjectOn).count("EVIL.DLL"), 0u);
    EXPECT_EQ(ReadList(kObjectOff).at("EVIL.DLL"), "C:\\TOOLS\\evil.dll");
    FreeLibrary(module);
}
}  // namespace
