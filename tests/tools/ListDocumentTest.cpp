// snapinctl export, apply, prune, list --check, --dry-run and the JSON
// errors, against scratch keys of the real registry; the REGEDIT4 export
// through Wine's own regedit.
#include "module/Version.h"
#include "registry/RegistryKey.h"
#include "registry/SnapinPolicy.h"
#include "tests/fixtures/Fixtures.h"
#include "tests/tools/SnapinCtlFixture.h"
#include "tools/snapinctl/ApplyCommands.h"
#include "tools/snapinctl/Base64.h"

#include <cstdio>
#include <memory>

namespace {
using namespace snapinctl;

// Every hostile value in every list, and values that regedit's quoting,
// hex lines and the code page must carry.
void PlantRoundTripValues() {
    for (const char* list : kLists) PlantHostileValues(list);
    PutRaw(kViewOn, "Q\"UOTE\\D.DLL", REG_SZ, std::string("a \"b\" \\c\n\0", 11));
    PutRaw(kViewOn, "B300.DLL", REG_BINARY, std::string(300, '\xA5'));
    PutRaw(kObjectOff, "caf\xe9 \x80\xff.dll", REG_SZ, std::string("SNAPINS\\caf\xe9\0", 13));
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// Runs a program of the Wine prefix and waits for its end; its exit code.
DWORD RunToItsEnd(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return GetLastError();
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}
}  // namespace

TEST(Base64, EncodesAndRefusesWhatIsNotCanonical) {
    for (const auto& pair : std::vector<std::pair<std::string, std::string>>{
             {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {std::string("\0\xff\x10", 3), "AP8Q"}}) {
        EXPECT_EQ(Base64Encode(pair.first), pair.second);
        std::string bytes;
        EXPECT_TRUE(Base64Decode(pair.second, bytes)) << pair.second;
        EXPECT_EQ(bytes, pair.first);
    }
    std::string bytes = "kept";
    for (const char* bad : {"Zg=", "Zh==", "Z===", "Zg==Zg==", "Z-8=", "Zm8=\n", "=Zm8"})
        EXPECT_FALSE(Base64Decode(bad, bytes)) << bad;
    EXPECT_EQ(bytes, "kept");
}

TEST_F(SnapinCtl, ExportAndApplyCarryHostileValuesByteForByte) {
    PlantRoundTripValues();
    const auto original = Snapshot();
    const std::string document = work / "lists.json";
    ASSERT_EQ(Run("export -o " + Quoted(document)).exitCode, 0u);
    const std::string exported = ReadFile(document);

    // Into an empty console.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmark");
    ASSERT_EQ(Run("apply " + Quoted(document)).exitCode, 0u);
    EXPECT_EQ(Snapshot(), original);

    // Over lists that differ: one value changed, one gone, one extra.
    PutRaw(kObjectOn, "DWORD.DLL", REG_DWORD, std::string("\x02\0\0\0", 4));
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kViewOff, "BINARY.DLL");
    PutEntry(kViewOff, "EXTRA.DLL", "SNAPINS\\EXTRA.DLL");
    const auto changed = Snapshot();
    const ProcessResult dryRun = Run("apply --dry-run " + Quoted(document));
    EXPECT_EQ(dryRun.exitCode, 0u) << dryRun.err;
    EXPECT_EQ(Snapshot(), changed);
    const ProcessResult applied = Run("apply " + Quoted(document));
    EXPECT_EQ(applied.exitCode, 0u) << applied.err;
    EXPECT_EQ(applied.out, dryRun.out);
    EXPECT_EQ(applied.out, "enabled-object DWORD.DLL: changed\n"
                           "disabled-view BINARY.DLL: added\n"
                           "disabled-view EXTRA.DLL: removed\n");
    EXPECT_EQ(Snapshot(), original);

    const ProcessResult again = Run("apply --json " + Quoted(document));
    EXPECT_EQ(again.exitCode, 0u) << again.err;
    for (const Json& record : JsonLines(again)) EXPECT_EQ(record["changed"], false) << record.dump();
    EXPECT_EQ(JsonLines(again).size(), 4 * HostileValues().size() + 3);
    EXPECT_EQ(Run("apply " + Quoted(document)).out, "nothing to change: the lists equal " + document + "\n");
    ASSERT_EQ(Run("export -o " + Quoted(document)).exitCode, 0u);
    EXPECT_EQ(ReadFile(document), exported);
}

TEST_F(SnapinCtl, ApplyCutShortAfterItsWritesLosesNoEntry) {
    PutEntry(kObjectOn, "OLD.DLL", "SNAPINS\\OLD.DLL");
    PutEntry(kObjectOn, "KEEP.DLL", "SNAPINS\\KEEP.DLL");
    CSnapinRegistry registry(ListFamily::WindowsNT);
    ListDocument stored;
    ListCategory failed = kEnabledObjectCategory;
    ASSERT_EQ(ReadDocument(registry, ListFamily::WindowsNT, stored, failed), 0);
    ListDocument wanted;
    wanted.lists[kEnabledObjectCategory] = {{"KEEP.DLL", REG_SZ, std::string("SNAPINS\\KEPT.DLL\0", 17)}};
    wanted.lists[kDisabledObjectCategory] = {{"OLD.DLL", REG_SZ, std::string("SNAPINS\\OLD.DLL\0", 16)}};

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen((work / "out.txt").c_str(), "wb"), &std::fclose);
    COutput output(out.get(), false);
    CErrorOutput errors(out.get(), false);
    const CSnapinPolicy noPolicy;
    CommandContext context{registry, CString(), output, errors, false, noPolicy};
    const std::vector<ListChange> plan = PlanChanges(stored, wanted);
    ASSERT_EQ(WriteChanges(context, plan), 0);
    // Stopped here, OLD.DLL stands in both object lists.
    EXPECT_EQ(ReadList(kObjectOn), (std::map<std::string, std::string>{{"KEEP.DLL", "SNAPINS\\KEPT.DLL"},
                                                                        {"OLD.DLL", "SNAPINS\\OLD.DLL"}}));
    EXPECT_EQ(ReadList(kObjectOff).count("OLD.DLL"), 1u);
    ASSERT_EQ(RemoveChanges(context, plan), 0);
    EXPECT_EQ(ReadList(kObjectOn).count("OLD.DLL"), 0u);
    out.reset();
    EXPECT_EQ(ReadFile(work / "out.txt"), "enabled-object KEEP.DLL: changed\ndisabled-object OLD.DLL: added\n"
                                          "enabled-object OLD.DLL: removed\n");
}

