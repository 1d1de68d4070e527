// snapinctl: code-page conversion, command-line parsing and inspect's
// records called directly, and snapinctl.exe run as a process with its
// output redirected to files.
#include "tests/faults/FaultInjector.h"
#include "tests/fixtures/Fixtures.h"
#include "tests/support/SnapinLists.h"
#include "tests/tools/SnapinCtlRun.h"
#include "tools/snapinctl/Commands.h"
#include "tools/snapinctl/Inspect.h"
#include "tools/snapinctl/Options.h"
#include "tools/snapinctl/SnapinCtl.h"
#include "tools/snapinctl/Text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace snapinctl;

namespace {

// The parsed options, or the exit status in `status` (-1 when it would run).
Options Parse(std::vector<const char*> arguments, int& status) {
    arguments.insert(arguments.begin(), "snapinctl");
    Options options;
    std::string out, err;
    status = ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), options, out, err);
    return options;
}

FileReport Report(const std::string& file, FileState state, int check, int32_t kind, ImageVerdict verdict,
                  int descriptionCode, const std::string& description) {
    FileReport report;
    report.file = file;
    report.image = {state, check, kind, verdict};
    report.descriptionCode = descriptionCode;
    report.description = description;
    return report;
}

// snapinctl::Run in this process, its streams written to files in `dir`.
int RunInProcess(const TempDir& dir, std::vector<const char*> arguments, std::string& out, std::string& err) {
    arguments.insert(arguments.begin(), "snapinctl");
    FILE* outFile = std::fopen((dir / "out.txt").c_str(), "wb");
    FILE* errFile = std::fopen((dir / "err.txt").c_str(), "wb");
    const int code = snapinctl::Run(static_cast<int>(arguments.size()), arguments.data(), outFile, errFile);
    std::fclose(outFile);
    std::fclose(errFile);
    out = ReadFile(dir / "out.txt");
    err = ReadFile(dir / "err.txt");
    return code;
}

}  // namespace

// ---- Code page -------------------------------------------------------------

TEST(AnsiToUtf8, AsciiIsUnchanged) {
    EXPECT_EQ(AnsiToUtf8(""), "");
    EXPECT_EQ(AnsiToUtf8("C:\\SNAPINS\\A.DLL"), "C:\\SNAPINS\\A.DLL");
}

TEST(AnsiToUtf8, ConvertsTheActiveCodePage) {
    // The UTF-8 form of whatever the ANSI byte 0xE9 is in this code page.
    wchar_t wide[2] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xe9", 1, wide, 1), 1);
    char expected[8] = {};
    ASSERT_GT(WideCharToMultiByte(CP_UTF8, 0, wide, 1, expected, sizeof expected, nullptr, nullptr), 0);
    EXPECT_EQ(AnsiToUtf8("caf\xe9"), std::string("caf") + expected);
    if (GetACP() == 1252) {
        EXPECT_EQ(AnsiToUtf8("caf\xe9"), "caf\xc3\xa9");
        EXPECT_EQ(AnsiToUtf8("\x80"), "\xe2\x82\xac");  // the euro sign
    }
}

// ---- Command line ----------------------------------------------------------

TEST(ParseCommandLine, CommonOptionsStandAnywhere) {
    int status = 0;
    Options options = Parse({"--json", "list", "--host", "C:\\H", "--platform", "95", "--hkcu", "S\\T"}, status);
    EXPECT_EQ(status, -1);
    EXPECT_STREQ(options.command->name, "list");
    EXPECT_TRUE(options.json);
    EXPECT_EQ(options.host, "C:\\H");
    EXPECT_EQ(options.platform, "95");
    EXPECT_EQ(options.hkcu, "S\\T");
    options = Parse({"sync", "--new", "disable", "--json"}, status);
    EXPECT_EQ(status, -1);
    EXPECT_STREQ(options.command->name, "sync");
    EXPECT_FALSE(options.enableNew);
    EXPECT_TRUE(options.json);
    options = Parse({"disable", "A.DLL", "b.dll"}, status);
    EXPECT_STREQ(options.command->name, "disable");
    EXPECT_EQ(options.names, (std::vector<std::string>{"A.DLL", "b.dll"}));
    options = Parse({"inspect", "--json", "--", "--json", "-x"}, status);
    EXPECT_STREQ(options.command->name, "inspect");
    EXPECT_TRUE(options.json);
    EXPECT_EQ(options.files, (std::vector<std::string>{"--json", "-x"}));
}

