// FindStringInBlock against its definition: at every offset i the bounded
// comparison strncmp(block + i, name, length - i), first match wins.
#include "files/ImageInspection.h"
#include "tests/native/FindStringDefinition.h"
#include "tests/native/ImageBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// Offset of the match in `bytes` (searched from an exactly sized heap copy),
// or -1.
long Find(const std::string& bytes, const char* name) {
    std::unique_ptr<unsigned char[]> block(new unsigned char[bytes.size() + 1]);
    std::memcpy(block.get(), bytes.data(), bytes.size());
    const unsigned char* hit = FindStringInBlock(block.get(), static_cast<int32_t>(bytes.size()), name);
    return hit ? static_cast<long>(hit - block.get()) : -1;
}

}  // namespace

TEST(FindStringInBlock, EmptyOrNegativeLengthNeverMatches) {
    const unsigned char block[] = "InitSnapin";
    EXPECT_EQ(FindStringInBlock(block, 0, "InitSnapin"), nullptr);
    EXPECT_EQ(FindStringInBlock(block, -1, "InitSnapin"), nullptr);
    EXPECT_EQ(FindStringInBlock(block, INT32_MIN, ""), nullptr);
    EXPECT_EQ(FindStringInBlock(nullptr, 0, "x"), nullptr);
    EXPECT_EQ(FindStringInBlock(nullptr, -5, "x"), nullptr);
}

TEST(FindStringInBlock, WholeNulTerminatedOccurrence) {
    EXPECT_EQ(Find(S("InitSnapin\0"), "InitSnapin"), 0);
    EXPECT_EQ(Find(S("abc\0InitSnapin\0def"), "InitSnapin"), 4);
    EXPECT_EQ(Find(S("xInitSnapin\0"), "InitSnapin"), 1);  // no NUL needed before it
}

TEST(FindStringInBlock, MoreLettersAfterTheNameDoNotMatch) {
    EXPECT_EQ(Find(S("InitSnapinX\0"), "InitSnapin"), -1);
    EXPECT_EQ(Find(S("InitSnapinX\0InitSnapin\0"), "InitSnapin"), 12);
}

TEST(FindStringInBlock, BeginningOfTheNameAtTheEndOfTheBlock) {
    EXPECT_EQ(Find(S("abcInitSnapin"), "InitSnapin"), 3);  // r == m
    EXPECT_EQ(Find(S("abc\0Init"), "InitSnapin"), 4);
    EXPECT_EQ(Find(S("abcI"), "InitSnapin"), 3);
    EXPECT_EQ(Find(S("abcInitX"), "InitSnapin"), -1);
    EXPECT_EQ(Find(S("I"), "InitSnapin"), 0);
}

TEST(FindStringInBlock, FirstMatchWins) {
    EXPECT_EQ(Find(S("InitSnapin\0InitSnapin\0"), "InitSnapin"), 0);
    EXPECT_EQ(Find(S("IInitSnapin\0"), "InitSnapin"), 1);
    EXPECT_EQ(Find(S("IniInitSnapin\0"), "InitSnapin"), 3);
}

TEST(FindStringInBlock, EmptyNameMatchesTheFirstNul) {
    EXPECT_EQ(Find(S("ab\0cd\0"), ""), 2);
    EXPECT_EQ(Find(S("abcd"), ""), -1);
}

TEST(FindStringInBlock, NulInsideTheBlockEndsTheComparison) {
    // strncmp stops at the NUL of the name: "Init\0" is no match for
    // "InitSnapin" unless it runs to the end of the block.
    EXPECT_EQ(Find(S("Init\0Snapin"), "InitSnapin"), -1);
    EXPECT_EQ(Find(S("Init\0Snapin\0I"), "InitSnapin"), 12);
}

TEST(FindStringInBlock, HighBytesAreComparedAsBytes) {
    EXPECT_EQ(Find(S("\xff\x80\xc3\xa9\0"), "\xc3\xa9"), 2);
    EXPECT_EQ(Find(S("\xff\x80\xc3\xa9x\0"), "\xc3\xa9"), -1);
}

