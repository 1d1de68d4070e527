// snapinctl list, scan, sync, enable and disable as a process, against
// scratch keys of the real registry and a host directory of fixture files.
#include "registry/SnapinRegistry.h"
#include "tests/fixtures/Fixtures.h"
#include "tests/support/ProbeHost.h"
#include "tests/tools/SnapinCtlFixture.h"

#include <map>

TEST_F(SnapinCtl, ListGivesEveryEntryItsStateInDialogOrder) {
    Install(fixtures::kObjectDll, "OBJ.DLL");
    Install(fixtures::kViewDll, "VIEW.DLL");
    Install(fixtures::kNoImportsDll, "NOIMP.DLL");
    Install(fixtures::kNoMarkerDll, "NOTSNAP.DLL");
    CreateDirectoryA((dir / "SNAPINS\\DIR.DLL").c_str(), nullptr);
    PutEntry(kViewOff, "OBJV.DLL", "SNAPINS\\OBJ.DLL");
    PutRaw(kViewOff, "NUM.DLL", REG_DWORD, std::string(4, '\1'));
    PutEntry(kObjectOff, "NOTSNAP.DLL", "SNAPINS\\NOTSNAP.DLL");
    PutEntry(kViewOn, "NOIMP.DLL", "SNAPINS\\NOIMP.DLL");
    PutEntry(kViewOn, "DIR.DLL", "SNAPINS\\DIR.DLL");
    PutEntry(kObjectOn, "obj.dll", "SNAPINS\\OBJ.DLL");
    PutEntry(kObjectOn, "Gone.dll", "SNAPINS\\GONE.DLL");
    PutEntry(kObjectOn, "VIEW.DLL", "SNAPINS\\VIEW.DLL");
    PutEntry(kObjectOn, "ABS.DLL", dir / "SNAPINS\\OBJ.DLL");
    const auto before = Snapshot();

    const ProcessResult result = Run("list --json");
    ASSERT_EQ(result.exitCode, 0u) << result.err;
    std::string order, states;
    std::map<std::string, Json> byName;
    for (const Json& record : JsonLines(result)) {
        const std::string list = record["list"];
        if (order.empty() || order.substr(order.rfind(' ') + 1) != list) order += " " + list;
        byName[record["name"]] = record;
    }
    EXPECT_EQ(order, " enabled-object enabled-view disabled-object disabled-view");
    const auto state = [&](const char* name) { return byName[name]["state"].dump() + byName[name]["kind"].dump(); };
    EXPECT_EQ(state("obj.dll"), "\"ok\"1");
    EXPECT_EQ(state("ABS.DLL"), "\"name-mismatch\"1");
    EXPECT_EQ(state("Gone.dll"), "\"missing\"null");
    EXPECT_EQ(state("VIEW.DLL"), "\"wrong-kind\"2");
    EXPECT_EQ(state("NOIMP.DLL"), "\"ok\"0");
    EXPECT_EQ(state("DIR.DLL"), "\"directory\"null");
    EXPECT_EQ(state("NOTSNAP.DLL"), "\"not-snapin\"null");
    EXPECT_EQ(state("OBJV.DLL"), "\"wrong-kind\"1");
    EXPECT_EQ(state("NUM.DLL"), "\"bad-entry\"null");
    EXPECT_EQ(byName["obj.dll"]["path"], dir / "SNAPINS\\OBJ.DLL");
    EXPECT_EQ(byName["obj.dll"]["description"], fixtures::kObjectDescription);
    EXPECT_EQ(byName["Gone.dll"]["description"], "GONE.DLL");
    EXPECT_EQ(byName["ABS.DLL"]["path"], dir / "SNAPINS\\OBJ.DLL");
    EXPECT_EQ(byName["NUM.DLL"]["data"], nullptr);
    EXPECT_EQ(Snapshot(), before);

    const ProcessResult text = Run("list");
    EXPECT_NE(text.out.find("enabled-object obj.dll: ok (object snap-in); "), std::string::npos) << text.out;
}

