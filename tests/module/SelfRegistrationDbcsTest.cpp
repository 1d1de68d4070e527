// Self-registration under a Shift-JIS code page (LC_ALL=ja_JP.UTF-8, compiled
// into LOCPATH so that Wine can also name such files on Linux):
// the host directory and the module's own file name hold katakana "so",
// 0x83 0x5C, whose second byte is the code of a backslash. The module must
// still find its own file name whole.
#include "tests/support/Process.h"
#include "tests/support/Scratch.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

TEST(SelfRegistrationUnderShiftJis, ModuleNameWithA5CTrailByteIsFoundWhole) {
    ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    const std::string so = "\x83\x5C";
    const std::string moduleName = "X" + so + ".DLL";
    TempDir temp;
    const std::string host = temp / (so + "\\");
    ASSERT_TRUE(CreateDirectoryA(host.c_str(), nullptr)) << GetLastError();
    for (const std::string& file : {std::string("host_probe.exe"), std::string("admext32.dll")})
        ASSERT_TRUE(CopyFileA((ExecutableDirectory() + file).c_str(), (host + file).c_str(), FALSE)) << file;
    ASSERT_TRUE(CopyFileA((ExecutableDirectory() + "PLUGWARD.DLL").c_str(), (host + moduleName).c_str(), FALSE));

    ScratchHkcu hkcu;
    PutEntry(kObjectOn, "OLD.DLL", moduleName);
    const ProcessResult run = RunProcess("\"" + host + "host_probe.exe\" --hkcu \"" + hkcu.path() + "\" --load " +
                                             moduleName + " --init --shutdown",
                                         host);
    EXPECT_NE(run.output.find("InitSnapin=0"), std::string::npos) << run.output;
    // A name cut at the 0x5C byte (".DLL") would match no entry and move nothing.
    EXPECT_EQ(ReadList(kObjectOn), (std::map<std::string, std::string>{{"PLUGWARD.DLL", ""}}));
}
