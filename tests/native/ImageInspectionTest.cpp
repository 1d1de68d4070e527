// InspectSnapinImage over synthetic images: header tests, verdicts, the
// section walk, the marker rules and the bounds checks. Every image is
// inspected from a heap block of exactly its size, so AddressSanitizer
// reports any byte read outside it.
#include "files/ImageInspection.h"
#include "tests/native/ImageBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>

namespace {

const std::string kRdataMarker = S("strings\0InitSnapin\0more\0");
const std::string kViewImports = S("\0\0KERNEL32.dll\0\0\0VMARegisterMDIChildWindow\0\0");
const std::string kObjectImports = S("\0\0KERNEL32.dll\0\0\0GetVersionExA\0");

ImageInspection Inspect(const ImageBuilder::Bytes& bytes) {
    // Exactly sized copy (a vector may have spare capacity ASan would accept).
    std::unique_ptr<unsigned char[]> exact(new unsigned char[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
    return InspectSnapinImage(bytes.empty() ? exact.get() : exact.get(), bytes.size());
}

ImageBuilder::Bytes Truncated(ImageBuilder::Bytes bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

}  // namespace

// Readable failure messages.
void PrintTo(ImageVerdict verdict, std::ostream* os) { *os << DescribeVerdict(verdict); }

#define EXPECT_INSPECTION(bytes, expectedVerdict, expectedKind)              \
    do {                                                                     \
        const ImageInspection got_ = Inspect(bytes);                         \
        EXPECT_EQ(got_.verdict, expectedVerdict) << DescribeVerdict(got_.verdict); \
        EXPECT_EQ(got_.kind, expectedKind);                                  \
    } while (0)

// ---- Header tests, in the order of the format table ----------------------

TEST(ImageHeader, MinimalLibraryWithoutSectionsIsSnapinOfKind0) {
    EXPECT_INSPECTION(ImageBuilder().Build(), ImageVerdict::Snapin, kSnapinNoImportSection);
}

TEST(ImageHeader, EmptyAndOneByteImagesLieOutside) {
    EXPECT_INSPECTION(ImageBuilder::Bytes(), ImageVerdict::HeaderOutsideFile, 0);
    EXPECT_INSPECTION(ImageBuilder::Bytes{'M'}, ImageVerdict::HeaderOutsideFile, 0);
}

TEST(ImageHeader, NoMzSignature) {
    EXPECT_INSPECTION(ImageBuilder().Magic(0x4D5A).Build(), ImageVerdict::NoMzSignature, 0);  // "ZM"
    EXPECT_INSPECTION(ImageBuilder().Magic(0).Build(), ImageVerdict::NoMzSignature, 0);
    EXPECT_INSPECTION((ImageBuilder::Bytes{'P', 'E'}), ImageVerdict::NoMzSignature, 0);
}

TEST(ImageHeader, MzOnlyFileIsTooShortForTheRelocationField) {
    EXPECT_INSPECTION((ImageBuilder::Bytes{'M', 'Z'}), ImageVerdict::HeaderOutsideFile, 0);
    EXPECT_INSPECTION(Truncated(ImageBuilder().Build(), 25), ImageVerdict::HeaderOutsideFile, 0);
}

TEST(ImageHeader, DosExecutableWhenRelocationTableBelow0x40) {
    EXPECT_INSPECTION(ImageBuilder().RelocTable(0x3F).Build(), ImageVerdict::DosExecutable, 0);
    EXPECT_INSPECTION(ImageBuilder().RelocTable(0x1C).Build(), ImageVerdict::DosExecutable, 0);
    EXPECT_INSPECTION(ImageBuilder().RelocTable(0).Build(), ImageVerdict::DosExecutable, 0);
    // A DOS executable is recognised even when it ends before e_lfanew.
    EXPECT_INSPECTION(Truncated(ImageBuilder().RelocTable(0x1C).Build(), 26), ImageVerdict::DosExecutable, 0);
}

TEST(ImageHeader, RelocationTableAt0x40OrAboveIsAccepted) {
    EXPECT_INSPECTION(ImageBuilder().RelocTable(0x40).Build(), ImageVerdict::Snapin, 0);
    EXPECT_INSPECTION(ImageBuilder().RelocTable(0xFFFF).Build(), ImageVerdict::Snapin, 0);
}

TEST(ImageHeader, NewHeaderOffsetFieldCutOff) {
    auto full = ImageBuilder().Build();
    for (size_t size : {26u, 59u, 60u, 61u, 63u}) {
        SCOPED_TRACE(size);
        EXPECT_INSPECTION(Truncated(full, size), ImageVerdict::HeaderOutsideFile, 0);
    }
}

TEST(ImageHeader, NewHeaderOffsetBeyondTheEnd) {
    auto bytes = ImageBuilder().Build();
    for (uint32_t n : {uint32_t(bytes.size()), uint32_t(bytes.size() - 1), uint32_t(bytes.size() + 1),
                       0x7FFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(n);
        Put32(bytes, 60, n);
        EXPECT_INSPECTION(bytes, ImageVerdict::HeaderOutsideFile, 0);
    }
}

TEST(ImageHeader, NoPeSignature) {
    EXPECT_INSPECTION(ImageBuilder().PeSignature(0x00004551).Build(), ImageVerdict::NoPeSignature, 0);
    EXPECT_INSPECTION(ImageBuilder().PeSignature(0x0000454E).Build(), ImageVerdict::NoPeSignature, 0);  // "NE"
    EXPECT_INSPECTION(ImageBuilder().PeSignature(0).Build(), ImageVerdict::NoPeSignature, 0);
}

TEST(ImageHeader, TheTwoBytesAfterPeAreNotExamined) {
    EXPECT_INSPECTION(ImageBuilder().PeSignature(0xFFFF4550).Build(), ImageVerdict::Snapin, 0);
}

TEST(ImageHeader, NewHeaderMayPointIntoTheDosHeader) {
    // N = 0 would read "MZ" as the PE signature: not a PE image.
    auto bytes = ImageBuilder().Build();
    Put32(bytes, 60, 0);
    EXPECT_INSPECTION(bytes, ImageVerdict::NoPeSignature, 0);
}

TEST(ImageHeader, FileHeaderCutOffAfterTheSignature) {
    auto full = ImageBuilder().Build();
    const size_t n = 0x80;
    for (size_t size : {n + 2, n + 4, n + 7, n + 8, n + 22, n + 23}) {
        SCOPED_TRACE(size);
        EXPECT_INSPECTION(Truncated(full, size), ImageVerdict::HeaderOutsideFile, 0);
    }
    // Characteristics fully present, no section table needed without sections.
    EXPECT_INSPECTION(Truncated(full, n + 24), ImageVerdict::Snapin, 0);
}

TEST(ImageHeader, ProgramWithoutDllBitIsNotALibrary) {
    EXPECT_INSPECTION(ImageBuilder().Characteristics(0x0102).Build(), ImageVerdict::NotLibrary, 0);
    EXPECT_INSPECTION(ImageBuilder().Characteristics(0xDFFF).Build(), ImageVerdict::NotLibrary, 0);
    EXPECT_INSPECTION(ImageBuilder().Characteristics(0x2000).Build(), ImageVerdict::Snapin, 0);
}

TEST(ImageHeader, NotLibraryIsDecidedBeforeAnySection) {
    auto bytes = ImageBuilder().Characteristics(0x0102).Section(".rdata", "no marker").Build();
    EXPECT_INSPECTION(bytes, ImageVerdict::NotLibrary, 0);
}

TEST(ImageHeader, SectionTableIsAtN248WhateverSizeOfOptionalHeaderSays) {
    for (uint16_t optional : {0, 96, 240, 0xFFFF}) {
        SCOPED_TRACE(optional);
        auto bytes = ImageBuilder().SizeOfOptionalHeader(optional).Section(".idata", kViewImports).Build();
        EXPECT_INSPECTION(bytes, ImageVerdict::Snapin, kSnapinView);
    }
}

// ---- Section walk, markers and kinds --------------------------------------

TEST(ImageSections, RdataWithMarkerAndNoIdataIsKind0) {
    auto bytes = ImageBuilder().Section(".text", "code").Section(".rdata", kRdataMarker).Build();
    EXPECT_INSPECTION(bytes, ImageVerdict::Snapin, kSnapinNoImportSection);
}

TEST(ImageSections, ObjectSnapin) {
    auto bytes = ImageBuilder().Section(".rdata", kRdataMarker).Section(".idata", kObjectImports).Build();
    EXPECT_INSPECTION(bytes, ImageVerdict::Snapin, kSnapinObject);
}

TEST(ImageSections, ViewSnapin) {
    auto bytes = ImageBuilder().Section(".rdata", kRdataMarker).Section(".idata", kViewImports).Build();
    EXPECT_INSPECTION(bytes, ImageVerdict::Snapin, kSnapinView);
}

TEST(ImageSections, LibraryWithoutRdataPassesTheMarkerTest) {
    EXPECT_INSPECTION(ImageBuilder().Section(".text", "x").Section(".idata", kViewImports).Build(),
                      ImageVerdict::Snapin, kSnapinView);
}

TEST(ImageSections, RdataWithoutMarker) {
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", S("nothing\0here\0")).Build(),
                      ImageVerdict::MissingInitSnapinMarker, 0);
}

TEST(ImageSections, MarkerFollowedByMoreLettersDoesNotCount) {
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", S("InitSnapinEx\0")).Build(),
                      ImageVerdict::MissingInitSnapinMarker, 0);
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", S("_InitSnapin@0\0")).Build(),
                      ImageVerdict::MissingInitSnapinMarker, 0);
}

TEST(ImageSections, MarkerPrecededByOtherBytesCounts) {
    // A match is a NUL-terminated occurrence, whatever comes before it.
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", S("_InitSnapin\0")).Build(), ImageVerdict::Snapin, 0);
}

TEST(ImageSections, MarkerIsCaseSensitive) {
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", S("initsnapin\0")).Build(),
                      ImageVerdict::MissingInitSnapinMarker, 0);
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", kRdataMarker).Section(".idata", S("vmaregistermdichildwindow\0")).Build(),
                      ImageVerdict::Snapin, kSnapinObject);
}

