// GetFileDescription on the fixtures' version resources under Wine, and the rows
// that show them.
#include "files/SnapinFiles.h"
#include "tests/fixtures/Fixtures.h"
#include "tests/support/Scratch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kUntouched[] = "untouched";

std::string Fixture(const char* name) { return OwnCopy(name); }

// The code the platform's size query gives for a file, as GetFileDescription maps it.
int SizeQueryCode(const std::string& path) {
    DWORD handle = 0;
    SetLastError(0);
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size != 0) return 0;
    const DWORD code = GetLastError();
    return code ? static_cast<int>(code) : ERROR_RESOURCE_DATA_NOT_FOUND;
}

// A value of a file's version resource, read with the platform's API alone.
struct RawVersionValue {
    bool found = false;
    std::string text;
    UINT length = 0;
};

RawVersionValue QueryVersionValue(const std::string& path, const char* query) {
    RawVersionValue result;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    std::string block(size * 2, '\0');
    void* value = nullptr;
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, &block[0]) ||
        !VerQueryValueA(&block[0], query, &value, &result.length) || !value)
        return result;
    result.found = true;
    result.text = static_cast<const char*>(value);
    return result;
}

// Makes a directory current for the life of the object.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& path) {
        GetCurrentDirectoryA(MAX_PATH, m_saved);
        SetCurrentDirectoryA(path.c_str());
    }
    ~CurrentDirectory() { SetCurrentDirectoryA(m_saved); }

private:
    char m_saved[MAX_PATH] = {};
};

// Puts a copy of a fixture into the SNAPINS directory below a host directory.
void InstallFixture(const TempDir& host, const char* fixture, const char* installedName) {
    CreateDirectoryA((host / "SNAPINS").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((ExecutableDirectory() + fixture).c_str(), (host / "SNAPINS\\" + installedName).c_str(), FALSE))
        << fixture;
}
}  // namespace

TEST(GetFileDescription, USEnglishDescriptionOfEachFixture) {
    const struct {
        const char* file;
        const char* description;
    } cases[] = {
        {fixtures::kObjectDll, fixtures::kObjectDescription},
        {fixtures::kViewDll, fixtures::kViewDescription},
        {fixtures::kNoImportsDll, fixtures::kNoImportsDescription},
        {fixtures::kNoMarkerDll, fixtures::kNoMarkerDescription},
        {fixtures::kProgramExe, fixtures::kProgramDescription},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        CString description(kUntouched);
        ASSERT_EQ(GetFileDescription(Fixture(c.file).c_str(), description), 0);
        EXPECT_STREQ(description.GetString(), c.description);
        // The reported length counts the NUL; the description does not carry it.
        EXPECT_EQ(description.GetLength(), static_cast<int>(std::strlen(c.description)));
        EXPECT_TRUE(CanOpenExclusively(Fixture(c.file)));
    }
}

TEST(GetFileDescription, PlatformReportsTheTerminatingNulInTheLength) {
    // The fault the implementation mends: VerQueryValueA's length includes
    // the NUL, so copying "exactly that many characters" would keep it.
    const RawVersionValue value =
        QueryVersionValue(Fixture(fixtures::kObjectDll), "\\StringFileInfo\\040904B0\\FileDescription");
    ASSERT_TRUE(value.found);
    EXPECT_EQ(value.length, std::strlen(fixtures::kObjectDescription) + 1) << "the platform's length";
}

TEST(GetFileDescription, NoVersionResourceGivesTheSizeQueryCode) {
    const std::string path = Fixture(fixtures::kNoVersionDll);
    const int expected = SizeQueryCode(path);
    EXPECT_NE(expected, 0);
    CString description(kUntouched);
    EXPECT_EQ(GetFileDescription(path.c_str(), description), expected);
    EXPECT_TRUE(expected == ERROR_RESOURCE_DATA_NOT_FOUND || expected == ERROR_RESOURCE_TYPE_NOT_FOUND)
        << "code " << expected;
    EXPECT_STREQ(description.GetString(), kUntouched);
}

