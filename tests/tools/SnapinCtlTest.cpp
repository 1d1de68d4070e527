// snapinctl: JSON escaping, code-page conversion, command-line parsing and
// line formatting called directly, and snapinctl.exe run as a process with
// its output redirected to files.
#include "tests/fixtures/Fixtures.h"
#include "tests/support/Scratch.h"
#include "tools/snapinctl/SnapinCtl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace snapinctl;

namespace {

CommandLine Parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "snapinctl");
    return ParseCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

struct ProcessResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

// Runs snapinctl.exe with the given command-line tail; stdout and stderr go
// to files in `dir`.
ProcessResult RunSnapinctl(const TempDir& dir, const std::string& arguments) {
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const std::string outPath = dir / "stdout.txt";
    const std::string errPath = dir / "stderr.txt";
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out;
    startup.hStdError = err;
    const std::string exe = ExecutableDirectory() + "snapinctl.exe";
    std::string commandLine = "\"" + exe + "\" " + arguments;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &result.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        ADD_FAILURE() << "cannot start " << exe << ": error " << GetLastError();
    }
    CloseHandle(out);
    CloseHandle(err);
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

FileReport Report(const std::string& file, int check, int32_t kind, ImageVerdict verdict, int descriptionCode,
                  const std::string& description) {
    FileReport report;
    report.file = file;
    report.check = check;
    report.kind = kind;
    report.verdict = verdict;
    report.descriptionCode = descriptionCode;
    report.description = description;
    return report;
}

}  // namespace

// ---- JSON strings ----------------------------------------------------------

TEST(JsonString, PlainTextIsQuoted) {
    EXPECT_EQ(JsonString(""), "\"\"");
    EXPECT_EQ(JsonString("fixture_object.dll"), "\"fixture_object.dll\"");
}

TEST(JsonString, QuotesAndBackslashesAreEscaped) {
    EXPECT_EQ(JsonString("C:\\SNAPINS\\\"X\".DLL"), "\"C:\\\\SNAPINS\\\\\\\"X\\\".DLL\"");
}