TEST(ImageSections, MarkerRunningToTheEndOfTheBlockCounts) {
    // The data ends with the first four letters: a beginning of the name
    // running to the very end of the block is a match.
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", S("data\0Init")).Build(), ImageVerdict::Snapin, 0);
    // The whole name without its NUL at the end of the block.
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", S("data\0InitSnapin")).Build(), ImageVerdict::Snapin, 0);
    // Even a single "I" as the last byte.
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", S("data\0I")).Build(), ImageVerdict::Snapin, 0);
    // The same for the view import.
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", kRdataMarker).Section(".idata", S("\0\0VMARegister")).Build(),
                      ImageVerdict::Snapin, kSnapinView);
}

TEST(ImageSections, EndOfBlockRuleNeedsTheSectionToEndThere) {
    // The section's data ends at "Init" although the file continues with
    // "Snapin": the block ends at SizeOfRawData.
    auto bytes = ImageBuilder().RawSection(".rdata", 0, 0).Build();
    const uint32_t at = static_cast<uint32_t>(bytes.size());
    const std::string tail = S("xxInitSnapinX\0");
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    Put32(bytes, 0x80 + 248 + 16, 6);  // "xxInit"
    Put32(bytes, 0x80 + 248 + 20, at);
    EXPECT_INSPECTION(bytes, ImageVerdict::Snapin, 0);
    Put32(bytes, 0x80 + 248 + 16, 13);  // "xxInitSnapinX"
    EXPECT_INSPECTION(bytes, ImageVerdict::MissingInitSnapinMarker, 0);
}

