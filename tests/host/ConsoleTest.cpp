// End-to-end runs of VMADMIN.EXE under Wine: a host directory with the
// console, admext32.dll, PLUGWARD.DLL and snap-ins in SNAPINS\, a private
// HKEY_CURRENT_USER handed to the console with --hkcu, and scripted answers
// to the module's dialogs. Each run's log file and the lists afterwards are
// what the tests look at.
#include "tests/fixtures/Fixtures.h"
#include "tests/support/Process.h"
#include "tests/support/Scratch.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
const char kRecordKey[] = "Software\\VelmarkConsoleTests";
const char kNewSnapins[] = "New Snapins Installed";
const char kConfiguration[] = "Snapin Configuration";

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The "Calls" record that the test snap-ins keep of InitSnapin, actions and ShutDown.
std::string RecordedCalls() {
    char calls[4096] = "";
    DWORD size = sizeof calls;
    if (RegGetValueA(HKEY_CURRENT_USER, kRecordKey, "Calls", RRF_RT_REG_SZ, nullptr, calls, &size) != 0) return "";
    return calls;
}

void ClearRecordedCalls() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kRecordKey, "Calls"); }

// "State": the test snap-in's menu state; "Ask": 1 makes its action show an unanswerable dialog.
void SetSnapinSetting(const char* name, DWORD value) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kRecordKey, name, REG_DWORD, &value, sizeof value);
}

// Position of `text` in `log`, failing the test when it is missing.
size_t PositionOf(const std::string& log, const std::string& text) {
    const size_t at = log.find(text);
    EXPECT_NE(at, std::string::npos) << "missing \"" << text << "\" in log:\n" << log;
    return at;
}

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA((m_host / "SNAPINS").c_str(), nullptr));
        Install("VMADMIN.EXE", "VMADMIN.EXE");
        Install("admext32.dll", "admext32.dll");
    }

    void Install(const std::string& built, const std::string& target) {
        ASSERT_TRUE(CopyFileA((ExecutableDirectory() + built).c_str(), (m_host / target).c_str(), FALSE))
            << built << " -> " << target;
    }

    // PLUGWARD.DLL in the host directory, registered as its installer does.
    void InstallPlugward() {
        Install("PLUGWARD.DLL", "PLUGWARD.DLL");
        PutEntry(kObjectOn, "PLUGWARD.DLL", "PLUGWARD.DLL");
    }

    // The demonstration snap-ins and library, under the names scripts/demo gives them.
    void InstallDemoSnapins() {
        Install("demo_eventlog.dll", "SNAPINS\\EVENTLOG.DLL");
        Install("demo_diskquota.dll", "SNAPINS\\DSKQUOTA.DLL");
        Install("demo_servicemonitor.dll", "SNAPINS\\SVCMON.DLL");
        Install("demo_reportlibrary.dll", "SNAPINS\\RPTLIB.DLL");
    }

    // Runs the console to its end with these options; returns its log.
    std::string RunConsole(const std::string& options) {
        const std::string logPath = m_host / "console.log";
        const ProcessResult result = RunProcess("\"" + (m_host / "VMADMIN.EXE") + "\" --hkcu \"" + m_scratch.path() +
                                                    "\" " + m_machineOption + "--log \"" + logPath + "\" " +
                                                    options + " --exit",
                                                m_host.path());
        EXPECT_TRUE(result.started);
        EXPECT_EQ(result.exitCode, 0u) << result.output;
        const std::string log = ReadFile(logPath);
        EXPECT_NE(log.find("console closed"), std::string::npos) << log;
        return log;
    }

    ScratchHkcu m_scratch;
    TempDir m_host;
    std::string m_machineOption;  // --hklm, for a run under a machine policy
};

// The console under a machine policy: HKEY_LOCAL_MACHINE of this process and
// of the console is a scratch key below the real one.
class PolicyConsoleTest : public ConsoleTest {
protected:
    PolicyConsoleTest() { m_machineOption = "--hklm \"" + m_machine.path() + "\" "; }

    ScratchHklm m_machine;
};