TEST_F(SnapinCtl, HostileValuesStayByteForByteThroughEveryCommand) {
    for (const char* list : kLists) PlantHostileValues(list);
    PutEntry(kObjectOff, "MOVE.DLL", "SNAPINS\\MOVE.DLL");
    Install(fixtures::kObjectDll, "NEW.DLL");
    auto expected = Snapshot();

    const ProcessResult list = Run("list --json");
    EXPECT_EQ(list.exitCode, 0u) << list.err;
    const std::vector<Json> records = JsonLines(list);
    EXPECT_EQ(records.size(), 4 * HostileValues().size() + 1);
    for (const Json& record : records) {
        const std::string name = record["name"];
        if (name == NameOfLength(256) || name == "D4096.DLL" || name == "DWORD.DLL" || name == "EMPTY.DLL") {
            EXPECT_EQ(record["state"], "bad-entry") << record.dump();
        }
        if (name == NameOfLength(256)) {
            EXPECT_EQ(record["description"], nullptr);
        }
    }
    EXPECT_EQ(RunSnapinctl(work, "enable NOPE.DLL MOVE.DLL --hkcu \"" + hkcu.path() + "\"").exitCode, 1u);
    EXPECT_EQ(Run("disable " + NameOfLength(256)).exitCode, 1u);
    EXPECT_EQ(Snapshot(), expected);

    const ProcessResult enable = Run("enable move.dll --json");
    EXPECT_EQ(enable.exitCode, 0u) << enable.err;
    EXPECT_EQ(enable.out, "{\"name\":\"MOVE.DLL\",\"list\":\"enabled-object\",\"kind\":1,\"from\":\"disabled-object\",\"changed\":true}\n");
    const ProcessResult sync = Run("sync --new disable --json");
    EXPECT_EQ(sync.exitCode, 0u) << sync.err;
    EXPECT_EQ(sync.out, "{\"file\":\"NEW.DLL\",\"name\":\"NEW.DLL\",\"action\":\"offer\",\"kind\":1,\"list\":\"disabled-object\","
                        "\"reason\":\"object snap-in\",\"description\":\"" + std::string(fixtures::kObjectDescription) +
                        "\",\"changed\":true}\n");
    EXPECT_EQ(Run("sync --new disable").out, "nothing to write: SNAPINS\\ holds no new snap-in\n");
    expected[0]["MOVE.DLL"] = SzValue("SNAPINS\\MOVE.DLL");
    expected[1].erase("MOVE.DLL");
    expected[1]["NEW.DLL"] = SzValue("SNAPINS\\NEW.DLL");
    EXPECT_EQ(Snapshot(), expected);
}

TEST_F(SnapinCtl, MovesFollowTheDialogAndCheckEveryNameFirst) {
    PutEntry(kObjectOn, "Foo.dll", "C:\\TOOLS\\Foo.dll");
    PutEntry(kViewOn, "ON.DLL", "SNAPINS\\ON.DLL");
    PutEntry(kViewOff, "V.DLL", "SNAPINS\\V.DLL");

    const ProcessResult unknown = Run("enable V.DLL NOPE.DLL");
    EXPECT_EQ(unknown.exitCode, 1u);
    EXPECT_NE(unknown.err.find("NOPE.DLL"), std::string::npos);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(ReadList(kViewOff).size(), 1u);

    const ProcessResult moved = Run("disable foo.DLL ON.DLL");
    EXPECT_EQ(moved.exitCode, 0u) << moved.err;
    EXPECT_EQ(moved.out, "FOO.DLL: moved from enabled-object to disabled-object\n"
                         "ON.DLL: moved from enabled-view to disabled-view\n");
    EXPECT_TRUE(ReadList(kObjectOn).empty());
    EXPECT_EQ(ReadList(kObjectOff), (std::map<std::string, std::string>{{"FOO.DLL", "SNAPINS\\FOO.DLL"}}));
    EXPECT_EQ(ReadList(kViewOff).size(), 2u);
    const ProcessResult again = Run("disable FOO.DLL --json");
    EXPECT_EQ(again.exitCode, 0u);
    EXPECT_EQ(again.out, "{\"name\":\"FOO.DLL\",\"list\":\"disabled-object\",\"kind\":1,\"from\":\"disabled-object\",\"changed\":false}\n");
}

