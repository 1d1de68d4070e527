// The text rules of GetModulePath and GetHostDirectory: the outcome of
// GetModuleFileNameA, and the cut after the last backslash, walking the path
// as multibyte text.
#include "files/HostPath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Shift-JIS (code page 932) lead bytes.
bool ShiftJisLead(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }
bool NoLead(unsigned char) { return false; }

std::string Directory(const std::string& path, bool (*lead)(unsigned char) = NoLead) {
    return path.substr(0, DirectoryPrefixLength(path.data(), path.size(), lead));
}

}  // namespace

TEST(HostPath, CutsAfterTheLastBackslash) {
    EXPECT_EQ(Directory("C:\\Velmark\\Admin\\VMADMIN.EXE"), "C:\\Velmark\\Admin\\");
    EXPECT_EQ(Directory("\\\\server\\share\\host.exe"), "\\\\server\\share\\");
}

TEST(HostPath, RootOfADriveKeepsItsBackslash) { EXPECT_EQ(Directory("C:\\HOST.EXE"), "C:\\"); }

TEST(HostPath, NoBackslashKeepsTheWholeText) {
    EXPECT_EQ(Directory("HOST.EXE"), "HOST.EXE");
    EXPECT_EQ(Directory("C:/dir/host.exe"), "C:/dir/host.exe");  // slashes are not separators here
    EXPECT_EQ(Directory(""), "");
}

TEST(HostPath, TrailingBackslashStays) { EXPECT_EQ(Directory("C:\\dir\\"), "C:\\dir\\"); }

TEST(HostPath, SecondByteOfADoubleByteCharacterIsNoBackslash) {
    // 0x83 0x5C is the katakana "so" in Shift-JIS; its second byte is 0x5C.
    const std::string so = "\x83\x5C";
    EXPECT_EQ(Directory("C:\\" + so + ".EXE", ShiftJisLead), "C:\\");
    EXPECT_EQ(Directory("C:\\" + so + "\\" + so + ".EXE", ShiftJisLead), "C:\\" + so + "\\");
    EXPECT_EQ(Directory(so + so + "HOST.EXE", ShiftJisLead), so + so + "HOST.EXE");
    // Read as single-byte text the same bytes do contain backslashes.
    EXPECT_EQ(Directory("C:\\" + so + ".EXE", NoLead), "C:\\\x83\x5C");
}

TEST(HostPath, LeadByteAtTheEndStandsAlone) {
    EXPECT_EQ(Directory("C:\\dir\\\x83", ShiftJisLead), "C:\\dir\\");
    // A lead byte directly before a real backslash pairs with it.
    EXPECT_EQ(Directory("C:\\dir\x83\\x", ShiftJisLead), "C:\\");
}

TEST(HostPath, ModuleNameOutcomes) {
    size_t length = 99;
    const char name[] = "C:\\HOST\\VMADMIN.EXE";
    EXPECT_EQ(ModulePathLength(name, sizeof name - 1, 260, 0, length), 0);
    EXPECT_EQ(length, sizeof name - 1);
    // The call failed: its last error, or 1 when it gave none.
    length = 99;
    EXPECT_EQ(ModulePathLength(name, 0, 260, 5, length), 5);
    EXPECT_EQ(ModulePathLength(name, 0, 260, 0, length), 1);
    EXPECT_EQ(length, 99u);
}

TEST(HostPath, NameFillingTheWholeBufferWasCut) {
    // GetModuleFileNameA returns the buffer size for a cut name, whatever
    // the last error says (Windows 2000 and older leave it unset).
    std::string cut(260, 'a');
    cut[2] = '\\';
    size_t length = 99;
    EXPECT_EQ(ModulePathLength(cut.c_str(), 260, 260, 122, length), 122);
    EXPECT_EQ(ModulePathLength(cut.c_str(), 260, 260, 0, length), 122);
    EXPECT_EQ(length, 99u);
    // 259 characters and the NUL fit.
    EXPECT_EQ(ModulePathLength(cut.c_str(), 259, 260, 0, length), 0);
    EXPECT_EQ(length, 259u);
}