TEST_F(ConsoleTest, FirstStartOffersNewSnapinsAndTheNextStartLoadsThem) {
    InstallPlugward();
    Install(fixtures::kObjectDll, "SNAPINS\\OBJSNAP.DLL");
    Install(fixtures::kViewDll, "SNAPINS\\VIEWSNAP.DLL");
    Install(fixtures::kNoImportsDll, "SNAPINS\\BARESNAP.DLL");
    Install(fixtures::kNoMarkerDll, "SNAPINS\\LIBRARY.DLL");
    ASSERT_TRUE(CreateDirectoryA((m_host / "SNAPINS\\OLD.DLL").c_str(), nullptr));

    const std::string first = RunConsole(std::string("--answer \"") + kNewSnapins + "=enter\"");
    PositionOf(first, std::string("dialog \"") + kNewSnapins + "\" is up");
    PositionOf(first, std::string("row \"") + fixtures::kObjectDescription + "\"");
    PositionOf(first, std::string("row \"") + fixtures::kViewDescription + "\"");
    PositionOf(first, std::string("row \"") + fixtures::kNoImportsDescription + "\"");
    EXPECT_EQ(first.find(fixtures::kNoMarkerDescription), std::string::npos) << first;
    EXPECT_EQ(first.find("OLD.DLL"), std::string::npos) << first;
    // The lists were read before PLUGWARD.DLL wrote to them: only it ran.
    PositionOf(first, "loaded PLUGWARD.DLL (InitSnapin returned 0)");
    PositionOf(first, "started 1 snap-in(s)");

    const auto objects = ReadList(kObjectOn);
    EXPECT_EQ(objects.at("OBJSNAP.DLL"), "SNAPINS\\OBJSNAP.DLL");
    EXPECT_EQ(objects.at("PLUGWARD.DLL"), "PLUGWARD.DLL");
    const auto views = ReadList(kViewOn);
    EXPECT_EQ(views.at("VIEWSNAP.DLL"), "SNAPINS\\VIEWSNAP.DLL");
    EXPECT_EQ(views.at("BARESNAP.DLL"), "SNAPINS\\BARESNAP.DLL");
    EXPECT_EQ(views.size(), 2u);
    EXPECT_TRUE(ReadList(kObjectOff).empty());
    EXPECT_TRUE(ReadList(kViewOff).empty());

    const std::string second = RunConsole("");
    EXPECT_EQ(second.find("dialog"), std::string::npos) << second;
    const size_t object = PositionOf(second, "loaded SNAPINS\\OBJSNAP.DLL (InitSnapin returned 0)");
    const size_t view = PositionOf(second, "loaded SNAPINS\\VIEWSNAP.DLL (InitSnapin returned 0)");
    PositionOf(second, "loaded SNAPINS\\BARESNAP.DLL (InitSnapin returned 0)");
    PositionOf(second, "started 4 snap-in(s)");
    EXPECT_LT(object, view) << "the object list loads before the view list";
}

TEST_F(ConsoleTest, DemoSnapinsRunFromTheNextStartAndASwitchTakesEffectAtTheOneAfter) {
    InstallPlugward();
    InstallDemoSnapins();
    const std::string first = RunConsole(std::string("--answer \"") + kNewSnapins + "=enter\"");
    for (const char* row : {"Disk Quota Reports", "Event Log Viewer", "Service Monitor View"})
        PositionOf(first, std::string("row \"") + row + "\"");
    EXPECT_EQ(first.find("Report Printing Library"), std::string::npos) << first;

    const std::string second = RunConsole(std::string("--open-menu --menu \"View Event Log\" --answer \"Event Log "
                                                      "Viewer=enter\" --menu \"Snap-in Configuration\" --answer \"") +
                                          kConfiguration + "=toggle:Disk Quota Reports,pause,enter\"");
    size_t previous = PositionOf(second, "menu \"Snap-ins\" is open");
    for (const char* item : {"Disk Quota Report", "View Event Log", "Snap-in Configuration", "Monitor Services"}) {
        const size_t at = PositionOf(second, std::string("  item \"") + item + "\"\r\n");
        EXPECT_LT(previous, at) << item;
        previous = at;
    }
    PositionOf(second, "text \"The Event Log Viewer is running in this console. Started by the console through "
                       "InitSnapin at ");
    PositionOf(second, "dialog \"Event Log Viewer\": enter");
    EXPECT_EQ(ReadList(kObjectOff).at("DSKQUOTA.DLL"), "SNAPINS\\DSKQUOTA.DLL");
    EXPECT_EQ(ReadList(kObjectOn).count("DSKQUOTA.DLL"), 0u);

    const std::string third = RunConsole("--open-menu");
    PositionOf(third, "loaded SNAPINS\\EVENTLOG.DLL (InitSnapin returned 0)");
    PositionOf(third, "loaded SNAPINS\\SVCMON.DLL (InitSnapin returned 0)");
    PositionOf(third, "  item \"View Event Log\"");
    EXPECT_EQ(third.find("DSKQUOTA.DLL"), std::string::npos) << third;
    EXPECT_EQ(third.find("Disk Quota Report"), std::string::npos) << third;
}