TEST(JsonString, ControlCharactersAreEscaped) {
    EXPECT_EQ(JsonString("a\nb\rc\td\be\ff"), "\"a\\nb\\rc\\td\\be\\ff\"");
    EXPECT_EQ(JsonString(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\\u007f\"");
    EXPECT_EQ(JsonString(std::string("a\0b", 3)), "\"a\\u0000b\"");
}

TEST(JsonString, WellFormedUtf8PassesUnchanged) {
    EXPECT_EQ(JsonString("caf\xc3\xa9"), "\"caf\xc3\xa9\"");
    EXPECT_EQ(JsonString("\xe2\x82\xac \xf0\x9f\x98\x80"), "\"\xe2\x82\xac \xf0\x9f\x98\x80\"");
}

TEST(JsonString, BytesThatAreNotUtf8BecomeReplacementCharacters) {
    EXPECT_EQ(JsonString("caf\xe9"), "\"caf\\ufffd\"");                    // Latin-1 byte
    EXPECT_EQ(JsonString("\x80x"), "\"\\ufffdx\"");                        // lone continuation byte
    EXPECT_EQ(JsonString("\xc3"), "\"\\ufffd\"");                          // cut sequence at the end
    EXPECT_EQ(JsonString("\xc0\xaf"), "\"\\ufffd\\ufffd\"");               // overlong "/"
    EXPECT_EQ(JsonString("\xed\xa0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");    // UTF-16 surrogate
    EXPECT_EQ(JsonString("\xf4\x90\x80\x80"), "\"\\ufffd\\ufffd\\ufffd\\ufffd\"");  // beyond U+10FFFF
    EXPECT_EQ(JsonString("\xff\xfe"), "\"\\ufffd\\ufffd\"");
}

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

TEST(ParseCommandLine, InspectWithAndWithoutJson) {
    CommandLine line = Parse({"inspect", "a.dll", "b.dll"});
    EXPECT_EQ(line.command, Command::Inspect);
    EXPECT_FALSE(line.json);
    EXPECT_EQ(line.files, (std::vector<std::string>{"a.dll", "b.dll"}));
    line = Parse({"inspect", "--json", "a.dll"});
    EXPECT_EQ(line.command, Command::Inspect);
    EXPECT_TRUE(line.json);
    EXPECT_EQ(line.files, (std::vector<std::string>{"a.dll"}));
    line = Parse({"inspect", "a.dll", "--json"});
    EXPECT_TRUE(line.json);
    EXPECT_EQ(line.files, (std::vector<std::string>{"a.dll"}));
}

TEST(ParseCommandLine, DoubleDashEndsOptions) {
    const CommandLine line = Parse({"inspect", "--json", "--", "--json", "-x", "--"});
    EXPECT_EQ(line.command, Command::Inspect);
    EXPECT_TRUE(line.json);
    EXPECT_EQ(line.files, (std::vector<std::string>{"--json", "-x", "--"}));
}

TEST(ParseCommandLine, SingleDashIsAFile) {
    const CommandLine line = Parse({"inspect", "-"});
    EXPECT_EQ(line.command, Command::Inspect);
    EXPECT_EQ(line.files, (std::vector<std::string>{"-"}));
}

TEST(ParseCommandLine, BadCommandLines) {
    for (const auto& arguments : std::vector<std::vector<const char*>>{
             {}, {"inspect"}, {"inspect", "--json"}, {"inspect", "--"}, {"inspect", "--bogus", "a.dll"},
             {"inspect", "-j", "a.dll"}, {"check", "a.dll"}, {"INSPECT", "a.dll"}, {"help", "me"}}) {
        const CommandLine line = Parse(arguments);
        EXPECT_EQ(line.command, Command::Invalid) << (arguments.empty() ? "(none)" : arguments[0]);
        EXPECT_FALSE(line.error.empty());
    }
}

TEST(ParseCommandLine, Help) {
    for (const char* word : {"help", "--help", "-h", "/?"}) {
        EXPECT_EQ(Parse({word}).command, Command::Help) << word;
    }
}

// ---- Lines -----------------------------------------------------------------

TEST(FormatJsonLine, KeysInOrderAndNullDescription) {
    EXPECT_EQ(FormatJsonLine(Report("a.dll", 0, 2, ImageVerdict::Snapin, 0, "View")),
              "{\"file\": \"a.dll\", \"check\": 0, \"kind\": 2, \"reason\": \"view snap-in\", "
              "\"descriptionCode\": 0, \"description\": \"View\"}");
    EXPECT_EQ(FormatJsonLine(Report("b.dll", -1, 1, ImageVerdict::MissingInitSnapinMarker, -2, "ignored")),
              "{\"file\": \"b.dll\", \"check\": -1, \"kind\": 1, \"reason\": \"a .rdata section lacks the "
              "InitSnapin marker\", \"descriptionCode\": -2, \"description\": null}");
}

TEST(FormatJsonLine, PlatformCodesAndAwkwardTexts) {
    const std::string line =
        FormatJsonLine(Report("C:\\x\"y\x01.dll", 2, 0, ImageVerdict::HeaderOutsideFile, 0, "tab\there"));
    EXPECT_EQ(line.find("{\"file\": \"C:\\\\x\\\"y\\u0001.dll\", \"check\": 2, \"kind\": 0, \"reason\": \"error 2"), 0u)
        << line;
    EXPECT_NE(line.find("\"descriptionCode\": 0, \"description\": \"tab\\there\"}"), std::string::npos) << line;
}

TEST(FormatTextLine, Examples) {
    EXPECT_EQ(FormatTextLine(Report("a.dll", 0, 1, ImageVerdict::Snapin, 0, "Object")),
              "a.dll: object snap-in; description \"Object\"");
    EXPECT_EQ(FormatTextLine(Report("b.dll", 0, 0, ImageVerdict::Snapin, -2, "")),
              "b.dll: snap-in without import section; no description (no U.S. English FileDescription)");
    EXPECT_EQ(FormatTextLine(Report("c.exe", -1, 0, ImageVerdict::NotLibrary, 0, "Program")),
              "c.exe: not a snap-in (not a library (IMAGE_FILE_DLL not set)); description \"Program\"");
    const std::string missing = FormatTextLine(Report("d.dll", 2, 0, ImageVerdict::Snapin, 2, ""));
    EXPECT_EQ(missing.find("d.dll: not inspected (error 2"), 0u) << missing;
    EXPECT_NE(missing.find("; no description (error 2"), std::string::npos) << missing;
}

TEST(InspectFile, FixturesAsTheModuleSeesThem) {
    const FileReport view = InspectFile(ExecutableDirectory() + fixtures::kViewDll);
    EXPECT_EQ(view.check, 0);
    EXPECT_EQ(view.kind, kSnapinView);
    EXPECT_EQ(view.descriptionCode, 0);
    EXPECT_EQ(view.description, fixtures::kViewDescription);
    const FileReport foreign = InspectFile(ExecutableDirectory() + fixtures::kForeignVersionDll);
    EXPECT_EQ(foreign.check, 0);
    EXPECT_EQ(foreign.kind, kSnapinObject);
    EXPECT_EQ(foreign.descriptionCode, -2);
}

// ---- Run and the program ---------------------------------------------------

TEST(Run, ExitCodesAndStreams) {
    TempDir dir;
    const std::string outPath = dir / "out.txt";
    const std::string errPath = dir / "err.txt";
    const auto run = [&](std::vector<const char*> arguments) {
        arguments.insert(arguments.begin(), "snapinctl");
        FILE* out = std::fopen(outPath.c_str(), "wb");
        FILE* err = std::fopen(errPath.c_str(), "wb");
        const int code = snapinctl::Run(static_cast<int>(arguments.size()), arguments.data(), out, err);
        std::fclose(out);
        std::fclose(err);
        return code;
    };
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(ReadFile(outPath), "");
    EXPECT_EQ(ReadFile(errPath).find("snapinctl: no command given\nusage: snapinctl inspect"), 0u);

    const std::string missing = dir / "MISSING.DLL";
    const std::string object = ExecutableDirectory() + fixtures::kObjectDll;
    EXPECT_EQ(run({"inspect", "--json", object.c_str(), missing.c_str()}), 0);
    const std::vector<std::string> lines = Lines(ReadFile(outPath));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].find("{\"file\": "), 0u);
    EXPECT_NE(lines[0].find("\"check\": 0, \"kind\": 1, \"reason\": \"object snap-in\""), std::string::npos);
    EXPECT_NE(lines[1].find("\"check\": 2, \"kind\": 0"), std::string::npos);
    EXPECT_EQ(ReadFile(errPath), "");
}

