// Version resources that are cut short or whose length fields lie: the
// description is either read correctly, or a result code says why not; it is
// never text from outside the resource, and the file is never left open.
#include "files/SnapinFiles.h"
#include "tests/fixtures/Fixtures.h"
#include "tests/hostile/RawLists.h"
#include "tests/support/ProbeHost.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {
const char kUntouched[] = "untouched";

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string Utf16(const char* text) {
    std::string wide;
    for (; *text; ++text) wide += std::string(1, *text) + '\0';
    return wide;
}

// The fixture's image and the version structures inside it. Each structure
// starts with wLength, wValueLength and wType, then its UTF-16 key.
class VersionImage {
public:
    VersionImage() : m_bytes(ReadAll(ExecutableDirectory() + fixtures::kObjectDll)) {}

    const std::string& bytes() const { return m_bytes; }
    // Offset of the structure whose key is `key`; npos if absent.
    size_t Header(const char* key) const {
        const size_t at = m_bytes.find(Utf16(key));
        return at == std::string::npos || at < 6 ? std::string::npos : at - 6;
    }
    size_t Root() const { return Header("VS_VERSION_INFO"); }
    unsigned Word(size_t at) const {
        return static_cast<unsigned char>(m_bytes[at]) | static_cast<unsigned char>(m_bytes[at + 1]) << 8;
    }
    // The UTF-16 text of the FileDescription value.
    size_t DescriptionText() const { return m_bytes.find(Utf16(fixtures::kObjectDescription)); }

    std::string WithWord(size_t at, unsigned value) const {
        std::string copy = m_bytes;
        copy[at] = static_cast<char>(value & 0xFF);
        copy[at + 1] = static_cast<char>(value >> 8);
        return copy;
    }

private:
    std::string m_bytes;
};

bool IsPrefixOf(const std::string& text, const std::string& whole) { return whole.compare(0, text.size(), text) == 0; }

class VersionResources : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(image.Root(), std::string::npos);
        ASSERT_NE(image.Header("FileDescription"), std::string::npos);
        ASSERT_NE(image.DescriptionText(), std::string::npos);
    }

    // Writes the bytes as a module and reads its description. A success must
    // give the fixture's description or a beginning of it (a value length
    // that claims less); a failure leaves the output alone. The file is
    // closed again either way.
    int Describe(const std::string& bytes, const std::string& what) {
        const std::string path = dir / "DAMAGED.DLL";
        EXPECT_TRUE(WriteBytes(path, bytes)) << what;
        CString description(kUntouched);
        const int result = GetFileDescription(path.c_str(), description);
        if (result == 0)
            EXPECT_TRUE(IsPrefixOf(description.GetString(), fixtures::kObjectDescription))
                << what << ": \"" << description.GetString() << "\"";
        else
            EXPECT_STREQ(description.GetString(), kUntouched) << what << ": " << result;
        EXPECT_TRUE(CanOpenExclusively(path)) << what;
        return result;
    }

    VersionImage image;
    TempDir dir;
};
}  // namespace

TEST_F(VersionResources, LyingLengthFieldsGiveACodeOrTheTrueDescription) {
    ASSERT_EQ(Describe(image.bytes(), "unchanged"), 0);
    const size_t root = image.Root();
    const size_t description = image.Header("FileDescription");
    const struct {
        const char* what;
        size_t at;
        unsigned value;
    } cases[] = {
        {"root wLength 0xFFFF", root, 0xFFFF},
        {"root wLength 0", root, 0},
        {"root wLength 4", root, 4},
        {"root wLength one byte short", root, image.Word(root) - 1},
        {"root wValueLength 0xFFFF", root + 2, 0xFFFF},
        {"StringFileInfo wLength 0xFFFF", image.Header("StringFileInfo"), 0xFFFF},
        {"StringFileInfo wLength 0", image.Header("StringFileInfo"), 0},
        {"string table wLength 0xFFFF", image.Header("040904b0") != std::string::npos ? image.Header("040904b0")
                                                                                      : image.Header("040904B0"),
         0xFFFF},
        {"FileDescription wLength 0xFFFF", description, 0xFFFF},
        {"FileDescription wLength 0", description, 0},
        {"FileDescription wValueLength 0xFFFF", description + 2, 0xFFFF},
        {"FileDescription wValueLength 0", description + 2, 0},
        {"FileDescription wValueLength 3", description + 2, 3},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.at, std::string::npos) << c.what;
        const int result = Describe(image.WithWord(c.at, c.value), c.what);
        std::printf("[ figures  ] %s: %d\n", c.what, result);
    }
}

