// CheckSnapinImage and InspectSnapinFile on real files under Wine: the
// fixtures built by the toolchain, synthetic images written to a scratch
// directory, and the platform's failures (missing, empty, shared, directory).
// After every call the file must be free again: a leaked handle, mapping or
// view would keep it from being opened for exclusive access.
#include "files/SnapinFiles.h"
#include "tests/fixtures/Fixtures.h"
#include "tests/native/ImageBuilder.h"
#include "tests/support/Scratch.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const std::string kRdataMarker = S("strings\0InitSnapin\0more\0");
const std::string kViewImports = S("\0\0admext32.dll\0\0\0VMARegisterMDIChildWindow\0\0");
const std::string kObjectImports = S("\0\0KERNEL32.dll\0\0\0GetVersionExA\0");

struct Checked {
    int result;
    int32_t kind;
    ImageVerdict verdict;
};

struct Resources {
    // The values the next 16 new handles get: freed handle slots are reused,
    // so a leaked handle takes one of them away (the platform's
    // GetProcessHandleCount gives 0 under Wine).
    std::set<HANDLE> nextHandles;
    int views = 0;  // mapped views of files in the address space
};

Resources CountResources() {
    Resources counted;
    std::vector<HANDLE> events;
    for (int i = 0; i < 16; ++i) events.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    for (HANDLE event : events) {
        counted.nextHandles.insert(event);
        CloseHandle(event);
    }
    MEMORY_BASIC_INFORMATION info;
    const char* address = nullptr;
    while (VirtualQuery(address, &info, sizeof info) == sizeof info) {
        if (info.State != MEM_FREE && info.Type == MEM_MAPPED && info.BaseAddress == info.AllocationBase) {
            ++counted.views;
        }
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return counted;
}

// Runs both entry points and checks they agree and that nothing stays open.
Checked Check(const std::string& path) {
    const Resources before = CountResources();
    Checked got{};
    got.kind = 77;  // CheckSnapinImage must overwrite it
    got.result = CheckSnapinImage(path.c_str(), got.kind);
    int32_t kind = 77;
    ImageVerdict verdict = ImageVerdict::Snapin;
    EXPECT_EQ(InspectSnapinFile(path.c_str(), kind, verdict), got.result) << path;
    EXPECT_EQ(kind, got.kind) << path;
    got.verdict = verdict;
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        EXPECT_TRUE(CanOpenExclusively(path)) << "a handle to " << path << " was left open";
    }
    const Resources after = CountResources();
    EXPECT_EQ(after.nextHandles, before.nextHandles) << "a handle left open by " << path;
    EXPECT_EQ(after.views, before.views) << "views left mapped by " << path;
    return got;
}

std::string Fixture(const char* name) { return OwnCopy(name); }

class SyntheticImage : public testing::Test {
protected:
    // Writes the image to a fresh file and checks it.
    Checked CheckBytes(const ImageBuilder::Bytes& bytes) {
        const std::string path = m_dir / ("image" + std::to_string(m_count++) + ".dll");
        EXPECT_TRUE(WriteBytes(path, bytes.data(), bytes.size()));
        return Check(path);
    }
    TempDir m_dir;
    int m_count = 0;
};

}  // namespace

void PrintTo(ImageVerdict verdict, std::ostream* os) { *os << DescribeVerdict(verdict); }

// ---- Fixtures built by the toolchain -------------------------------------

TEST(CheckSnapinImageFixtures, ObjectSnapin) {
    const Checked got = Check(Fixture(fixtures::kObjectDll));
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.kind, kSnapinObject);
    EXPECT_EQ(got.verdict, ImageVerdict::Snapin);
}

TEST(CheckSnapinImageFixtures, ViewSnapin) {
    const Checked got = Check(Fixture(fixtures::kViewDll));
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.kind, kSnapinView);
}

TEST(CheckSnapinImageFixtures, SnapinWithoutImportSectionIsKind0) {
    const Checked got = Check(Fixture(fixtures::kNoImportsDll));
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.kind, kSnapinNoImportSection);
}

