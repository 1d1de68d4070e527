// snapinctl under the organisation's policy, as a process: the machine's
// policy in a scratch key that --hklm names, the user's in the scratch
// HKEY_CURRENT_USER, and a host directory of fixture files.
#include "registry/SnapinPolicy.h"
#include "tests/fixtures/Fixtures.h"
#include "tests/tools/SnapinCtlFixture.h"

#include <map>

namespace {
// Record by name, from the JSON lines of a list or scan.
std::map<std::string, Json> ByName(const ProcessResult& result) {
    std::map<std::string, Json> records;
    for (const Json& record : JsonLines(result)) records[record["name"]] = record;
    return records;
}
}  // namespace

class SnapinCtlPolicy : public SnapinCtl {
protected:
    ProcessResult Managed(const std::string& arguments) { return Run(arguments + " --hklm \"" + machine.path() + "\""); }

    ScratchHklm machine;  // below the real HKLM, as --hklm takes it
};

TEST_F(SnapinCtlPolicy, PolicyGivesEachSettingItsSourceNamesAndIgnoredValues) {
    PutPolicyText(HKEY_LOCAL_MACHINE, "Blocked", "1", "*");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Blocked", "2", "C:\\X.DLL");
    PutPolicyDword(HKEY_LOCAL_MACHINE, "Blocked", "3", 1);
    PutPolicyText(HKEY_CURRENT_USER, "Allowed", "1", "free.dll");
    PutPolicyText(HKEY_CURRENT_USER, "Required", "1", "evt.dll");
    PutPolicyText(HKEY_CURRENT_USER, "Required", "2", "GHOST.DLL");
    PutPolicyDword(HKEY_CURRENT_USER, "", "NewSnapins", 7);
    PutPolicyDword(HKEY_LOCAL_MACHINE, "", "NewSnapins", 2);
    PutPolicyText(HKEY_CURRENT_USER, "", "RequireTrustedPublisher", "no");
    PutEntry(kObjectOff, "EVT.DLL", "SNAPINS\\EVT.DLL");

    const ProcessResult json = Managed("policy --json");
    ASSERT_EQ(json.exitCode, 0u) << json.err;
    const auto setting = [](const std::string& fields) {  // every setting names the policy key
        return Json::parse(R"({"key":"Software\\Policies\\Velmark\\Velmark Administrator\\Snapins",)" + fields);
    };
    EXPECT_EQ(JsonLines(json), (std::vector<Json>{
        setting(R"("setting":"Blocked","kind":"list","values":null,"source":"machine","names":["*"],"rule":null,"ignored":[
            {"name":"2","reason":"a path, not a file name"},{"name":"3","reason":"neither REG_SZ nor REG_EXPAND_SZ"}]})"),
        setting(R"("setting":"Allowed","kind":"list","values":null,"source":"user","names":["FREE.DLL"],"rule":null,"ignored":[]})"),
        setting(R"("setting":"Required","kind":"list","values":null,"source":"user","names":["EVT.DLL","GHOST.DLL"],"rule":null,"ignored":[]})"),
        setting(R"("setting":"NewSnapins","kind":"dword","values":[0,1,2],"source":"machine","names":null,"rule":"disable","ignored":[]})"),
        setting(R"x("setting":"RequireTrustedPublisher","kind":"dword","values":[0,1],"source":"user","names":null,"rule":"on",
            "ignored":[{"name":"RequireTrustedPublisher","reason":"not a REG_DWORD; taken as 1 (on)"}]})x"),
        Json::parse(R"({"trustedPublishers":[]})"), Json::parse(R"({"unlistedRequired":["GHOST.DLL"],"reason":null})")}));
    EXPECT_EQ(Lines(Managed("policy").out)[0], "Blocked (machine): \"*\"");
    const ProcessResult noHost = RunSnapinctl(work, "policy --host \"" + (dir / "NOWHERE") + "\" --hkcu \"" +
                                                        hkcu.path() + "\" --hklm \"" + machine.path() + "\"");
    EXPECT_EQ(noHost.exitCode, 0u);
    EXPECT_NE(noHost.out.find("in SNAPINS\\: not known, the host directory"), std::string::npos) << noHost.out;
    EXPECT_EQ(Run("policy --json").out.find("\"source\":\"machine\""), std::string::npos);  // no --hklm: the real one

    // A list stored as a value cannot be read: reported, and nothing writes.
    PutPolicyText(HKEY_LOCAL_MACHINE, "", "Allowed", "A.DLL");
    PutEntry(kObjectOn, "EVT.DLL", "SNAPINS\\EVT.DLL");
    Install(fixtures::kObjectDll, "NEW.DLL");
    const auto before = Snapshot();
    for (const char* command : {"policy", "list", "enforce", "disable EVT.DLL", "sync --new enable", "prune"}) {
        const ProcessResult refused = Managed(command);
        EXPECT_EQ(refused.exitCode, 1u) << command;
        EXPECT_TRUE(refused.err.find("HKEY_LOCAL_MACHINE\\" + std::string(kPolicyKey) + "\\Allowed") != std::string::npos &&
                    refused.err.find("error 1010") != std::string::npos)
            << command << refused.err;  // ERROR_BADKEY
    }
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(SnapinCtlPolicy, ListCheckFindsEntriesAgainstPolicyAndEnforceMovesThem) {
    for (const char* name : {"BAD.DLL", "REQ.DLL", "OK.DLL"}) Install(fixtures::kObjectDll, name);
    PutEntry(kObjectOn, "BAD.DLL", dir / "SNAPINS\\BAD.DLL");  // kept as it is, not made SNAPINS\BAD.DLL
    PutEntry(kObjectOff, "REQ.DLL", "SNAPINS\\REQ.DLL");
    PutEntry(kObjectOn, "OK.DLL", "SNAPINS\\OK.DLL");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Blocked", "1", "bad.dll");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "1", "REQ.DLL");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "2", "GHOST.DLL");

    const ProcessResult list = Managed("list --check --json");
    EXPECT_EQ(list.exitCode, 3u) << list.err;
    std::map<std::string, Json> entries = ByName(list);
    const auto state = [&](const char* name) { return entries[name]["state"].dump() + entries[name]["policy"].dump(); };
    EXPECT_EQ(state("BAD.DLL"), "\"against-policy\"\"blocked\"");
    EXPECT_EQ(state("REQ.DLL"), "\"against-policy\"\"required\"");
    EXPECT_EQ(state("OK.DLL"), "\"ok\"null");
    EXPECT_EQ(state("GHOST.DLL"), "\"missing\"\"required\"");
    EXPECT_EQ(Managed("prune --state against-policy").exitCode, 2u);

    const auto before = Snapshot();
    const std::string moves = "BAD.DLL: moved from enabled-object to disabled-object (blocked by policy)\n"
                              "REQ.DLL: moved from disabled-object to enabled-object (required by policy)\n";
    EXPECT_EQ(Managed("enforce --dry-run").out, moves);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(Managed("enforce").out, moves);
    EXPECT_EQ(ReadList(kObjectOff), (std::map<std::string, std::string>{{"BAD.DLL", dir / "SNAPINS\\BAD.DLL"}}));
    EXPECT_EQ(ReadList(kObjectOn).count("REQ.DLL"), 1u);
    EXPECT_EQ(Managed("enforce --json").out, "");
    entries = ByName(Managed("list --json"));
    EXPECT_EQ(state("BAD.DLL") + state("REQ.DLL"), "\"ok\"\"blocked\"\"ok\"\"required\"");
}