TEST(ParseCommandLine, BadCommandLinesGive2AndHelpGives0) {
    for (const auto& arguments : std::vector<std::vector<const char*>>{
             {}, {"inspect"}, {"inspect", "--bogus", "a.dll"}, {"check"}, {"sync"}, {"sync", "--new", "maybe"},
             {"list", "--platform", "98"}, {"enable"}, {"list", "extra"}, {"--host"}}) {
        int status = 0;
        Parse(arguments, status);
        EXPECT_EQ(status, 2) << (arguments.empty() ? "(none)" : arguments[0]);
    }
    for (const char* command : {"list", "scan", "sync", "enable", "disable", "inspect"}) {
        int status = 0;
        Parse({command, "--help"}, status);
        EXPECT_EQ(status, 0) << command;
    }
}

TEST(ParseCommandLine, EveryCommandRunsThroughItsOwnRow) {
    // One command line per command; a command added without one fails here.
    const std::vector<std::vector<const char*>> lines = {
        {"list"}, {"prune"}, {"export"}, {"apply", "F"}, {"scan"}, {"sync", "--new", "enable"},
        {"inspect", "F"}, {"enable", "N"}, {"disable", "N"}, {"policy"}, {"enforce"}};
    std::vector<std::string> parsed;
    for (const auto& line : lines) {
        int status = 0;
        const Options options = Parse(line, status);
        ASSERT_EQ(status, -1) << line[0];
        const CommandRow* row = options.command;
        ASSERT_NE(row, nullptr) << line[0] << " has no row";
        EXPECT_STREQ(row->name, line[0]);
        parsed.push_back(row->name);
    }
    EXPECT_EQ(parsed, AcceptedCommands());
}

// ---- inspect ---------------------------------------------------------------

TEST(InspectRecord, KeysInOrderAndNullDescription) {
    EXPECT_EQ(InspectRecord(Report("C:\\x\\a.dll", FileState::Ok, 0, 2, ImageVerdict::Snapin, 0, "View")).dump(),
              "{\"file\":\"C:\\\\x\\\\a.dll\",\"name\":\"A.DLL\",\"list\":null,\"check\":0,\"kind\":2,\"state\":\"ok\","
              "\"reason\":\"view snap-in\",\"descriptionCode\":0,\"description\":\"View\",\"descriptionReason\":null,\"signature\":\"cannot verify\",\"signer\":null,\"thumbprint\":null,\"trustedPublisher\":false}");
    EXPECT_EQ(InspectRecord(Report("b.dll", FileState::NotSnapin, -1, 1, ImageVerdict::MissingInitSnapinMarker, -2, "x")).dump(),
              "{\"file\":\"b.dll\",\"name\":\"B.DLL\",\"list\":null,\"check\":-1,\"kind\":null,\"state\":\"not-snapin\","
              "\"reason\":\"a .rdata section lacks the InitSnapin marker\",\"descriptionCode\":-2,\"description\":null,"
              "\"descriptionReason\":\"no U.S. English FileDescription\",\"signature\":\"cannot verify\",\"signer\":null,\"thumbprint\":null,\"trustedPublisher\":false}");
}

TEST(InspectText, Examples) {
    EXPECT_EQ(InspectText(Report("a.dll", FileState::Ok, 0, 1, ImageVerdict::Snapin, 0, "Object")),
              "a.dll: object snap-in; description \"Object\"; cannot verify");
    EXPECT_EQ(InspectText(Report("b.dll", FileState::Ok, 0, 0, ImageVerdict::Snapin, -2, "")),
              "b.dll: snap-in without import section; no description (no U.S. English FileDescription); cannot verify");
    EXPECT_EQ(InspectText(Report("c.exe", FileState::NotSnapin, -1, 0, ImageVerdict::NotLibrary, 0, "Program")),
              "c.exe: not a snap-in (not a library (IMAGE_FILE_DLL not set)); description \"Program\"; cannot verify");
    EXPECT_EQ(InspectText(Report("e.dll", FileState::Ok, 0, 1, ImageVerdict::Snapin, kCorruptVersionBlock, "")),
              "e.dll: object snap-in; no description (a corrupt version block); cannot verify");
    const std::string missing = InspectText(Report("d.dll", FileState::Missing, 2, 0, ImageVerdict::Snapin, 2, ""));
    EXPECT_EQ(missing.find("d.dll: not inspected (error 2"), 0u) << missing;
    EXPECT_NE(missing.find("; no description (error 2"), std::string::npos) << missing;
}

