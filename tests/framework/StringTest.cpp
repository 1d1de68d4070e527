#include "framework/String.h"

#include <gtest/gtest.h>

TEST(String, NullAndEmptyTextsAreEmptyAndNeverNull) {
    for (const CString& text : {CString(), CString(nullptr), CString(""), CString("abc", 0), CString("abc", -1)}) {
        EXPECT_TRUE(text.IsEmpty());
        EXPECT_STREQ(text.GetString(), "");
        EXPECT_TRUE(text == nullptr);
    }
}

TEST(String, LengthCountsEveryByteAndComparesThemAll) {
    const CString withNul("A\0B", 3);
    EXPECT_EQ(withNul.GetLength(), 3);
    EXPECT_NE(withNul, CString("A\0C", 3));
    EXPECT_NE(withNul, CString("A"));
    EXPECT_FALSE(withNul == "A");
    EXPECT_TRUE(CString("SNAPINS\\") == "SNAPINS\\");
}

TEST(String, AppendsCopiesAndMovesKeepTheirOwnText) {
    CString text("ab");
    text += text;
    text += nullptr;
    EXPECT_STREQ(text, "abab");
    CString copy = text;
    copy += "!";
    EXPECT_STREQ(text, "abab");
    EXPECT_STREQ(copy + CString("?"), "abab!?");
    CString moved = std::move(copy);
    EXPECT_STREQ(moved, "abab!");
    EXPECT_TRUE(copy.IsEmpty());
    moved = moved;
    EXPECT_STREQ(moved, "abab!");
    moved.Empty();
    EXPECT_TRUE(moved.IsEmpty());
}