TEST_F(SnapinCtlPolicy, RefusalsNameEachEntryAndLeaveTheListsUnchanged) {
    PutPolicyText(HKEY_LOCAL_MACHINE, "Blocked", "1", "BAD.DLL");
    PutPolicyText(HKEY_CURRENT_USER, "Required", "1", "REQ.DLL");
    PutEntry(kObjectOff, "BAD.DLL", "SNAPINS\\BAD.DLL");
    PutEntry(kViewOn, "REQ.DLL", "SNAPINS\\REQ.DLL");
    PutEntry(kObjectOn, "GONE.DLL", "SNAPINS\\GONE.DLL");
    const auto before = Snapshot();

    const ProcessResult enable = Managed("enable bad.dll");
    EXPECT_EQ(std::to_string(enable.exitCode) + enable.err, "1snapinctl: \"BAD.DLL\" is blocked by policy\n");
    EXPECT_EQ(Managed("disable REQ.DLL GONE.DLL").err, "snapinctl: \"REQ.DLL\" is required by policy\n");
    ASSERT_TRUE(WriteBytes(work / "doc.json", R"({"family":"nt","lists":{"enabled-object":[
        {"name":"Bad.dll","type":1,"text":"SNAPINS\\BAD.DLL"}],"disabled-object":[],"enabled-view":[],"disabled-view":[]}})"));
    const ProcessResult apply = Managed("apply \"" + (work / "doc.json") + "\" --platform nt");
    EXPECT_EQ(apply.exitCode, 1u);
    EXPECT_NE(apply.err.find("\"Bad.dll\" is blocked by policy: the document puts it in the enabled-object list"),
              std::string::npos) << apply.err;
    EXPECT_NE(apply.err.find("\"REQ.DLL\" is required by policy: the document drops it"), std::string::npos);
    EXPECT_EQ(Snapshot(), before);

    const ProcessResult prune = Managed("prune --json");
    EXPECT_EQ(prune.exitCode, 0u) << prune.err;
    std::map<std::string, Json> records = ByName(prune);
    EXPECT_EQ(records["REQ.DLL"]["action"], "kept");
    EXPECT_EQ(records["REQ.DLL"]["reason"], "required by policy");
    EXPECT_EQ(records["GONE.DLL"]["action"], "removed");
    EXPECT_EQ(ReadList(kViewOn).count("REQ.DLL"), 1u);
}