TEST(InspectFile, FixturesAsTheModuleSeesThem) {
    const FileReport view = InspectFile(ExecutableDirectory() + fixtures::kViewDll);
    EXPECT_EQ(view.image.check, 0);
    EXPECT_EQ(view.image.kind, kSnapinView);
    EXPECT_EQ(view.descriptionCode, 0);
    EXPECT_EQ(view.description, fixtures::kViewDescription);
    const FileReport foreign = InspectFile(ExecutableDirectory() + fixtures::kForeignVersionDll);
    EXPECT_EQ(foreign.image.check, 0);
    EXPECT_EQ(foreign.image.kind, kSnapinObject);
    EXPECT_EQ(foreign.descriptionCode, -2);
}

// ---- Run and the program ---------------------------------------------------

TEST(Run, ExitCodesAndStreams) {
    TempDir dir;
    std::string out, err;
    EXPECT_EQ(RunInProcess(dir, {}, out, err), 2);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err.find("snapinctl: "), 0u);

    const std::string missing = dir / "MISSING.DLL";
    const std::string object = ExecutableDirectory() + fixtures::kObjectDll;
    EXPECT_EQ(RunInProcess(dir, {"inspect", "--json", object.c_str(), missing.c_str()}, out, err), 0);
    const std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].find("{\"file\":"), 0u);
    EXPECT_NE(lines[0].find("\"check\":0,\"kind\":1,\"state\":\"ok\",\"reason\":\"object snap-in\""), std::string::npos);
    EXPECT_NE(lines[1].find("\"check\":2,\"kind\":null,\"state\":\"missing\""), std::string::npos);
    EXPECT_EQ(err, "");
}

// enable and disable in this process (its HKEY_CURRENT_USER a scratch key),
// with one registry call failing as the platform fails it.
class MoveWithAFailingCall : public ::testing::Test {
protected:
    // Once per process: a second install would take the shims for the real calls.
    static void SetUpTestSuite() {
        std::vector<std::string> notImported;
        installed = faults::Install(GetModuleHandleA(nullptr), notImported, installError);
    }
    void SetUp() override {
        ASSERT_TRUE(installed) << installError;
        PutEntry(kObjectOn, "A.DLL", "SNAPINS\\A.DLL");
    }
    // The exit status of `disable A.DLL` with the first call of `call` failing.
    int DisableFailing(const char* call) {
        faults::Begin(faults::FindCall(call), 1);
        const int code = RunInProcess(dir, {"disable", "A.DLL", "--host", dir.path().c_str()}, out, err);
        EXPECT_TRUE(faults::End()) << call << " was not called";
        return code;
    }

    static bool installed;
    static std::string installError;
    ScratchHkcu hkcu;
    TempDir dir;
    std::string out, err;
};

bool MoveWithAFailingCall::installed = false;
std::string MoveWithAFailingCall::installError;

TEST_F(MoveWithAFailingCall, DeleteFailingAfterTheWriteLeavesBothEntriesAndFails) {
    EXPECT_EQ(DisableFailing("RegDeleteValueA"), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "snapinctl: \"A.DLL\" now stands in both lists: wrote it to the disabled-object list but "
                   "cannot delete it from the enabled-object list: error 5: Access denied\n");
    EXPECT_EQ(ReadList(kObjectOn).count("A.DLL"), 1u);
    EXPECT_EQ(ReadList(kObjectOff).count("A.DLL"), 1u);
}

// apply, too, writes before it deletes, and deletes nothing once a write failed.
TEST_F(MoveWithAFailingCall, ApplyWithAFailedWriteRemovesNothing) {
    ASSERT_TRUE(WriteBytes(dir / "lists.json", "{\"family\":\"nt\",\"lists\":{\"enabled-object\":[{\"name\":"
                                               "\"NEW.DLL\",\"type\":1,\"text\":\"SNAPINS\\\\NEW.DLL\"}],"
                                               "\"disabled-object\":[],\"enabled-view\":[],\"disabled-view\":[]}}"));
    const std::string document = dir / "lists.json";
    faults::Begin(faults::FindCall("RegSetValueExA"), 1);
    EXPECT_EQ(RunInProcess(dir, {"apply", document.c_str()}, out, err), 1);
    EXPECT_TRUE(faults::End());
    EXPECT_NE(err.find("removed nothing"), std::string::npos) << err;
    EXPECT_EQ(ReadList(kObjectOn), (std::map<std::string, std::string>{{"A.DLL", "SNAPINS\\A.DLL"}}));
    EXPECT_EQ(RunInProcess(dir, {"apply", document.c_str()}, out, err), 0) << err;
    EXPECT_EQ(ReadList(kObjectOn), (std::map<std::string, std::string>{{"NEW.DLL", "SNAPINS\\NEW.DLL"}}));
}

