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

// The real module loaded into this process, whose HKEY_LOCAL_MACHINE a ScratchHklm can move.
struct LoadedModule {
    using Entry = void(__cdecl*)();
    const HMODULE module = LoadLibraryA((ExecutableDirectory() + "PLUGWARD.DLL").c_str());
    const Entry start = Export("InitSnapin"), stop = Export("ShutDown");
    ~LoadedModule() { FreeLibrary(module); }
    Entry Export(const char* name) const {
        return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

// Under RequireTrustedPublisher only a file signed by a trusted publisher stays
// enabled, and a required one that is not stays disabled; a missing file has
// no standing of its own.
TEST(PolicyStartup, UntrustedFilesAreDisabledAndNeverEnabledEvenWhenRequired) {
    ScratchHklm machine;
    ScratchHkcu user;
    ASSERT_TRUE(machine.UseAuthenticode());
    PutMachinePolicy("", "RequireTrustedPublisher", "", 1);
    PutMachinePolicy("", "NewSnapins", "", 2);  // nothing new is offered in a dialog
    PutMachinePolicy("Required", "1", "SIGNED_OTHER.DLL");
    const std::string bin = ExecutableDirectory();
    for (const std::string file : {"SIGNED_TRUSTED.DLL", "SIGNED_CHANGED.DLL", "FIXTURE_OBJECT.DLL", "GONE.DLL"})
        PutEntry(kObjectOn, file, bin + file);
    PutEntry(kObjectOff, "SIGNED_OTHER.DLL", bin + "signed_other.dll");
    const LoadedModule loaded;
    ASSERT_TRUE(loaded.start && loaded.stop);
    loaded.start(), loaded.stop();
    const auto on = ReadList(kObjectOn), off = ReadList(kObjectOff);
    for (const char* name : {"SIGNED_TRUSTED.DLL", "GONE.DLL"}) EXPECT_TRUE(on.count(name) && !off.count(name)) << name;
    for (const char* name : {"SIGNED_CHANGED.DLL", "FIXTURE_OBJECT.DLL", "SIGNED_OTHER.DLL"})
        EXPECT_TRUE(off.count(name) && !on.count(name)) << name;
}

TEST(PolicyStartup, StartCutShortBeforeAMovesDeleteLosesNothingAndTheNextStartFinishes) {
    ScratchHklm machine;  // before the user's, so that both lie below the real HKCU
    ScratchHkcu user;
    PutEntry(kObjectOn, "EVIL.DLL", "C:\\TOOLS\\evil.dll");
    PutMachinePolicy("Blocked", "1", "EVIL.DLL");
    const LoadedModule loaded;
    const HMODULE module = loaded.module;
    const auto start = loaded.start, stop = loaded.stop;
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
}
}  // namespace