TEST(ImageSections, CapitalSectionNamesArePassedOver) {
    EXPECT_INSPECTION(ImageBuilder().Section(".RDATA", "no marker").Build(), ImageVerdict::Snapin, 0);
    EXPECT_INSPECTION(ImageBuilder().Section(".Rdata", "no marker").Build(), ImageVerdict::Snapin, 0);
    EXPECT_INSPECTION(ImageBuilder().Section(".IDATA", kViewImports).Build(), ImageVerdict::Snapin, 0);
    EXPECT_INSPECTION(ImageBuilder().Section(".iData", kViewImports).Build(), ImageVerdict::Snapin, 0);
}

TEST(ImageSections, NameMustMatchExactlyAsNulTerminatedText) {
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata1", "no marker").Build(), ImageVerdict::Snapin, 0);
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata$z", "no marker").Build(), ImageVerdict::Snapin, 0);
    EXPECT_INSPECTION(ImageBuilder().Section("rdata", "no marker").Build(), ImageVerdict::Snapin, 0);
    EXPECT_INSPECTION(ImageBuilder().Section(".rdat", "no marker").Build(), ImageVerdict::Snapin, 0);
    EXPECT_INSPECTION(ImageBuilder().Section(".idata1", kViewImports).Build(), ImageVerdict::Snapin, 0);
    // The seventh byte is NUL: whatever follows it in the field is ignored.
    EXPECT_INSPECTION(ImageBuilder().Section(S(".rdata\0X"), "no marker").Build(),
                      ImageVerdict::MissingInitSnapinMarker, 0);
    EXPECT_INSPECTION(ImageBuilder().Section(S(".idata\0\xff"), kViewImports).Build(), ImageVerdict::Snapin, kSnapinView);
}