TEST_F(ConsoleTest, NewSnapinsDialogWithoutAnAnswerIsEscapedAndTheConsoleGoesOn) {
    InstallPlugward();
    Install(fixtures::kObjectDll, "SNAPINS\\OBJSNAP.DLL");

    const std::string log = RunConsole("");
    const size_t escaped = PositionOf(log, std::string("no answer given for dialog \"") + kNewSnapins + "\"");
    EXPECT_LT(escaped, PositionOf(log, "loaded PLUGWARD.DLL"));
    PositionOf(log, "menu item \"Snap-in Configuration\" of PLUGWARD.DLL added");
}

TEST_F(ConsoleTest, NewSnapinsClearedOnFirstStartAreDisabledAndNotLoaded) {
    InstallPlugward();
    Install(fixtures::kObjectDll, "SNAPINS\\OBJSNAP.DLL");
    Install(fixtures::kViewDll, "SNAPINS\\VIEWSNAP.DLL");

    // Two toggles without a pause between them: each acts on its own row.
    RunConsole(std::string("--answer \"") + kNewSnapins + "=toggle:" + fixtures::kObjectDescription +
               ",toggle:" + fixtures::kViewDescription + ",enter\"");
    EXPECT_EQ(ReadList(kObjectOff).at("OBJSNAP.DLL"), "SNAPINS\\OBJSNAP.DLL");
    EXPECT_EQ(ReadList(kViewOff).at("VIEWSNAP.DLL"), "SNAPINS\\VIEWSNAP.DLL");
    EXPECT_EQ(ReadList(kObjectOn).count("OBJSNAP.DLL"), 0u);

    const std::string second = RunConsole("");
    EXPECT_EQ(second.find("OBJSNAP.DLL"), std::string::npos) << second;
    EXPECT_EQ(second.find("VIEWSNAP.DLL"), std::string::npos) << second;
    PositionOf(second, "started 1 snap-in(s)");
}

TEST_F(ConsoleTest, DialogLeftOpenByItsAnswerIsEscapedAfterAWhile) {
    InstallPlugward();
    Install(fixtures::kObjectDll, "SNAPINS\\OBJSNAP.DLL");

    const std::string log = RunConsole(std::string("--answer \"") + kNewSnapins + "=toggle:No such row\"");
    PositionOf(log, std::string("dialog \"") + kNewSnapins + "\" has no row \"No such row\"");
    const size_t escaped = PositionOf(log, std::string("dialog \"") + kNewSnapins + "\" is still up; pressing Escape");
    EXPECT_LT(escaped, PositionOf(log, "loaded PLUGWARD.DLL (InitSnapin returned 0)"));
}

TEST_F(ConsoleTest, DialogThatIgnoresEscapeIsEndedAndTheConsoleGoesOn) {
    Install("host_snapin_started.dll", "SNAPINS\\A.DLL");
    PutEntry(kObjectOn, "A.DLL", "SNAPINS\\A.DLL");
    SetSnapinSetting("Ask", 1);

    const std::string log = RunConsole("--menu \"Fixture item of A.DLL\"");
    const size_t escaped = PositionOf(log, "dialog \"Fixture question\" is still up; pressing Escape");
    const size_t ended = PositionOf(log, "dialog \"Fixture question\" is still up after Escape; ending it");
    EXPECT_TRUE(escaped < ended && ended < PositionOf(log, "ShutDown SNAPINS\\A.DLL"));
}