TEST_F(MoveWithAFailingCall, UnreadableListIsReportedAndNothingMoves) {
    EXPECT_EQ(DisableFailing("RegEnumValueA"), 1);
    EXPECT_EQ(err.find("snapinctl: cannot read the enabled-object list: error 8"), 0u) << err;
    EXPECT_EQ(err.find("in no list"), std::string::npos) << err;
    EXPECT_EQ(ReadList(kObjectOn).count("A.DLL"), 1u);
    EXPECT_TRUE(ReadList(kObjectOff).empty());
}

TEST(Program, BadCommandLineExitsWith2AndHelpGoesToStdout) {
    TempDir dir;
    for (const char* arguments : {"", "inspect", "frobnicate x.dll", "inspect --nope x.dll", "sync"}) {
        SCOPED_TRACE(arguments);
        const ProcessResult result = RunSnapinctl(dir, arguments);
        EXPECT_EQ(result.exitCode, 2u);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.find("snapinctl: "), 0u) << result.err;
    }
    const ProcessResult help = RunSnapinctl(dir, "enable --help");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_NE(help.out.find("enable"), std::string::npos);
    EXPECT_EQ(help.err, "");
}

TEST(Program, OneLinePerFileWhateverTheVerdicts) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir / "empty.dll", ""));
    ASSERT_TRUE(WriteBytes(dir / "text.dll", "not an image"));
    const std::string bin = ExecutableDirectory();
    const std::vector<std::string> files = {
        bin + fixtures::kObjectDll,   bin + fixtures::kViewDll,         bin + fixtures::kNoImportsDll,
        bin + fixtures::kNoMarkerDll, bin + fixtures::kProgramExe,      bin + fixtures::kForeignVersionDll,
        dir / "empty.dll",            dir / "text.dll",                 dir / "missing.dll"};
    std::string arguments;
    for (const std::string& file : files) arguments += " \"" + file + "\"";

    for (bool json : {false, true}) {
        SCOPED_TRACE(json ? "json" : "text");
        const ProcessResult result = RunSnapinctl(dir, std::string("inspect") + (json ? " --json" : "") + arguments);
        EXPECT_EQ(result.exitCode, 0u) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out.find('\r'), std::string::npos) << "lines end in \\n alone";
        ASSERT_FALSE(result.out.empty());
        EXPECT_EQ(result.out.back(), '\n');
        const std::vector<std::string> lines = Lines(result.out);
        ASSERT_EQ(lines.size(), files.size()) << result.out;
        for (size_t i = 0; i < files.size(); ++i) {
            const std::string expectedStart =
                json ? "{\"file\":" + Record(AnsiToUtf8(files[i])).dump() + ",\"name\":" : AnsiToUtf8(files[i]) + ": ";
            EXPECT_EQ(lines[i].find(expectedStart), 0u) << lines[i];
            if (json) {
                EXPECT_EQ(lines[i].back(), '}');
            }
        }
        if (json) {
            EXPECT_NE(lines[0].find("\"kind\":1,\"state\":\"ok\",\"reason\":\"object snap-in\",\"descriptionCode\":0,"
                                    "\"description\":\"" + std::string(fixtures::kObjectDescription) +
                                    "\",\"descriptionReason\":null,"),
                      std::string::npos) << lines[0];
            EXPECT_NE(lines[1].find("\"check\":0,\"kind\":2"), std::string::npos) << lines[1];
            EXPECT_NE(lines[2].find("\"check\":0,\"kind\":0"), std::string::npos) << lines[2];
            EXPECT_NE(lines[3].find("\"check\":-1"), std::string::npos) << lines[3];
            EXPECT_NE(lines[4].find("\"check\":-1"), std::string::npos) << lines[4];
            EXPECT_NE(lines[5].find("\"descriptionCode\":-2,\"description\":null,\"descriptionReason\":"), std::string::npos) << lines[5];
            EXPECT_NE(lines[6].find("\"check\":1006"), std::string::npos) << lines[6];
            EXPECT_NE(lines[7].find("\"check\":-1"), std::string::npos) << lines[7];
            EXPECT_NE(lines[8].find("\"check\":2,\"kind\":null,\"state\":\"missing\""), std::string::npos) << lines[8];
        }
    }
}