TEST(ImageSections, EveryRdataSectionMustHoldTheMarker) {
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", kRdataMarker).Section(".rdata", kRdataMarker).Build(),
                      ImageVerdict::Snapin, 0);
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", kRdataMarker).Section(".rdata", "none").Build(),
                      ImageVerdict::MissingInitSnapinMarker, 0);
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", "none").Section(".rdata", kRdataMarker).Build(),
                      ImageVerdict::MissingInitSnapinMarker, 0);
}

TEST(ImageSections, IdataBeforeAFailingRdataLeavesItsKind) {
    EXPECT_INSPECTION(ImageBuilder().Section(".idata", kViewImports).Section(".rdata", "none").Build(),
                      ImageVerdict::MissingInitSnapinMarker, kSnapinView);
    EXPECT_INSPECTION(ImageBuilder().Section(".idata", kObjectImports).Section(".rdata", "none").Build(),
                      ImageVerdict::MissingInitSnapinMarker, kSnapinObject);
    // After the failing .rdata nothing more is examined.
    EXPECT_INSPECTION(ImageBuilder().Section(".rdata", "none").Section(".idata", kViewImports).Build(),
                      ImageVerdict::MissingInitSnapinMarker, 0);
}

TEST(ImageSections, SeveralIdataSectionsLastOneWins) {
    EXPECT_INSPECTION(ImageBuilder().Section(".idata", kViewImports).Section(".idata", kObjectImports).Build(),
                      ImageVerdict::Snapin, kSnapinObject);
    EXPECT_INSPECTION(ImageBuilder().Section(".idata", kObjectImports).Section(".idata", kViewImports).Build(),
                      ImageVerdict::Snapin, kSnapinView);
    EXPECT_INSPECTION(ImageBuilder()
                          .Section(".idata", kViewImports)
                          .Section(".rdata", kRdataMarker)
                          .Section(".idata", kObjectImports)
                          .Section(".text", "x")
                          .Build(),
                      ImageVerdict::Snapin, kSnapinObject);
}

TEST(ImageSections, SectionCountLimitsTheWalk) {
    // Only the first NumberOfSections headers are examined.
    auto bytes = ImageBuilder().Section(".rdata", kRdataMarker).Section(".rdata", "none").SectionCount(1).Build();
    EXPECT_INSPECTION(bytes, ImageVerdict::Snapin, 0);
    bytes = ImageBuilder().Section(".rdata", "none").SectionCount(0).Build();
    EXPECT_INSPECTION(bytes, ImageVerdict::Snapin, 0);
}