TEST(CheckSnapinImageFixtures, LibraryWithoutMarker) {
    const Checked got = Check(Fixture(fixtures::kNoMarkerDll));
    EXPECT_EQ(got.result, -1);
    EXPECT_EQ(got.verdict, ImageVerdict::MissingInitSnapinMarker);
    EXPECT_EQ(got.kind, 0);  // .rdata comes before .idata in the toolchain's layout
}

TEST(CheckSnapinImageFixtures, ProgramIsNotALibrary) {
    const Checked got = Check(Fixture(fixtures::kProgramExe));
    EXPECT_EQ(got.result, -1);
    EXPECT_EQ(got.verdict, ImageVerdict::NotLibrary);
    EXPECT_EQ(got.kind, 0);
}

TEST(CheckSnapinImageFixtures, VersionResourcesDoNotMatter) {
    for (const char* name : {fixtures::kNoVersionDll, fixtures::kForeignVersionDll, fixtures::kAccentedDll}) {
        SCOPED_TRACE(name);
        const Checked got = Check(Fixture(name));
        EXPECT_EQ(got.result, 0);
        EXPECT_EQ(got.kind, kSnapinObject);
    }
}

TEST(CheckSnapinImageFixtures, FixturesLoadAndStart) {
    // The fixtures are real modules: the platform loads them and their
    // InitSnapin runs (the no-imports one has no C runtime at all).
    for (const char* name : {fixtures::kObjectDll, fixtures::kViewDll, fixtures::kNoImportsDll}) {
        SCOPED_TRACE(name);
        HMODULE module = LoadLibraryA(Fixture(name).c_str());
        ASSERT_NE(module, nullptr) << "LoadLibrary error " << GetLastError();
        auto init = reinterpret_cast<int(__cdecl*)()>(GetProcAddress(module, "InitSnapin"));
        ASSERT_NE(init, nullptr);
        EXPECT_EQ(init(), 0);
        FreeLibrary(module);
    }
}

TEST(CheckSnapinImageFixtures, HostLibraryIsNotASnapin) {
    // admext32.dll has .rdata without the marker.
    const Checked got = Check(OwnCopy("admext32.dll"));
    EXPECT_EQ(got.result, -1);
}

// ---- Platform failures ----------------------------------------------------

TEST(CheckSnapinImagePlatform, MissingFileGivesNotFoundAndKind0) {
    TempDir dir;
    const Checked got = Check(dir / "MISSING.DLL");
    EXPECT_EQ(got.result, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(got.kind, 0);
}

TEST(CheckSnapinImagePlatform, MissingDirectoryGivesPathNotFound) {
    TempDir dir;
    const Checked got = Check(dir / "NO\\SUCH.DLL");
    EXPECT_EQ(got.result, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(got.kind, 0);
}

TEST(CheckSnapinImagePlatform, EmptyFileGivesTheMappingCode) {
    TempDir dir;
    const std::string path = dir / "EMPTY.DLL";
    ASSERT_TRUE(WriteBytes(path, "", 0));
    // What the platform says when asked to map an empty file.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const DWORD platformCode = GetLastError();
    ASSERT_EQ(mapping, nullptr);
    CloseHandle(file);

    const Checked got = Check(path);
    EXPECT_EQ(got.result, static_cast<int>(platformCode));
    EXPECT_EQ(got.result, ERROR_FILE_INVALID);  // 1006, as on Windows
    EXPECT_EQ(got.kind, 0);
}

TEST(CheckSnapinImagePlatform, FileHeldOpenForWritingGivesSharingViolation) {
    TempDir dir;
    const std::string path = dir / "BUSY.DLL";
    const auto bytes = ImageBuilder().Build();
    ASSERT_TRUE(WriteBytes(path, bytes.data(), bytes.size()));
    for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        SCOPED_TRACE(share);
        HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
        int32_t kind = 77;
        EXPECT_EQ(CheckSnapinImage(path.c_str(), kind), ERROR_SHARING_VIOLATION);
        EXPECT_EQ(kind, 0);
        CloseHandle(writer);
    }
    EXPECT_TRUE(CanOpenExclusively(path));
}

TEST(CheckSnapinImagePlatform, FileHeldOpenForReadingIsInspected) {
    TempDir dir;
    const std::string path = dir / "READ.DLL";
    const auto bytes = ImageBuilder().Section(".rdata", kRdataMarker).Build();
    ASSERT_TRUE(WriteBytes(path, bytes.data(), bytes.size()));
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    int32_t kind = 77;
    EXPECT_EQ(CheckSnapinImage(path.c_str(), kind), 0);
    EXPECT_EQ(kind, 0);
    CloseHandle(reader);
    EXPECT_TRUE(CanOpenExclusively(path));
}

TEST(CheckSnapinImagePlatform, DirectoryCannotBeOpened) {
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryA((dir / "FOLDER.DLL").c_str(), nullptr));
    int32_t kind = 77;
    const int result = CheckSnapinImage((dir / "FOLDER.DLL").c_str(), kind);
    EXPECT_EQ(result, ERROR_ACCESS_DENIED);
    EXPECT_EQ(kind, 0);
}