TEST_F(SnapinCtl, ApplyRefusesANameWithANulAndStoresATextWithoutOneExactly) {
    PutEntry(kObjectOn, "A.DLL", "SNAPINS\\A.DLL");
    const auto before = Snapshot();
    const std::string empty = R"("disabled-object":[],"enabled-view":[],"disabled-view":[]}})";
    ASSERT_TRUE(WriteBytes(work / "cut.json", R"({"family":"nt","lists":{"enabled-object":[)"
                                              R"({"name":"A\u0000B.DLL","type":1,"text":"x"}],)" + empty));
    const ProcessResult refused = Run("apply " + Quoted(work / "cut.json"));
    EXPECT_EQ(refused.exitCode, 1u);
    EXPECT_NE(refused.err.find(R"("A\u0000B.DLL" holds a NUL)"), std::string::npos) << refused.err;
    EXPECT_EQ(Snapshot(), before);

    const std::string text = "SNAPINS\\NONUL.DLL";  // 17 characters, stored without a terminator
    ASSERT_TRUE(WriteBytes(work / "bare.json", R"({"family":"nt","lists":{"enabled-object":[{"name":"NONUL.DLL",)"
                                                R"("type":1,"base64":")" + Base64Encode(text) + R"("}],)" + empty));
    ASSERT_EQ(Run("apply " + Quoted(work / "bare.json")).exitCode, 0u);
    EXPECT_EQ(ReadRawList(kObjectOn), (RawList{{"NONUL.DLL", {REG_SZ, text}}}));
    CRegistryKey key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kObjectOn, 0, KEY_READ, &key.Receive()), 0);
    DWORD wideSize = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"NONUL.DLL", nullptr, nullptr, nullptr, &wideSize), 0);
    EXPECT_EQ(wideSize, 34u);
}