TEST_F(SnapinCtlPolicy, ScanShowsWhereStartupWritesAndSyncSkipsBlockedAndEnablesRequired) {
    for (const char* name : {"BAD.DLL", "REQ.DLL", "NEW.DLL"}) Install(fixtures::kObjectDll, name);
    PutPolicyText(HKEY_LOCAL_MACHINE, "Blocked", "1", "BAD.DLL");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "1", "REQ.DLL");
    PutPolicyDword(HKEY_LOCAL_MACHINE, "", "NewSnapins", 2);

    std::map<std::string, Json> scan = ByName(Managed("scan --json"));
    const auto fate = [&](const char* name) {
        return scan[name]["action"].get<std::string>() + " " + scan[name]["list"].dump() + " " +
               scan[name]["reason"].get<std::string>();
    };
    EXPECT_EQ(fate("BAD.DLL"), "skip null blocked by policy");
    EXPECT_EQ(fate("REQ.DLL"), "offer \"enabled-object\" object snap-in, required by policy");
    EXPECT_EQ(fate("NEW.DLL"), "offer \"disabled-object\" object snap-in, written without asking, as NewSnapins says");
    EXPECT_EQ(Snapshot(), (std::vector<RawList>(4)));

    EXPECT_EQ(Managed("sync --new enable").exitCode, 0u);
    EXPECT_EQ(ReadList(kObjectOn), (std::map<std::string, std::string>{{"NEW.DLL", "SNAPINS\\NEW.DLL"},
                                                                       {"REQ.DLL", "SNAPINS\\REQ.DLL"}}));
    EXPECT_TRUE(ReadList(kObjectOff).empty());
}