TEST_F(SnapinCtl, PlatformOptionPicksTheFamilyOfLists) {
    const std::string win95 = std::string(ListKey(kEnabledObjectCategory)) + " WIN95";
    PutEntry(win95.c_str(), "W95.DLL", "SNAPINS\\W95.DLL");
    PutEntry(kObjectOn, "NT.DLL", "SNAPINS\\NT.DLL");
    Install(fixtures::kObjectDll, "NEW.DLL");
    EXPECT_NE(Run("list --platform 95").out.find("W95.DLL"), std::string::npos);
    EXPECT_EQ(Run("list --platform 95").out.find("NT.DLL"), std::string::npos);
    EXPECT_NE(Run("list").out.find("NT.DLL"), std::string::npos);  // Wine reports Windows NT
    EXPECT_EQ(Run("sync --new enable --platform 95").exitCode, 0u);
    EXPECT_EQ(ReadList(win95.c_str()).count("NEW.DLL"), 1u);
    EXPECT_EQ(ReadList(kObjectOn).count("NEW.DLL"), 0u);
}

TEST_F(SnapinCtl, ScanOffersWhatStartupWrites) {
    ProbeHost host;
    ASSERT_TRUE(host.installed());
    PutEntry(kObjectOn, "PLUGWARD.DLL", "PLUGWARD.DLL");
    for (const auto& file : std::map<std::string, const char*>{
             {"NewSnap.dll", fixtures::kObjectDll}, {"VIEW.DLL", fixtures::kViewDll},
             {"NOIMP.DLL", fixtures::kNoImportsDll}, {"NOTSNAP.DLL", fixtures::kNoMarkerDll},
             {"PROGRAM.DLL", fixtures::kProgramExe}, {"KNOWN.DLL", fixtures::kObjectDll}})
        ASSERT_TRUE(host.AddSnapin(file.second, file.first));
    ASSERT_TRUE(host.AddSnapinsDirectory("OLD.DLL"));
    PutEntry(kViewOff, "known.dll", "C:\\ELSEWHERE\\KNOWN.DLL");

    const ProcessResult scan = Run("scan --json", host.dir().path());
    ASSERT_EQ(scan.exitCode, 0u) << scan.err;
    std::map<std::string, std::string> actions, offered;
    for (const Json& record : JsonLines(scan)) {
        actions[record["name"]] = record["action"];
        if (record["action"] == "offer") offered[record["name"]] = record["list"];
    }
    EXPECT_EQ(actions, (std::map<std::string, std::string>{{"NEWSNAP.DLL", "offer"}, {"VIEW.DLL", "offer"},
                                                            {"NOIMP.DLL", "offer"}, {"NOTSNAP.DLL", "skip"},
                                                            {"PROGRAM.DLL", "skip"}, {"KNOWN.DLL", "known"},
                                                            {"OLD.DLL", "skip"}}));
    const auto before = Snapshot();
    host.Run(hkcu, std::string("--dialog \"New Snapins Installed\" --enter ") + kStartAndStop);
    const auto after = Snapshot();
    const char* const labels[] = {"enabled-object", "disabled-object", "enabled-view", "disabled-view"};
    std::map<std::string, std::string> written;
    for (size_t list = 0; list < 4; ++list)
        for (const auto& value : after[list])
            if (!before[list].count(value.first)) written[value.first] = labels[list];
    EXPECT_EQ(written, offered);
    EXPECT_EQ(Run("sync --new enable", host.dir().path()).out, "nothing to write: SNAPINS\\ holds no new snap-in\n");
}