TEST(ImageSections, EmptyOrNegativeSizeIsAnEmptyBlock) {
    // An empty .rdata cannot hold the marker; an empty .idata gives kind 1.
    EXPECT_INSPECTION(ImageBuilder().RawSection(".rdata", 0, 0).Build(), ImageVerdict::MissingInitSnapinMarker, 0);
    EXPECT_INSPECTION(ImageBuilder().RawSection(".idata", 0, 0).Build(), ImageVerdict::Snapin, kSnapinObject);
    // Negative sizes: the position is not used, even far outside the file.
    EXPECT_INSPECTION(ImageBuilder().RawSection(".rdata", 0x80000000u, 0xFFFFFFF0u).Build(),
                      ImageVerdict::MissingInitSnapinMarker, 0);
    EXPECT_INSPECTION(ImageBuilder().RawSection(".idata", 0xFFFFFFFFu, 0x7FFFFFFFu).Build(), ImageVerdict::Snapin,
                      kSnapinObject);
    EXPECT_INSPECTION(ImageBuilder().RawSection(".idata", 0, 0xFFFFFFFFu).Build(), ImageVerdict::Snapin, kSnapinObject);
}

TEST(ImageSections, SectionDataMayLieAnywhereInTheFile) {
    // PointerToRawData is taken as it is, also pointing into the headers.
    auto bytes = ImageBuilder().RawSection(".rdata", 0, 0).Build();
    const std::string marker = S("InitSnapin\0");
    std::memcpy(&bytes[64 - 16], marker.data(), marker.size());  // inside the DOS stub area
    Put32(bytes, 0x80 + 248 + 16, 16);
    Put32(bytes, 0x80 + 248 + 20, 48);
    EXPECT_INSPECTION(bytes, ImageVerdict::Snapin, 0);
}

// ---- Bounds: nothing outside the image is read -----------------------------

TEST(ImageBounds, SectionHeaderBeyondTheEnd) {
    auto full = ImageBuilder().Section(".rdata", kRdataMarker).Build();
    const size_t table = 0x80 + 248;
    // The table must hold the header completely.
    for (size_t size : {table, table + 1, table + 8, table + 19, table + 23}) {
        SCOPED_TRACE(size);
        auto bytes = Truncated(full, size);
        EXPECT_INSPECTION(bytes, ImageVerdict::SectionOutsideFile, 0);
    }
}

TEST(ImageBounds, LastHeaderCutByTheEndOfTheFile) {
    // The fields read lie inside from 24 bytes of the header on, but the
    // section table does not until all 40 do.
    auto bytes = ImageBuilder().RawSection(".text", 0, 0).Build();
    for (size_t kept : {24, 39}) {
        SCOPED_TRACE(kept);
        EXPECT_INSPECTION(Truncated(bytes, 0x80 + 248 + kept), ImageVerdict::SectionOutsideFile, 0);
    }
    EXPECT_INSPECTION(Truncated(bytes, 0x80 + 248 + 40), ImageVerdict::Snapin, 0);
}

TEST(ImageBounds, SectionCountBeyondTheTable) {
    auto bytes = ImageBuilder().Section(".rdata", kRdataMarker).SectionCount(0xFFFF).Build();
    // The walk goes on into the data after the table, then beyond the end.
    EXPECT_EQ(Inspect(bytes).verdict, ImageVerdict::SectionOutsideFile);
}

TEST(ImageBounds, IdataSeenBeforeAHeaderOutsideTheFileKeepsItsKind) {
    // The .idata data lies in the DOS stub area; NumberOfSections says 2 but
    // the file ends right after the first header.
    auto bytes = ImageBuilder().RawSection(".idata", static_cast<uint32_t>(kViewImports.size()), 0x40)
                     .SectionCount(2).Build();
    std::memcpy(&bytes[0x40], kViewImports.data(), kViewImports.size());
    ASSERT_EQ(bytes.size(), 0x80u + 248 + 40);
    EXPECT_INSPECTION(bytes, ImageVerdict::SectionOutsideFile, kSnapinView);
}

