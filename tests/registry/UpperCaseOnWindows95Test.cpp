// Windows 95 has LCMapStringW only as a stub that fails with
// ERROR_CALL_NOT_IMPLEMENTED. Run with a Shift-JIS active code page
// (LC_ALL=ja_JP.UTF-8 under Wine), with this program's own LCMapStringW
// failing the way the stub does.
#include "tests/faults/FaultInjector.h"
#include "registry/TextCase.h"

#include <gtest/gtest.h>

namespace {
class StubbedWideMapping : public ::testing::Test {
protected:
    // Once per process: a second install would take the shims for the real calls.
    static void SetUpTestSuite() {
        std::vector<std::string> notImported;
        installed = faults::Install(GetModuleHandleA(nullptr), notImported, installError);
    }

    void SetUp() override {
        ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
        ASSERT_TRUE(installed) << installError;
    }

    // Upper-cases `name` with the k-th LCMapStringW call failing as the stub does.
    std::string UpperCaseWithStub(const char* name, unsigned long k) {
        faults::Begin(faults::FindCall("LCMapStringW"), k);
        const CString upper = UpperCaseName(name);
        EXPECT_TRUE(faults::End()) << "LCMapStringW was not called " << k << " times";
        return upper.str();
    }

    static bool installed;
    static std::string installError;
};

bool StubbedWideMapping::installed = false;
std::string StubbedWideMapping::installError;

TEST_F(StubbedWideMapping, DoubleByteLettersAreUpperCasedThroughTheAnsiMapping) {
    // Full-width a and b become full-width A and B, whichever call fails.
    EXPECT_EQ(UpperCaseWithStub("\x82\x81\x82\x82.dll", 1), "\x82\x60\x82\x61.DLL");
    EXPECT_EQ(UpperCaseWithStub("\x82\x81\x82\x82.dll", 2), "\x82\x60\x82\x61.DLL");
}

TEST_F(StubbedWideMapping, CharactersWithoutAnUpperCaseStay) {
    // Katakana ka has no upper case; its trail byte is the code of 'a'.
    EXPECT_EQ(UpperCaseWithStub("\x83\x4a" "a", 1), "\x83\x4a" "A");
}
}  // namespace