TEST_F(SnapinCtl, RegeditImportsTheRegExportAsTheSameLists) {
    PlantRoundTripValues();
    ASSERT_EQ(Run("export --format reg -o " + Quoted(work / "lists.reg")).exitCode, 0u);
    std::string reg = ReadFile(work / "lists.reg");
    ASSERT_EQ(reg.find("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Velmark\\"), 0u) << reg.substr(0, 80);
    EXPECT_NE(reg.find("\"Q\\\"UOTE\\\\D.DLL\"=hex(1):61,20,22"), std::string::npos);
    EXPECT_NE(reg.find("\"DWORD.DLL\"=dword:00000001\r\n"), std::string::npos);
    // Into an empty scratch key below this test's HKEY_CURRENT_USER.
    const std::string root = "[HKEY_CURRENT_USER\\";
    for (size_t at = reg.find(root); at != std::string::npos; at = reg.find(root, at + 1))
        reg.insert(at + root.size(), hkcu.path() + "\\Imported\\");
    ASSERT_TRUE(WriteBytes(work / "imported.reg", reg));
    ASSERT_EQ(RunToItsEnd("regedit.exe /s " + Quoted(work / "imported.reg")), 0u);
    // regedit gives a text without its terminator one.
    for (const char* list : kLists) {
        RawList expected = ReadRawList(list);
        expected["NONUL.DLL"].bytes += '\0';
        EXPECT_EQ(ReadRawList(("Imported\\" + std::string(list)).c_str()), expected) << list;
    }
}

TEST_F(SnapinCtl, PruneRemovesTheEntriesInTheNamedStatesOnly) {
    Install(fixtures::kObjectDll, "OBJ.DLL");
    Install(fixtures::kNoMarkerDll, "NOTSNAP.DLL");
    PutEntry(kObjectOn, "OBJ.DLL", "SNAPINS\\OBJ.DLL");
    PutEntry(kObjectOn, "GONE.DLL", "SNAPINS\\GONE.DLL");
    PutEntry(kViewOff, "GONE2.DLL", "SNAPINS\\GONE2.DLL");
    PutEntry(kObjectOff, "NOTSNAP.DLL", "SNAPINS\\NOTSNAP.DLL");
    PutEntry(kViewOn, "OBJV.DLL", "SNAPINS\\OBJ.DLL");
    const auto before = Snapshot();
    EXPECT_EQ(Run("list --check").exitCode, 3u);

    const ProcessResult dryRun = Run("prune --dry-run");
    EXPECT_EQ(Snapshot(), before);
    const ProcessResult pruned = Run("prune");
    EXPECT_EQ(pruned.exitCode, 0u) << pruned.err;
    EXPECT_EQ(pruned.out, dryRun.out);
    EXPECT_EQ(Lines(pruned.out).size(), 2u) << pruned.out;
    EXPECT_EQ(pruned.out.find("removed enabled-object GONE.DLL: missing (error 2"), 0u) << pruned.out;
    EXPECT_NE(pruned.out.find("\nremoved disabled-view GONE2.DLL: missing"), std::string::npos) << pruned.out;
    EXPECT_EQ(Run("prune").out, "nothing to prune: no entry is missing\n");

    const ProcessResult more = Run("prune --json --state not-snapin --state wrong-kind");
    std::map<std::string, bool> changed;
    for (const Json& record : JsonLines(more)) changed[record["name"]] = record["changed"];
    EXPECT_EQ(changed, (std::map<std::string, bool>{{"OBJ.DLL", false}, {"NOTSNAP.DLL", true}, {"OBJV.DLL", true}}));
    EXPECT_EQ(ReadList(kObjectOn), (std::map<std::string, std::string>{{"OBJ.DLL", "SNAPINS\\OBJ.DLL"}}));
    EXPECT_TRUE(ReadList(kViewOn).empty() && ReadList(kViewOff).empty() && ReadList(kObjectOff).empty());
    EXPECT_EQ(Run("list --check").exitCode, 0u);
    EXPECT_EQ(Run("prune --state ok").exitCode, 2u);
}