TEST_F(ConsoleTest, SnapinSwitchedOffIsNotLoadedAndSwitchedOnAgainIs) {
    InstallPlugward();
    Install("host_snapin_started.dll", "SNAPINS\\HOSTSNAP.DLL");
    PutEntry(kObjectOn, "HOSTSNAP.DLL", "SNAPINS\\HOSTSNAP.DLL");
    const std::string toggle = std::string(" --menu \"Snap-in Configuration\" --answer \"") + kConfiguration +
                               "=toggle:HOSTSNAP.DLL,enter\"";

    const std::string off = RunConsole(toggle);
    PositionOf(off, "loaded SNAPINS\\HOSTSNAP.DLL");
    PositionOf(off, "status line: Snap-in Auto-registration Configuration");
    PositionOf(off, std::string("dialog \"") + kConfiguration + "\" is up");
    PositionOf(off, "row \"HOSTSNAP.DLL\"");
    PositionOf(off, "row \"Tarvex Snap-in Installation Module\"");
    EXPECT_EQ(ReadList(kObjectOn).count("HOSTSNAP.DLL"), 0u);
    EXPECT_EQ(ReadList(kObjectOff).at("HOSTSNAP.DLL"), "SNAPINS\\HOSTSNAP.DLL");

    ClearRecordedCalls();
    const std::string on = RunConsole(toggle);
    EXPECT_EQ(on.find("loaded SNAPINS\\HOSTSNAP.DLL"), std::string::npos) << on;
    EXPECT_EQ(RecordedCalls(), "");
    EXPECT_EQ(ReadList(kObjectOn).at("HOSTSNAP.DLL"), "SNAPINS\\HOSTSNAP.DLL");
    EXPECT_EQ(ReadList(kObjectOff).count("HOSTSNAP.DLL"), 0u);

    const std::string loaded = RunConsole("");
    PositionOf(loaded, "loaded SNAPINS\\HOSTSNAP.DLL (InitSnapin returned 0)");
    EXPECT_EQ(RecordedCalls(), "init:HOSTSNAP.DLL;shutdown:HOSTSNAP.DLL;");
}

TEST_F(ConsoleTest, ClosingTheConsoleUnderASnapinDialogWaitsForTheDialog) {
    InstallPlugward();
    Install("host_snapin_started.dll", "SNAPINS\\HOSTSNAP.DLL");
    PutEntry(kObjectOn, "HOSTSNAP.DLL", "SNAPINS\\HOSTSNAP.DLL");

    const std::string log = RunConsole(std::string(" --menu \"Snap-in Configuration\" --answer \"") + kConfiguration +
                                       "=toggle:HOSTSNAP.DLL,close-console,enter\"");
    const size_t deferred = PositionOf(log, "closing after the running snap-in command");
    EXPECT_LT(deferred, PositionOf(log, "ShutDown PLUGWARD.DLL"));
    EXPECT_EQ(ReadList(kObjectOff).at("HOSTSNAP.DLL"), "SNAPINS\\HOSTSNAP.DLL") << "the dialog finished its work";
}

TEST_F(ConsoleTest, CancelledConfigurationChangesNothing) {
    InstallPlugward();
    Install("host_snapin_started.dll", "SNAPINS\\HOSTSNAP.DLL");
    PutEntry(kObjectOn, "HOSTSNAP.DLL", "SNAPINS\\HOSTSNAP.DLL");

    const std::string log = RunConsole(std::string(" --menu \"Snap-in Configuration\" --answer \"") + kConfiguration +
                                       "=toggle:HOSTSNAP.DLL,escape\"");
    PositionOf(log, std::string("dialog \"") + kConfiguration + "\": escape");
    EXPECT_EQ(ReadList(kObjectOn).at("HOSTSNAP.DLL"), "SNAPINS\\HOSTSNAP.DLL");
    EXPECT_TRUE(ReadList(kObjectOff).empty());
}

TEST_F(ConsoleTest, ModuleUnderAnotherNameRepairsItsEntryAndTheConsoleGoesOn) {
    Install("PLUGWARD.DLL", "OTHER.DLL");
    PutEntry(kObjectOn, "OLDNAME.DLL", "OTHER.DLL");

    const std::string first = RunConsole(std::string(" --menu \"Snap-in Configuration\" --answer \"") +
                                         kConfiguration + "=enter\"");
    PositionOf(first, "loaded OTHER.DLL (InitSnapin returned 0)");
    PositionOf(first, std::string("dialog \"") + kConfiguration + "\" is up");
    PositionOf(first, "row \"PLUGWARD.DLL\"");
    // No PLUGWARD.DLL in the host directory: the repaired entry names no file.
    const auto objects = ReadList(kObjectOn);
    EXPECT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects.at("PLUGWARD.DLL"), "");

    const std::string second = RunConsole("");
    PositionOf(second, "entry PLUGWARD.DLL names no file; not loaded");
    PositionOf(second, "started 0 snap-in(s)");
}