TEST_F(VersionResources, CorruptBlockIsToldApartOnlyWhereAsked) {
    const std::string path = dir / "DAMAGED.DLL";
    ASSERT_TRUE(WriteBytes(path, image.WithWord(image.Root(), 0)));
    CString description;
    EXPECT_EQ(ReadFileDescription(path.c_str(), description), kCorruptVersionBlock);
    EXPECT_EQ(GetFileDescription(path.c_str(), description), -2) << "the module's own result stays";
    const std::string foreign = ExecutableDirectory() + fixtures::kForeignVersionDll;
    EXPECT_EQ(ReadFileDescription(foreign.c_str(), description), -2);
}

TEST_F(VersionResources, EveryLengthWordOfTheResourceCorrupted) {
    // Each 16-bit word of the version resource set to 0 and to 0xFFFF in
    // turn, except the characters of the description itself.
    const size_t root = image.Root();
    const size_t end = root + image.Word(root);
    const size_t text = image.DescriptionText();
    const size_t textEnd = text + 2 * sizeof fixtures::kObjectDescription;
    int variants = 0, described = 0;
    for (size_t at = root; at + 1 < end; at += 2) {
        if (at >= text && at < textEnd) continue;
        for (unsigned value : {0x0000u, 0xFFFFu}) {
            const int result = Describe(image.WithWord(at, value), "word " + std::to_string(at - root) + " = " +
                                                                       std::to_string(value));
            ++variants;
            described += result == 0;
        }
    }
    std::printf("[ figures  ] %d corrupted resources, %d still described\n", variants, described);
    EXPECT_GT(variants, 100);
}

TEST_F(VersionResources, FileCutShortInsideTheResource) {
    const size_t root = image.Root();
    for (size_t cut : {root - 1, root + 3, root + 40, image.DescriptionText() + 4, root + image.Word(root) - 1}) {
        const int result = Describe(image.bytes().substr(0, cut), "cut at " + std::to_string(cut));
        EXPECT_NE(result, 0) << cut;
    }
}

TEST_F(VersionResources, DiscoveryRowsShowWhatTheFileSays) {
    // The same damaged files in SNAPINS\: each row is the description that
    // GetFileDescription reads in this process, or the file name.
    ScratchHkcu hkcu;
    ProbeHost host;
    ASSERT_TRUE(host.installed());
    ASSERT_TRUE(host.AddSnapinsDirectory(""));
    PutEntry(kObjectOn, "PLUGWARD.DLL", "PLUGWARD.DLL");
    const size_t root = image.Root();
    const size_t description = image.Header("FileDescription");
    const std::pair<const char*, std::string> files[] = {
        {"ROOTLONG.DLL", image.WithWord(root, 0xFFFF)},
        {"ROOTZERO.DLL", image.WithWord(root, 0)},
        {"DESCLONG.DLL", image.WithWord(description + 2, 0xFFFF)},
        {"DESCSHORT.DLL", image.WithWord(description + 2, 3)},
        {"TABLE.DLL", image.WithWord(image.Header("StringFileInfo"), 0)},
    };
    std::set<std::string> expectedRows;
    for (const auto& file : files) {
        const std::string path = host.dir() / (std::string("SNAPINS\\") + file.first);
        ASSERT_TRUE(WriteBytes(path, file.second));
        int32_t kind = -1;
        ASSERT_EQ(CheckSnapinImage(path.c_str(), kind), 0) << file.first;
        CString text;
        expectedRows.insert(std::string(GetFileDescription(path.c_str(), text) == 0 ? text.GetString() : file.first) +
                            "|1");
    }

    std::string output = host.Run(hkcu, "--dialog \"New Snapins Installed\" --read 1000 --enter --init --shutdown");
    ASSERT_TRUE(Has(output, "script found=1 finished=1")) << output;
    EXPECT_TRUE(Has(output, "InitSnapin=0")) << output;
    std::multiset<std::string> rows;
    std::istringstream lines(Rows(output));
    for (std::string line; std::getline(lines, line);) rows.insert(line);
    EXPECT_EQ(rows.size(), std::size(files));
    EXPECT_EQ(std::set<std::string>(rows.begin(), rows.end()), expectedRows);
    EXPECT_EQ(ReadRawList(kObjectOn).size(), 1 + std::size(files));
}