TEST(GetFileDescription, ForeignLanguageOnlyGivesMinus2) {
    CString description(kUntouched);
    EXPECT_EQ(GetFileDescription(Fixture(fixtures::kForeignVersionDll).c_str(), description), -2);
    EXPECT_STREQ(description.GetString(), kUntouched);
}

TEST(GetFileDescription, ForeignTableIsReallyThere) {
    // The -2 above is for the language, not for a missing table.
    const RawVersionValue value =
        QueryVersionValue(Fixture(fixtures::kForeignVersionDll), "\\StringFileInfo\\040704B0\\FileDescription");
    ASSERT_TRUE(value.found);
    EXPECT_EQ(value.text, fixtures::kForeignDescription);
}

TEST(GetFileDescription, MissingFileGivesNotFound) {
    TempDir dir;
    CString description(kUntouched);
    const int result = GetFileDescription((dir / "MISSING.DLL").c_str(), description);
    EXPECT_EQ(result, SizeQueryCode(dir / "MISSING.DLL"));
    EXPECT_EQ(result, ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(description.GetString(), kUntouched);
}

TEST(GetFileDescription, FileThatIsNoImageGivesAPlatformCode) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir / "TEXT.DLL", "just some text\r\n"));
    ASSERT_TRUE(WriteBytes(dir / "EMPTY.DLL", ""));
    for (const char* name : {"TEXT.DLL", "EMPTY.DLL"}) {
        SCOPED_TRACE(name);
        CString description(kUntouched);
        const int result = GetFileDescription((dir / name).c_str(), description);
        EXPECT_GT(result, 0);
        EXPECT_EQ(result, SizeQueryCode(dir / name));
        EXPECT_STREQ(description.GetString(), kUntouched);
    }
}

TEST(GetFileDescription, NonAsciiDescriptionInTheAnsiCodePage) {
    CString description(kUntouched);
    ASSERT_EQ(GetFileDescription(Fixture(fixtures::kAccentedDll).c_str(), description), 0);
    // Whatever the code page, the text is the platform's ANSI form of it.
    char expected[128];
    const wchar_t wide[] = L"Plugward fixture: caf\x00e9 snap-in";
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, wide, -1, expected, sizeof expected, nullptr, nullptr), 0);
    EXPECT_STREQ(description.GetString(), expected);
    if (GetACP() == 1252) {
        EXPECT_STREQ(description.GetString(), fixtures::kAccentedDescription1252);
    }
}

TEST(RowText, HandsTheRelativeDataOnUnchanged) {
    TempDir host;
    InstallFixture(host, fixtures::kObjectDll, "OBJECT.DLL");
    {
        TempDir elsewhere;
        CurrentDirectory current(elsewhere.path());
        EXPECT_STREQ(RowText("SNAPINS\\OBJECT.DLL", "OBJECT.DLL"), "OBJECT.DLL");
    }
    CurrentDirectory current(host.path());
    EXPECT_STREQ(RowText("SNAPINS\\OBJECT.DLL", "OBJECT.DLL"), FIXTURE_OBJECT_DESCRIPTION);
}

TEST(RowText, FailuresShowTheName) {
    TempDir host;
    InstallFixture(host, fixtures::kNoVersionDll, "NOVERSION.DLL");
    InstallFixture(host, fixtures::kForeignVersionDll, "FOREIGN.DLL");
    CurrentDirectory current(host.path());
    CString ignored;
    ASSERT_NE(GetFileDescription("SNAPINS\\NOVERSION.DLL", ignored), 0);
    ASSERT_EQ(GetFileDescription("SNAPINS\\FOREIGN.DLL", ignored), -2);
    // No version resource, none in U.S. English, no file, and the empty data
    // a caller hands over for an entry it could not read.
    for (const char* data : {"SNAPINS\\NOVERSION.DLL", "SNAPINS\\FOREIGN.DLL", "SNAPINS\\MISSING.DLL", ""})
        EXPECT_STREQ(RowText(data, "NAME.DLL"), "NAME.DLL") << data;
}