// ---- Synthetic images -----------------------------------------------------

TEST_F(SyntheticImage, HeaderFailures) {
    struct Case {
        const char* what;
        ImageBuilder::Bytes bytes;
        ImageVerdict verdict;
    };
    auto shortImage = ImageBuilder().Build();
    shortImage.resize(40);
    auto farHeader = ImageBuilder().Build();
    Put32(farHeader, 60, 0x7FFFFFF0u);
    const Case cases[] = {
        {"one byte", ImageBuilder::Bytes{'M'}, ImageVerdict::HeaderOutsideFile},
        {"text file", ImageBuilder::Bytes{'h', 'e', 'l', 'l', 'o', '\n'}, ImageVerdict::NoMzSignature},
        {"DOS executable", ImageBuilder().RelocTable(0x1C).Build(), ImageVerdict::DosExecutable},
        {"NE image", ImageBuilder().PeSignature(0x454E).Build(), ImageVerdict::NoPeSignature},
        {"program", ImageBuilder().Characteristics(0x0102).Build(), ImageVerdict::NotLibrary},
        {"cut before e_lfanew", shortImage, ImageVerdict::HeaderOutsideFile},
        {"e_lfanew beyond the end", farHeader, ImageVerdict::HeaderOutsideFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Checked got = CheckBytes(c.bytes);
        EXPECT_EQ(got.result, -1);
        EXPECT_EQ(got.verdict, c.verdict) << DescribeVerdict(got.verdict);
        EXPECT_EQ(got.kind, 0);
    }
}

TEST_F(SyntheticImage, Kinds) {
    Checked got = CheckBytes(ImageBuilder().Section(".rdata", kRdataMarker).Section(".idata", kObjectImports).Build());
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.kind, kSnapinObject);
    got = CheckBytes(ImageBuilder().Section(".rdata", kRdataMarker).Section(".idata", kViewImports).Build());
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.kind, kSnapinView);
    got = CheckBytes(ImageBuilder().Section(".rdata", kRdataMarker).Build());
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.kind, kSnapinNoImportSection);
    got = CheckBytes(ImageBuilder().Build());  // no sections at all
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.kind, kSnapinNoImportSection);
}

TEST_F(SyntheticImage, MarkerRules) {
    EXPECT_EQ(CheckBytes(ImageBuilder().Section(".rdata", S("InitSnapinX\0")).Build()).result, -1);
    EXPECT_EQ(CheckBytes(ImageBuilder().Section(".rdata", S("xx\0Init")).Build()).result, 0);
    EXPECT_EQ(CheckBytes(ImageBuilder().Section(".RDATA", "none").Build()).result, 0);
}