TEST(Program, BadCommandLineExitsWith2AndUsageOnStderr) {
    TempDir dir;
    for (const char* arguments : {"", "inspect", "inspect --json", "frobnicate x.dll", "inspect --nope x.dll"}) {
        SCOPED_TRACE(arguments);
        const ProcessResult result = RunSnapinctl(dir, arguments);
        EXPECT_EQ(result.exitCode, 2u);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.find("snapinctl: "), 0u) << result.err;
        EXPECT_NE(result.err.find("usage: snapinctl inspect [--json] [--] FILE..."), std::string::npos);
    }
}

TEST(Program, HelpGoesToStdout) {
    TempDir dir;
    const ProcessResult result = RunSnapinctl(dir, "help");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out.find("usage: snapinctl"), 0u);
    EXPECT_EQ(result.err, "");
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
                json ? "{\"file\": " + JsonString(AnsiToUtf8(files[i])) + ", \"check\": " : AnsiToUtf8(files[i]) + ": ";
            EXPECT_EQ(lines[i].find(expectedStart), 0u) << lines[i];
            if (json) {
                EXPECT_EQ(lines[i].back(), '}');
            }
        }
        if (json) {
            EXPECT_NE(lines[0].find("\"kind\": 1, \"reason\": \"object snap-in\", \"descriptionCode\": 0, "
                                    "\"description\": \"" + std::string(fixtures::kObjectDescription) + "\"}"),
                      std::string::npos) << lines[0];
            EXPECT_NE(lines[1].find("\"check\": 0, \"kind\": 2"), std::string::npos) << lines[1];
            EXPECT_NE(lines[2].find("\"check\": 0, \"kind\": 0"), std::string::npos) << lines[2];
            EXPECT_NE(lines[3].find("\"check\": -1"), std::string::npos) << lines[3];
            EXPECT_NE(lines[4].find("\"check\": -1"), std::string::npos) << lines[4];
            EXPECT_NE(lines[5].find("\"descriptionCode\": -2, \"description\": null}"), std::string::npos) << lines[5];
            EXPECT_NE(lines[6].find("\"check\": 1006"), std::string::npos) << lines[6];
            EXPECT_NE(lines[7].find("\"check\": -1"), std::string::npos) << lines[7];
            EXPECT_NE(lines[8].find("\"check\": 2, \"kind\": 0"), std::string::npos) << lines[8];
        }
    }
}
