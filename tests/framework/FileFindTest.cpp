#include "framework/FileFind.h"
#include "tests/support/Scratch.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

TEST(FileFind, NoMatchMeansFalse) {
    TempDir dir;
    CFileFind find;
    EXPECT_FALSE(find.FindFile((dir / "*.DLL").c_str()));
    EXPECT_FALSE(find.FindFile((dir / "MISSING\\*.DLL").c_str()));
}

TEST(FileFind, SingleMatchIsReachedAndReportsNoFurther) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir / "ONE.DLL", "x"));
    CFileFind find;
    ASSERT_TRUE(find.FindFile((dir / "*.DLL").c_str()));
    EXPECT_FALSE(find.FindNextFile());
    EXPECT_STREQ(find.GetFileName(), "ONE.DLL");
    EXPECT_FALSE(find.IsDirectory());
}

TEST(FileFind, EveryMatchOnceAndDirectoriesFlagged) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir / "A.DLL", "a"));
    ASSERT_TRUE(WriteBytes(dir / "B.DLL", "b"));
    ASSERT_TRUE(CreateDirectoryA((dir / "OLD.DLL").c_str(), nullptr));
    CFileFind find;
    ASSERT_TRUE(find.FindFile((dir / "*.DLL").c_str()));
    std::set<std::string> files, directories;
    bool more = true;
    while (more) {
        more = find.FindNextFile();
        (find.IsDirectory() ? directories : files).insert(find.GetFileName().str());
    }
    EXPECT_EQ(files, (std::set<std::string>{"A.DLL", "B.DLL"}));
    EXPECT_EQ(directories, (std::set<std::string>{"OLD.DLL"}));
    find.Close();
    EXPECT_TRUE(CanOpenExclusively(dir / "A.DLL"));
}