TEST_F(SyntheticImage, IdataBeforeAFailingRdataSetsTheKind) {
    Checked got = CheckBytes(ImageBuilder().Section(".idata", kViewImports).Section(".rdata", "none").Build());
    EXPECT_EQ(got.result, -1);
    EXPECT_EQ(got.kind, kSnapinView);
    got = CheckBytes(ImageBuilder().Section(".idata", kObjectImports).Section(".rdata", "none").Build());
    EXPECT_EQ(got.result, -1);
    EXPECT_EQ(got.kind, kSnapinObject);
}

TEST_F(SyntheticImage, SeveralIdataLastWins) {
    const Checked got = CheckBytes(
        ImageBuilder().Section(".idata", kViewImports).Section(".rdata", kRdataMarker).Section(".idata", kObjectImports).Build());
    EXPECT_EQ(got.result, 0);
    EXPECT_EQ(got.kind, kSnapinObject);
}

TEST_F(SyntheticImage, OutOfRangeFieldsGiveMinusOneWithoutCrashing) {
    struct Case {
        const char* what;
        ImageBuilder::Bytes bytes;
        ImageVerdict verdict;
    };
    auto tableCut = ImageBuilder().Section(".rdata", kRdataMarker).Build();
    tableCut.resize(0x80 + 248 + 20);
    const Case cases[] = {
        {"section count far beyond the table", ImageBuilder().Section(".text", "x").SectionCount(0xFFFF).Build(),
         ImageVerdict::SectionOutsideFile},
        {"section table cut", tableCut, ImageVerdict::SectionOutsideFile},
        {".rdata far beyond the end", ImageBuilder().RawSection(".rdata", 0x1000, 0x7FFFF000u).Build(),
         ImageVerdict::SectionOutsideFile},
        {".rdata sum wraps in 32 bits", ImageBuilder().RawSection(".rdata", 0x2000, 0xFFFFF000u).Build(),
         ImageVerdict::SectionOutsideFile},
        {".idata one page past the end", ImageBuilder().RawSection(".idata", 0x1000, 0x1000).Build(),
         ImageVerdict::SectionOutsideFile},
        {".rdata negative size", ImageBuilder().RawSection(".rdata", 0x80000000u, 0x7FFFFFFFu).Build(),
         ImageVerdict::MissingInitSnapinMarker},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Checked got = CheckBytes(c.bytes);
        EXPECT_EQ(got.result, -1);
        EXPECT_EQ(got.verdict, c.verdict) << DescribeVerdict(got.verdict);
    }
}

TEST_F(SyntheticImage, DataEndingExactlyAtTheEndOfTheFile) {
    // The last byte of the file is the last byte of the marker (no NUL after
    // it): inside the file, and a match by the end-of-block rule.
    auto bytes = ImageBuilder().Section(".rdata", S("xx\0InitSnapin")).Build();
    EXPECT_EQ(CheckBytes(bytes).result, 0);
}

TEST(CheckSnapinImagePlatform, LeakDetectorSeesEveryKindOfHandle) {
    // Check() notices a leaked file handle by CanOpenExclusively, and a
    // leaked mapping handle or view by the next handle value and the count of
    // mapped views (the platform lets a file with only a mapping or a view be
    // opened exclusively). Each of them alone is seen here.
    TempDir dir;
    const std::string path = dir / "HELD.DLL";
    const auto bytes = ImageBuilder().Section(".rdata", kRdataMarker).Build();
    ASSERT_TRUE(WriteBytes(path, bytes.data(), bytes.size()));
    const Resources before = CountResources();

    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_RANDOM_ACCESS, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CanOpenExclusively(path)) << "file handle";
    EXPECT_NE(CountResources().nextHandles, before.nextHandles) << "file handle";
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    ASSERT_NE(view, nullptr);
    CloseHandle(file);
    EXPECT_NE(CountResources().nextHandles, before.nextHandles) << "mapping handle";
    CloseHandle(mapping);
    EXPECT_EQ(CountResources().views, before.views + 1) << "view";
    UnmapViewOfFile(view);
    EXPECT_TRUE(CanOpenExclusively(path));
    EXPECT_EQ(CountResources().nextHandles, before.nextHandles);
    EXPECT_EQ(CountResources().views, before.views);
}