TEST_F(ConsoleTest, FailingSnapinsAreReportedAndTheOthersStopInReverseOrder) {
    Install("host_snapin_started.dll", "SNAPINS\\A.DLL");
    Install("host_snapin_started.dll", "SNAPINS\\B.DLL");
    Install("host_snapin_failing.dll", "SNAPINS\\FAIL.DLL");
    Install("admext32.dll", "SNAPINS\\NOINIT.DLL");
    ASSERT_TRUE(WriteBytes(m_host / "SNAPINS\\BROKEN.DLL", "not a module"));
    // Wine enumerates values by name, so the names give the order of loading.
    PutEntry(kObjectOn, "A.DLL", "SNAPINS\\A.DLL");
    PutEntry(kObjectOn, "B_MISSING.DLL", "SNAPINS\\MISSING.DLL");
    PutEntry(kObjectOn, "C_FAIL.DLL", "SNAPINS\\FAIL.DLL");
    PutEntry(kViewOn, "D_NOINIT.DLL", "SNAPINS\\NOINIT.DLL");
    PutEntry(kViewOn, "E_BROKEN.DLL", "SNAPINS\\BROKEN.DLL");
    PutEntry(kViewOn, "F_AGAIN.DLL", "SNAPINS\\A.DLL");
    PutEntry(kViewOn, "G.DLL", "SNAPINS\\B.DLL");

    const std::string log = RunConsole("");
    const size_t a = PositionOf(log, "loaded SNAPINS\\A.DLL (InitSnapin returned 0)");
    const size_t missing = PositionOf(log, "cannot load SNAPINS\\MISSING.DLL (error 126)");
    const size_t fail = PositionOf(log, "InitSnapin of SNAPINS\\FAIL.DLL returned -1; unloaded");
    const size_t noInit = PositionOf(log, "SNAPINS\\NOINIT.DLL has no InitSnapin; unloaded");
    const size_t broken = PositionOf(log, "cannot load SNAPINS\\BROKEN.DLL (error ");
    const size_t again = PositionOf(log, "SNAPINS\\A.DLL is already running; started once only");
    const size_t b = PositionOf(log, "loaded SNAPINS\\B.DLL (InitSnapin returned 0)");
    EXPECT_TRUE(a < missing && missing < fail && fail < noInit && noInit < broken && broken < again && again < b);
    PositionOf(log, "started 2 snap-in(s)");

    const size_t removedB = PositionOf(log, "menu item \"Fixture item of B.DLL\" of SNAPINS\\B.DLL removed");
    const size_t stopB = PositionOf(log, "ShutDown SNAPINS\\B.DLL");
    const size_t stopA = PositionOf(log, "ShutDown SNAPINS\\A.DLL");
    EXPECT_TRUE(removedB < stopB && stopB < stopA);
    EXPECT_EQ(log.find("Fixture item of FAIL.DLL"), std::string::npos) << "a failed start adds no item";
    EXPECT_EQ(RecordedCalls(), "init:A.DLL;init:FAIL.DLL;init:B.DLL;shutdown:B.DLL;shutdown:A.DLL;");
}

TEST_F(ConsoleTest, MenuItemShowsItsHintAndRunsOnlyWhenTheSnapinEnablesIt) {
    Install("host_snapin_started.dll", "SNAPINS\\A.DLL");
    PutEntry(kObjectOn, "A.DLL", "SNAPINS\\A.DLL");
    const std::string choose = " --menu \"Fixture item of A.DLL\" --menu \"No such item\"";

    SetSnapinSetting("State", 0);
    const std::string enabled = RunConsole(choose);
    PositionOf(enabled, "status line: Fixture hint");
    PositionOf(enabled, "choosing menu item \"Fixture item of A.DLL\"");
    PositionOf(enabled, "no menu item \"No such item\"");
    EXPECT_EQ(RecordedCalls(), "init:A.DLL;action:A.DLL;shutdown:A.DLL;");

    ClearRecordedCalls();
    SetSnapinSetting("State", MF_GRAYED | MF_DISABLED);
    const std::string greyed = RunConsole(choose);
    PositionOf(greyed, "menu item \"Fixture item of A.DLL\" is greyed; not chosen");
    EXPECT_EQ(RecordedCalls(), "init:A.DLL;shutdown:A.DLL;");
}