TEST(FindStringInBlock, AgreesWithTheDefinitionOnRandomBlocks) {
    // Small alphabets make matches, partial matches and block-end prefixes
    // frequent. Blocks are heap blocks of exactly their length.
    std::mt19937 random(20240611);
    const std::vector<std::string> names = {"InitSnapin", "VMARegisterMDIChildWindow", "I", "In", "ab", "aab",
                                            "", "\xff", "aaaa"};
    const std::string alphabets[] = {S("Init\0Snap"), S("ab\0"), S("a\0"), S("VMARegister\0Init"),
                                     std::string("\x00\x01\xfe\xff", 4)};
    long matches = 0, prefixMatches = 0, misses = 0;
    for (int round = 0; round < 200000; ++round) {
        const std::string& alphabet = alphabets[random() % 5];
        const std::string& name = names[random() % names.size()];
        const size_t length = random() % 48;
        std::unique_ptr<unsigned char[]> block(new unsigned char[length ? length : 1]);
        for (size_t i = 0; i < length; ++i) block[i] = static_cast<unsigned char>(alphabet[random() % alphabet.size()]);
        // Plant the name (or a piece of it) now and then.
        if (length && random() % 3 == 0) {
            const size_t at = random() % length;
            const size_t piece = std::min(name.size() + (random() % 2), length - at);
            for (size_t k = 0; k < piece; ++k) block[at + k] = k < name.size() ? name[k] : 0;
        }
        const int32_t signedLength = static_cast<int32_t>(length);
        const unsigned char* expected = FindStringByDefinition(block.get(), signedLength, name.c_str());
        const unsigned char* got = FindStringInBlock(block.get(), signedLength, name.c_str());
        ASSERT_EQ(got, expected) << "round " << round << " name \"" << name << "\" length " << length
                                 << " expected offset " << (expected ? expected - block.get() : -1) << " got "
                                 << (got ? got - block.get() : -1);
        if (!expected) {
            ++misses;
        } else if (static_cast<size_t>(length - (expected - block.get())) <= name.size()) {
            ++prefixMatches;
        } else {
            ++matches;
        }
    }
    // The random blocks do exercise every kind of outcome.
    EXPECT_GT(matches, 1000);
    EXPECT_GT(prefixMatches, 1000);
    EXPECT_GT(misses, 1000);
}

TEST(FindStringInBlock, AgreesWithTheDefinitionWhereTheSearchChangesItsWay) {
    // Blocks long enough for every way of searching: dense first letters,
    // dense NULs, both, and stretches longer than one Horspool stretch.
    const std::string fills[] = {S("In"), S("I\0"), S("nI\0n"), S("\0"), S("InitSnapi\0"), S("The Index\0")};
    std::mt19937 random(7);
    for (const std::string& fill : fills) {
        for (size_t size : {size_t{4096}, size_t{300000}, size_t{600001}}) {
            std::string bytes;
            while (bytes.size() < size) bytes += fill;
            bytes.resize(size);
            // Plant the marker with its NUL somewhere, or its beginning at the end.
            const std::string planted = S("InitSnapin\0");
            const size_t at = random() % size;
            bytes.replace(at, std::min(planted.size(), size - at), planted, 0, std::min(planted.size(), size - at));
            for (const char* name : {"InitSnapin", "In", "I", ""}) {
                SCOPED_TRACE(testing::Message() << "fill " << fill.size() << " size " << size << " name " << name);
                const unsigned char* block = reinterpret_cast<const unsigned char*>(bytes.data());
                const int32_t length = static_cast<int32_t>(size);
                const unsigned char* expected = FindStringByDefinition(block, length, name);
                const unsigned char* got = FindStringInBlock(block, length, name);
                EXPECT_EQ(got ? got - block : -1, expected ? expected - block : -1);
            }
        }
    }
}