TEST_F(SnapinCtl, WithJsonEveryErrorIsOneObjectAndTheStatusStays) {
    PutEntry(kObjectOn, "ON.DLL", "SNAPINS\\ON.DLL");
    const std::string document = work / "lists.json";
    ASSERT_EQ(Run("export -o " + Quoted(document)).exitCode, 0u);
    ASSERT_TRUE(WriteBytes(work / "bad.json", "{\"family\":\"nt\",\"lists\":{}}"));
    const Json null;
    for (const auto& run : std::vector<std::tuple<std::string, DWORD, Json>>{
             {"list --bogus", 2, null},
             {"enable NOPE.DLL", 1, null},
             {"apply " + Quoted(work / "missing.json"), 1, ERROR_FILE_NOT_FOUND},
             {"apply " + Quoted(work / "bad.json"), 1, null},
             {"apply --platform 95 " + Quoted(document), 2, null}}) {
        SCOPED_TRACE(std::get<0>(run));
        const ProcessResult text = Run(std::get<0>(run));
        EXPECT_EQ(text.exitCode, std::get<1>(run));
        EXPECT_EQ(text.err.find("snapinctl: "), 0u) << text.err;
        const ProcessResult json = Run(std::get<0>(run) + " --json");
        EXPECT_EQ(json.exitCode, std::get<1>(run));
        EXPECT_EQ(json.out, "");
        ASSERT_EQ(Lines(json.err).size(), 1u) << json.err;
        const Json error = Json::parse(Lines(json.err)[0]);
        EXPECT_TRUE(error["error"].is_string()) << json.err;
        EXPECT_EQ(error["code"], std::get<2>(run)) << json.err;
    }
    EXPECT_EQ(ReadList(kObjectOn).size(), 1u);
    const ProcessResult version = RunSnapinctl(work, "--version");
    EXPECT_EQ(version.exitCode, 0u);
    EXPECT_EQ(version.out, "snapinctl " + std::to_string(PLUGWARD_VERSION_MAJOR) + "." +
                               std::to_string(PLUGWARD_VERSION_MINOR) + "." + std::to_string(PLUGWARD_VERSION_PATCH) +
                               "." + std::to_string(PLUGWARD_VERSION_BUILD) + "\n");
}

TEST_F(SnapinCtl, DryRunsOfSyncEnableAndDisablePrintTheRealRunAndWriteNothing) {
    Install(fixtures::kObjectDll, "NEW.DLL");
    PutEntry(kObjectOn, "ON.DLL", "SNAPINS\\ON.DLL");
    PutEntry(kViewOff, "OFF.DLL", "SNAPINS\\OFF.DLL");
    for (const char* command : {"sync --new enable", "disable ON.DLL", "enable OFF.DLL ON.DLL"}) {
        SCOPED_TRACE(command);
        const auto before = Snapshot();
        const ProcessResult dryRun = Run(std::string(command) + " --dry-run --json");
        EXPECT_EQ(Snapshot(), before);
        const ProcessResult real = Run(std::string(command) + " --json");
        EXPECT_EQ(real.exitCode, 0u) << real.err;
        EXPECT_EQ(real.out, dryRun.out);
        EXPECT_NE(real.out.find("\"changed\":true"), std::string::npos) << real.out;
        EXPECT_NE(Snapshot(), before);
    }
}