// Each command judges an entry by its name and the file its data loads, and a
// move keeps the copy the other list holds.
TEST_F(SnapinCtlPolicy, CommandsJudgeTheLoadedFileAndKeepTheCopyAMoveFinds) {
    for (const char* name : {"EVT.DLL", "QUOTA.DLL", "REQ.DLL", "FREE.DLL"}) Install(fixtures::kObjectDll, name);
    PutEntry(kObjectOn, "EVT.DLL", "SNAPINS\\QUOTA.DLL");
    PutEntry(kObjectOn, "PLUGWARD.DLL", "SNAPINS\\REQ.DLL");
    PutEntry(kObjectOn, "REQ.DLL", "SNAPINS\\REQ.DLL");
    PutEntry(kObjectOff, "REQ.DLL", "SNAPINS\\REQ.DLL");
    PutEntry(kObjectOff, "FREE.DLL", "SNAPINS\\FREE.DLL");
    PutEntry(kObjectOn, "FREE.DLL", "snapins\\free.dll");  // kept as it stands when enabled
    PutEntry(kViewOn, "GONE.DLL", "SNAPINS\\GONE.DLL");
    std::map<std::string, Json> entries = ByName(Run("list --check --json"));
    EXPECT_EQ(entries["EVT.DLL"]["state"], "name-mismatch");
    EXPECT_EQ(entries["EVT.DLL"]["reason"], "loads QUOTA.DLL, not EVT.DLL");
    EXPECT_EQ(entries["PLUGWARD.DLL"]["state"], "ok");

    PutPolicyText(HKEY_LOCAL_MACHINE, "Blocked", "1", "*");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Allowed", "1", "EVT.DLL");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Allowed", "2", "FREE.DLL");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "1", "REQ.DLL");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "2", "GONE.DLL");
    EXPECT_EQ(Lines(Managed("prune --dry-run").out).size(), 1u) << "kept GONE.DLL, and nothing more said";
    const ProcessResult list = Managed("list --check --json");
    EXPECT_EQ(list.exitCode, 3u);
    EXPECT_EQ(ByName(list)["EVT.DLL"]["state"], "against-policy");
    ASSERT_TRUE(WriteBytes(work / "doc.json", R"({"family":"nt","lists":{"enabled-object":[
        {"name":"REQ.DLL","type":3,"base64":"AQI="}],"disabled-object":[],"enabled-view":[],"disabled-view":[]}})"));
    EXPECT_NE(Managed("apply \"" + (work / "doc.json") + "\"").err.find(
                  "\"REQ.DLL\" is required by policy: the document makes it REG_BINARY, which loads no file"),
              std::string::npos);
    const std::string moves = "EVT.DLL: moved from enabled-object to disabled-object (blocked by policy)\n"
                              "REQ.DLL: removed a stale copy from disabled-object; kept the one in enabled-object "
                              "(required by policy)\n";
    EXPECT_EQ(Managed("enforce --dry-run").out, moves);
    EXPECT_EQ(Managed("enforce").out, moves);
    EXPECT_EQ(Managed("enable evt.dll").err, "snapinctl: \"EVT.DLL\" is blocked by policy\n");
    EXPECT_EQ(Managed("enable free.dll").out,
              "FREE.DLL: removed a stale copy from disabled-object; kept the one in enabled-object\n");
    EXPECT_EQ(ReadList(kObjectOn), (std::map<std::string, std::string>{
        {"FREE.DLL", "snapins\\free.dll"}, {"PLUGWARD.DLL", "SNAPINS\\REQ.DLL"}, {"REQ.DLL", "SNAPINS\\REQ.DLL"}}));
    EXPECT_EQ(ReadList(kObjectOff), (std::map<std::string, std::string>{{"EVT.DLL", "SNAPINS\\QUOTA.DLL"}}));
}

// Under RequireTrustedPublisher, with --hklm covering the certificate store:
// inspect names the signer, enable refuses an untrusted file, list gives its
// standing and scan skips a new one.
TEST_F(SnapinCtlPolicy, UntrustedFilesAreShownRefusedAndSkipped) {
    ASSERT_TRUE(machine.UseAuthenticode());
    PutPolicyDword(HKEY_LOCAL_MACHINE, "", "RequireTrustedPublisher", 1);
    for (const auto& [fixture, name] : {std::pair{"signed_trusted.dll", "TRUSTED.DLL"}, {"signed_changed.dll", "CHANGED.DLL"},
                                        {fixtures::kObjectDll, "NEW.DLL"}})
        Install(fixture, name);
    for (const char* name : {"TRUSTED.DLL", "CHANGED.DLL"}) PutEntry(kObjectOff, name, std::string("SNAPINS\\") + name);
    const Json inspect = JsonLines(Managed("inspect --json \"" + dir / "SNAPINS\\TRUSTED.DLL\""))[0];
    EXPECT_EQ(inspect["signature"], "signed");
    EXPECT_EQ(inspect["signer"], "Plugward Test Publisher");
    EXPECT_EQ(inspect["trustedPublisher"], true);
    EXPECT_EQ(inspect["thumbprint"].get<std::string>().size(), 40u);
    const ProcessResult refused = Managed("enable TRUSTED.DLL CHANGED.DLL");
    EXPECT_EQ(refused.exitCode, 1u);
    EXPECT_NE(refused.err.find("\"CHANGED.DLL\" is untrusted by policy: changed after signing"), std::string::npos) << refused.err;
    EXPECT_TRUE(ReadList(kObjectOn).empty());
    EXPECT_EQ(Managed("enable TRUSTED.DLL").exitCode, 0u);
    std::map<std::string, Json> listed, scanned;
    for (const Json& entry : JsonLines(Managed("list --json"))) listed[entry["name"]] = entry["policy"];
    EXPECT_EQ(listed, (std::map<std::string, Json>{{"CHANGED.DLL", "untrusted"}, {"TRUSTED.DLL", nullptr}}));
    for (const Json& file : JsonLines(Managed("scan --json"))) scanned[file["name"]] = file["reason"];
    EXPECT_EQ(scanned["NEW.DLL"], "untrusted by policy: not signed");
}
