// The console's essential path on one platform family: run by the version
// matrix in a Wine prefix of its own that reports win95, nt40, winxp or
// win10. PLUGWARD_FAMILY names the family the prefix must give (WIN95 or
// WINNT); every list of that family is checked byte for byte, and the four
// lists of the other family must never come into being.
#include "tests/fixtures/Fixtures.h"
#include "registry/RegistryKey.h"
#include "tests/hostile/RawLists.h"
#include "tests/support/Process.h"
#include "tests/support/Scratch.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {
const char kListBase[] = "Software\\Velmark\\Parameters\\Velmark Administrator\\";
const char* const kLists[] = {"Snapin Object DLLs", "Disabled Snapin Object DLLs", "Snapin View DLLs",
                              "Disabled Snapin View DLLs"};
enum List { kObjectOn, kObjectOff, kViewOn, kViewOff };

std::string Family() {
    const char* family = std::getenv("PLUGWARD_FAMILY");
    return family ? family : "";
}

std::string OtherFamily() { return Family() == "WIN95" ? "WINNT" : "WIN95"; }

std::string KeyOf(List list, const std::string& family) { return kListBase + std::string(kLists[list]) + " " + family; }

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class PlatformFamily : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Family() == "WIN95" || Family() == "WINNT") << "PLUGWARD_FAMILY must be WIN95 or WINNT";
        ASSERT_TRUE(CreateDirectoryA((m_host / "SNAPINS").c_str(), nullptr));
        Install("VMADMIN.EXE", "VMADMIN.EXE");
        Install("admext32.dll", "admext32.dll");
    }

    void TearDown() override {
        for (List list : {kObjectOn, kObjectOff, kViewOn, kViewOff}) {
            const std::string other = KeyOf(list, OtherFamily());
            EXPECT_TRUE(ReadRawList(other.c_str()).empty()) << other;
            CRegistryKey key;
            EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, other.c_str(), 0, KEY_READ, &key.Receive()), 0)
                << other << " exists";
        }
    }

    void Install(const std::string& built, const std::string& target) {
        ASSERT_TRUE(CopyFileA((ExecutableDirectory() + built).c_str(), (m_host / target).c_str(), FALSE)) << built;
    }

    void Put(List list, const std::string& name, const std::string& data) {
        PutRaw(KeyOf(list, Family()).c_str(), name, REG_SZ, data + '\0');
    }

    RawList Read(List list) { return ReadRawList(KeyOf(list, Family()).c_str()); }

    std::string RunConsole(const std::string& options) {
        const std::string logPath = m_host / "console.log";
        const ProcessResult result = RunProcess("\"" + (m_host / "VMADMIN.EXE") + "\" --hkcu \"" + m_scratch.path() +
                                                    "\" --log \"" + logPath + "\" " + options + " --exit",
                                                m_host.path());
        EXPECT_EQ(result.exitCode, 0u) << result.output;
        return ReadFile(logPath);
    }

    ScratchHkcu m_scratch;
    TempDir m_host;
};

void ExpectInLog(const std::string& log, const std::string& text) {
    EXPECT_NE(log.find(text), std::string::npos) << "missing \"" << text << "\" in log:\n" << log;
}

TEST_F(PlatformFamily, NewSnapinsAreWrittenLoadedAndSwitchedInTheFamilysLists) {
    Install("PLUGWARD.DLL", "PLUGWARD.DLL");
    Put(kObjectOn, "PLUGWARD.DLL", "PLUGWARD.DLL");
    Install(fixtures::kObjectDll, "SNAPINS\\OBJSNAP.DLL");
    Install(fixtures::kViewDll, "SNAPINS\\VIEWSNAP.DLL");

    ExpectInLog(RunConsole("--answer \"New Snapins Installed=enter\""),
                std::string("row \"") + fixtures::kViewDescription + "\"");
    EXPECT_EQ(Read(kObjectOn), (RawList{{"PLUGWARD.DLL", SzValue("PLUGWARD.DLL")},
                                        {"OBJSNAP.DLL", SzValue("SNAPINS\\OBJSNAP.DLL")}}));
    EXPECT_EQ(Read(kViewOn), (RawList{{"VIEWSNAP.DLL", SzValue("SNAPINS\\VIEWSNAP.DLL")}}));
    EXPECT_TRUE(Read(kObjectOff).empty());
    EXPECT_TRUE(Read(kViewOff).empty());

    const std::string second = RunConsole(std::string("--menu \"Snap-in Configuration\" --answer \"Snapin Configuration=toggle:") +
                                          fixtures::kViewDescription + ",enter\"");
    ExpectInLog(second, "loaded SNAPINS\\OBJSNAP.DLL (InitSnapin returned 0)");
    ExpectInLog(second, "loaded SNAPINS\\VIEWSNAP.DLL (InitSnapin returned 0)");
    EXPECT_TRUE(Read(kViewOn).empty());
    EXPECT_EQ(Read(kViewOff), (RawList{{"VIEWSNAP.DLL", SzValue("SNAPINS\\VIEWSNAP.DLL")}}));
    EXPECT_EQ(Read(kObjectOn).size(), 2u);

    const std::string third = RunConsole("");
    ExpectInLog(third, "started 2 snap-in(s)");
    EXPECT_EQ(third.find("VIEWSNAP.DLL"), std::string::npos) << third;
}

TEST_F(PlatformFamily, ModuleUnderAnotherNameRepairsItsEntryInTheFamilysViewList) {
    Install("PLUGWARD.DLL", "OTHER.DLL");
    Put(kViewOn, "OLDNAME.DLL", "OTHER.DLL");

    ExpectInLog(RunConsole(""), "loaded OTHER.DLL (InitSnapin returned 0)");
    // No PLUGWARD.DLL in the host directory: the repaired entry has empty data.
    EXPECT_EQ(Read(kViewOn), (RawList{{"PLUGWARD.DLL", SzValue("")}}));
    EXPECT_TRUE(Read(kObjectOn).empty());
}
}  // namespace
