#include "registry/TextCase.h"

#include <gtest/gtest.h>

namespace {
const UINT kWesternCodePage = 1252;
const UINT kShiftJisCodePage = 932;
}  // namespace

TEST(UpperCaseName, SingleByteCodePageCasesAsciiLettersOnly) {
    EXPECT_STREQ(UpperCaseName("abc-xyz_09.dll", kWesternCodePage), "ABC-XYZ_09.DLL");
    EXPECT_STREQ(UpperCaseName("\xE9t\xE9.dll\xFF", kWesternCodePage), "\xE9T\xE9.DLL\xFF");
    EXPECT_STREQ(UpperCaseName("Mixed.Dll"), "MIXED.DLL");
    EXPECT_STREQ(UpperCaseName(""), "");
}

TEST(UpperCaseName, DoubleByteLettersUseTheLocaleMapping) {
    // Full-width a and b become full-width A and B.
    EXPECT_STREQ(UpperCaseName("\x82\x81\x82\x82.dll", kShiftJisCodePage), "\x82\x60\x82\x61.DLL");
}

TEST(UpperCaseName, TrailBytesAreNeverTakenForAsciiLetters) {
    // 0x83 0x61 is one katakana character; its trail byte is the code of 'a'.
    EXPECT_STREQ(UpperCaseName("\x83\x61x", kShiftJisCodePage), "\x83\x61X");
}

TEST(UpperCaseName, LoneLeadByteAtTheEndStays) {
    EXPECT_STREQ(UpperCaseName("ab\x82", kShiftJisCodePage), "AB\x82");
}
