#include "tests/faults/FaultScenarios.h"

#include "tests/fixtures/Fixtures.h"
#include "tests/support/SnapinLists.h"

namespace {
const char kDataPrefix[] = "SNAPINS\\";

ListEntry Registered(const char* list, const std::string& name) { return {list, name, kDataPrefix + name}; }

AllowedChange Move(const ListEntry& from, const char* to) { return {{from}, {Registered(to, from.name)}}; }

// A start-up that offers three new snap-ins, next to known ones; Close pressed.
FaultScenario Startup() {
    FaultScenario s;
    s.name = "startup";
    s.moduleName = "PLUGWARD.DLL";
    s.files = {{fixtures::kObjectDll, "SNAPINS\\KEEP.DLL"},
               {fixtures::kViewDll, "SNAPINS\\OLDVIEW.DLL"},
               {fixtures::kObjectDll, "SNAPINS\\NEW1.DLL"},
               {fixtures::kViewDll, "SNAPINS\\NEW2.DLL"},
               {fixtures::kNoImportsDll, "SNAPINS\\NEW3.DLL"}};
    s.before = {Registered(kObjectOn, "KEEP.DLL"), {kObjectOn, "PLUGWARD.DLL", "PLUGWARD.DLL"},
                {kObjectOff, "GONE.DLL", "C:\\OLD\\gone.dll"}, Registered(kViewOff, "OLDVIEW.DLL")};
    s.changes = {{{}, {Registered(kObjectOn, "NEW1.DLL")}},
                 {{}, {Registered(kViewOn, "NEW2.DLL")}},
                 {{}, {Registered(kViewOn, "NEW3.DLL")}}};
    s.caption = "New Snapins Installed";
    s.dialogExpected = true;
    s.inMenuAction = false;
    return s;
}

// A start under a machine policy that moves a known entry each way, with its
// data as stored, requires one new file and blocks another; Close pressed.
FaultScenario PolicyStartup() {
    FaultScenario s = Startup();
    s.name = "policy";
    s.files.push_back({fixtures::kObjectDll, "SNAPINS\\BARRED.DLL"});
    const ListEntry gone = s.before[2], tool{kViewOn, "TOOL.DLL", "C:\\TOOLS\\tool.dll"};
    s.before.push_back(tool);
    s.machinePolicy = {{"Required", "1", "GONE.DLL"}, {"Required", "2", "new3.dll"}, {"Blocked", "1", "TOOL.DLL"},
                       {"Blocked", "2", "BARRED.DLL"}};
    s.changes.push_back({{gone}, {{kObjectOn, "GONE.DLL", gone.data}}});
    s.changes.push_back({{tool}, {{kViewOff, "TOOL.DLL", tool.data}}});
    return s;
}

// The module runs as OTHER.DLL, its entry in the enabled view list holding
// that bare file name: the entry is renamed PLUGWARD.DLL and OTHER.DLL is
// registered from SNAPINS\.
FaultScenario SelfRegistration() {
    FaultScenario s;
    s.name = "register";
    s.moduleName = "OTHER.DLL";
    s.files = {{"PLUGWARD.DLL", "PLUGWARD.DLL"}, {"PLUGWARD.DLL", "SNAPINS\\OTHER.DLL"}};
    const ListEntry own{kViewOn, "ABC.DLL", "other.dll"};
    s.before = {own, Registered(kViewOn, "KEEPV.DLL"), Registered(kObjectOn, "KEEP.DLL")};
    // The registration of step 12, or, when that failed, discovery's offer of
    // the same file.
    s.changes = {{{own}, {{kViewOn, "PLUGWARD.DLL", "PLUGWARD.DLL"}}},
                 {{}, {Registered(kViewOn, "OTHER.DLL"), Registered(kObjectOn, "OTHER.DLL")}}};
    s.caption = "New Snapins Installed";
    s.dialogExpected = false;
    s.inMenuAction = false;
    return s;
}

// The configuration dialog: two entries moved each way, others left, OK.
FaultScenario Configuration() {
    FaultScenario s;
    s.name = "configure";
    s.moduleName = "PLUGWARD.DLL";
    s.files = {{fixtures::kObjectDll, "SNAPINS\\A.DLL"}, {fixtures::kViewDll, "SNAPINS\\D.DLL"}};
    const ListEntry a = Registered(kObjectOn, "A.DLL"), b = Registered(kObjectOff, "B.DLL");
    const ListEntry c{kViewOn, "C.DLL", "C:\\TOOLS\\c.dll"}, d = Registered(kViewOff, "D.DLL");
    s.before = {a, b, c, d, {kObjectOn, "PLUGWARD.DLL", "PLUGWARD.DLL"}, {kObjectOn, "E.DLL", "C:\\TOOLS\\E.DLL"},
                Registered(kViewOff, "F.DLL")};
    s.changes = {Move(a, kObjectOff), Move(b, kObjectOn), Move(c, kViewOff), Move(d, kViewOn)};
    s.caption = "Snapin Configuration";
    s.dialogExpected = true;
    s.toggles = {{"A.DLL", fixtures::kObjectDescription}, {"B.DLL"}, {"C.DLL"}, {"D.DLL", fixtures::kViewDescription}};
    s.inMenuAction = true;
    return s;
}
// Under RequireTrustedPublisher, an enabled entry signed by the trusted publisher
// stays, unless a failing call leaves its trust unproven: then it is disabled.
FaultScenario TrustedStartup() {
    FaultScenario s = SelfRegistration();
    s.name = "trust";
    s.moduleName = "PLUGWARD.DLL";
    s.files = {{"signed_trusted.dll", "SNAPINS\\SIGNED.DLL"}};
    const ListEntry signedEntry = Registered(kObjectOn, "SIGNED.DLL");
    s.before = {signedEntry, {kObjectOn, "PLUGWARD.DLL", "PLUGWARD.DLL"}};
    s.changes = {{{signedEntry}, {Registered(kObjectOff, "SIGNED.DLL")}, true}};
    s.trustsPublisher = true;
    return s;
}
}  // namespace

const std::vector<FaultScenario>& FaultScenarios() {
    static const std::vector<FaultScenario> scenarios = {Startup(),       PolicyStartup(), SelfRegistration(),
                                                         Configuration(), TrustedStartup()};
    return scenarios;
}

const FaultScenario* FindFaultScenario(const std::string& name) {
    for (const FaultScenario& scenario : FaultScenarios())
        if (scenario.name == name) return &scenario;
    return nullptr;
}