TEST_F(ConsoleTest, PlugwardMenuItemLeavesTheMenuBeforeItsModuleStops) {
    InstallPlugward();
    const std::string log = RunConsole("");
    const size_t removed = PositionOf(log, "menu item \"Snap-in Configuration\" of PLUGWARD.DLL removed");
    const size_t stopped = PositionOf(log, "ShutDown PLUGWARD.DLL");
    const size_t unloaded = PositionOf(log, "unloaded PLUGWARD.DLL");
    EXPECT_TRUE(removed < stopped && stopped < unloaded);
}

TEST_F(ConsoleTest, BadOptionsAreRefusedBeforeAnythingRuns) {
    InstallPlugward();
    const char* const refused[] = {"--bogus", "--log", "--answer \"Caption=jump\"", "--answer =enter",
                                   "--answer NoActions=", "--hold soon"};
    for (const char* options : refused) {
        const ProcessResult result = RunProcess("\"" + (m_host / "VMADMIN.EXE") + "\" --hkcu \"" +
                                                m_scratch.path() + "\" " + options, m_host.path());
        EXPECT_EQ(result.exitCode, 2u) << options;
        EXPECT_NE(result.output.find("VMADMIN: "), std::string::npos) << options << ": " << result.output;
    }
}

// Three starts: under a policy, under one that cannot be read, and after it
// lifts. Moves keep the data as stored; new snap-ins go where the policy says
// without a dialog; a blocked file waits for a later start, and an entry the
// policy disabled stays disabled.
TEST_F(PolicyConsoleTest, StartsFollowThePolicyAndChangeNothingWhenItCannotBeRead) {
    using Entries = std::map<std::string, std::string>;
    const auto lists = [] { return std::vector<Entries>{ReadList(kObjectOn), ReadList(kObjectOff), ReadList(kViewOn), ReadList(kViewOff)}; };
    InstallPlugward();
    Install(fixtures::kObjectDll, "SNAPINS\\OBJSNAP.DLL");
    Install(fixtures::kViewDll, "SNAPINS\\VIEWSNAP.DLL");
    Install(fixtures::kNoImportsDll, "SNAPINS\\BARESNAP.DLL");
    PutEntry(kObjectOn, "EVIL.DLL", "C:\\TOOLS\\evil.dll");
    PutEntry(kViewOff, "MUST.DLL", "D:\\VIEWS\\Must.dll");
    PutMachinePolicy("Blocked", "1", "evil.dll");
    PutMachinePolicy("Blocked", "2", "BARESNAP.DLL");
    PutMachinePolicy("Required", "1", "MUST.DLL");
    PutMachinePolicy("Required", "2", "viewsnap.dll");
    PutMachinePolicy("", "NewSnapins", std::string(), 2);
    EXPECT_EQ(RunConsole("").find("dialog"), std::string::npos);
    EXPECT_EQ(ReadList(kObjectOff), (Entries{{"EVIL.DLL", "C:\\TOOLS\\evil.dll"}, {"OBJSNAP.DLL", "SNAPINS\\OBJSNAP.DLL"}}));
    EXPECT_EQ(ReadList(kViewOn), (Entries{{"MUST.DLL", "D:\\VIEWS\\Must.dll"}, {"VIEWSNAP.DLL", "SNAPINS\\VIEWSNAP.DLL"}}));
    EXPECT_EQ(ReadList(kObjectOn).size() + ReadList(kViewOff).size(), 1u) << "PLUGWARD.DLL alone";

    ForgetMachinePolicy();
    PutMachinePolicy("Required", "1", "EVIL.DLL");
    PutMachinePolicy("", "Blocked", "OBJSNAP.DLL");  // a list stored as a value: unreadable
    const std::vector<Entries> before = lists();
    const std::string unreadable = RunConsole("");
    EXPECT_EQ(unreadable.find("dialog"), std::string::npos) << unreadable;
    PositionOf(unreadable, "menu item \"Snap-in Configuration\" of PLUGWARD.DLL added");
    EXPECT_EQ(lists(), before);

    ForgetMachinePolicy();
    PutMachinePolicy("", "NewSnapins", std::string(), 1);
    EXPECT_EQ(RunConsole("").find("dialog"), std::string::npos);
    EXPECT_EQ(ReadList(kViewOn).at("BARESNAP.DLL"), "SNAPINS\\BARESNAP.DLL");
    EXPECT_EQ(ReadList(kObjectOff).at("EVIL.DLL"), "C:\\TOOLS\\evil.dll");
}
}  // namespace