TEST(ImageBounds, RdataDataBeyondTheEnd) {
    auto bytes = ImageBuilder().Section(".rdata", kRdataMarker).Build();
    const size_t header = 0x80 + 248;
    const uint32_t size = static_cast<uint32_t>(bytes.size());
    struct Case { uint32_t raw; uint32_t pointer; ImageVerdict verdict; };
    const Case cases[] = {
        {1, size, ImageVerdict::SectionOutsideFile},          // starts at the end
        {1, size - 1, ImageVerdict::Snapin},                  // last byte ("\0" isn't "I"... see below)
        {2, size - 1, ImageVerdict::SectionOutsideFile},      // one byte over
        {0x10, 0xFFFFFFF8u, ImageVerdict::SectionOutsideFile},  // 32-bit sum would wrap
        {0x7FFFFFFF, 0xFFFFFFFFu, ImageVerdict::SectionOutsideFile},
        {0x7FFFFFFF, 0, ImageVerdict::SectionOutsideFile},
        {size, 0, ImageVerdict::Snapin},                      // the whole file, ending exactly at its end
        {size + 1, 0, ImageVerdict::SectionOutsideFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "raw " << c.raw << " pointer " << c.pointer);
        Put32(bytes, header + 16, c.raw);
        Put32(bytes, header + 20, c.pointer);
        const ImageInspection got = Inspect(bytes);
        if (c.verdict == ImageVerdict::Snapin) {
            // In range: the verdict depends on the bytes, but the data was searched.
            EXPECT_NE(got.verdict, ImageVerdict::SectionOutsideFile);
        } else {
            EXPECT_EQ(got.verdict, c.verdict) << DescribeVerdict(got.verdict);
        }
    }
}

TEST(ImageBounds, IdataDataBeyondTheEnd) {
    auto bytes = ImageBuilder().RawSection(".idata", 0x100, 0x10000).Build();
    EXPECT_INSPECTION(bytes, ImageVerdict::SectionOutsideFile, 0);
    // An earlier .idata has already set the kind.
    bytes = ImageBuilder().Section(".idata", kViewImports).RawSection(".idata", 0x10, 0xFFFFFFF8u).Build();
    EXPECT_INSPECTION(bytes, ImageVerdict::SectionOutsideFile, kSnapinView);
}

TEST(ImageBounds, OtherSectionsMayPointAnywhere) {
    // Sections that are not searched are not touched, so their data may lie
    // outside the file.
    auto bytes = ImageBuilder().RawSection(".text", 0x7FFFFFFF, 0xFFFFFFFF).RawSection(".RDATA", 0x100, 0x100000)
                     .Section(".rdata", kRdataMarker).Build();
    EXPECT_INSPECTION(bytes, ImageVerdict::Snapin, 0);
}

TEST(ImageBounds, EveryTruncationOfAViewSnapinIsSafe) {
    const auto full = ImageBuilder()
                          .Section(".text", "code")
                          .Section(".rdata", kRdataMarker)
                          .Section(".idata", kViewImports)
                          .Build();
    EXPECT_INSPECTION(full, ImageVerdict::Snapin, kSnapinView);
    for (size_t size = 0; size < full.size(); ++size) {
        SCOPED_TRACE(size);
        const ImageInspection got = Inspect(Truncated(full, size));
        EXPECT_NE(got.verdict, ImageVerdict::Snapin);
    }
}

TEST(ImageVerdictText, EveryVerdictHasAText) {
    for (ImageVerdict v : {ImageVerdict::Snapin, ImageVerdict::NoMzSignature, ImageVerdict::DosExecutable,
                           ImageVerdict::NoPeSignature, ImageVerdict::NotLibrary, ImageVerdict::HeaderOutsideFile,
                           ImageVerdict::SectionOutsideFile, ImageVerdict::MissingInitSnapinMarker}) {
        const char* text = DescribeVerdict(v);
        ASSERT_NE(text, nullptr);
        EXPECT_GT(std::strlen(text), 5u);
        EXPECT_STRNE(text, "unknown verdict");
    }
}
