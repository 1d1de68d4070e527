// Pure inspection of a snap-in candidate's image. No platform
// headers: this file is also built natively under the sanitizers and in the
// fuzz targets.
#include "files/ImageInspection.h"

#include <cstring>
#include <functional>
#include <optional>

namespace {

const char kInitSnapinMarker[] = "InitSnapin";
const char kViewImportMarker[] = "VMARegisterMDIChildWindow";

// Header fields (offsets from the start of the file, or from N).
constexpr uint64_t kMagicOffset = 0;          // e_magic
constexpr uint64_t kRelocTableOffset = 24;    // e_lfarlc
constexpr uint64_t kNewHeaderOffset = 60;     // e_lfanew: N
constexpr uint64_t kSectionCountOffset = 6;   // N + 6: NumberOfSections
constexpr uint64_t kCharacteristicsOffset = 22;  // N + 22: Characteristics
constexpr uint64_t kSectionTableOffset = 248;  // N + 248: 24-byte file header + 224-byte PE32 optional header
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint64_t kSizeOfRawDataOffset = 16;
constexpr uint64_t kPointerToRawDataOffset = 20;

constexpr uint16_t kMzSignature = 0x5A4D;
constexpr uint16_t kMinimumRelocTableOffset = 0x40;
constexpr uint16_t kPeSignature = 0x4550;
constexpr uint16_t kImageFileDll = 0x2000;

// The one way to the image's bytes: every access names an offset and a
// length, checked in 64-bit arithmetic against the image's size before any
// byte is touched. Callers never index the image directly.
class ImageBytes {
public:
    ImageBytes(const unsigned char* data, size_t size) : m_data(data), m_size(size) {}

    // Start of `length` bytes at `offset`, or null when any of them lies
    // outside the image (also for a zero length at an offset past the end).
    const unsigned char* Span(uint64_t offset, uint64_t length) const {
        const uint64_t size = m_size;
        if (offset > size || length > size - offset) return nullptr;
        return m_data + static_cast<size_t>(offset);
    }

    bool ReadU16(uint64_t offset, uint16_t& value) const {
        const unsigned char* p = Span(offset, 2);
        if (!p) return false;
        value = static_cast<uint16_t>(p[0] | (p[1] << 8));
        return true;
    }

    bool ReadU32(uint64_t offset, uint32_t& value) const {
        const unsigned char* p = Span(offset, 4);
        if (!p) return false;
        value = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
        return true;
    }

private:
    const unsigned char* m_data;
    size_t m_size;
};

// The Name field read as a NUL-terminated text equals `name` exactly
// (name is at most 7 characters, so its NUL lies inside the field).
bool SectionNameIs(const unsigned char* field, const char* name) {
    const size_t length = std::strlen(name);
    return std::memcmp(field, name, length) == 0 && field[length] == 0;
}

// The first start of `needle` (a name with its NUL, `count` bytes) lying
// wholly inside the block, or null. Linear whatever the block holds (at most
// `count` comparisons per byte), and at the speed of memchr on most blocks: candidates are found with memchr on
// the needle's first byte; where that byte is frequent, on its final NUL;
// where both are, a Horspool search takes a stretch of the block.
const unsigned char* FindTerminatedName(const unsigned char* block, size_t size, const unsigned char* needle,
                                        size_t count) {
    if (size < count) return nullptr;
    // A byte found more often than once in this many on average makes
    // memchr lose to Horspool; judged over kPhaseHits candidates.
    constexpr size_t kSparseDistance = 4096;
    constexpr size_t kPhaseHits = 16;
    constexpr size_t kHorspoolStretch = size_t{1} << 18;
    enum class Mode { FirstByte, FinalNul, Horspool };

    const size_t last = size - count;  // last possible start
    std::optional<std::boyer_moore_horspool_searcher<const unsigned char*>> horspool;
    Mode mode = Mode::FirstByte;
    size_t next = 0;  // starts before this one are ruled out
    while (next <= last) {
        if (mode == Mode::Horspool) {
            if (!horspool) horspool.emplace(needle, needle + count);
            const size_t stretchEnd = last - next < kHorspoolStretch ? last + 1 : next + kHorspoolStretch;
            const unsigned char* stop = block + stretchEnd + count - 1;
            const unsigned char* hit = (*horspool)(block + next, stop).first;
            if (hit != stop) return hit;
            next = stretchEnd;
            mode = Mode::FirstByte;
            continue;
        }
        const size_t anchor = mode == Mode::FirstByte ? 0 : count - 1;
        size_t phaseStart = next;
        size_t hits = 0;
        while (true) {
            const void* found = std::memchr(block + next + anchor, needle[anchor], last - next + 1);
            if (!found) return nullptr;
            const size_t start = static_cast<size_t>(static_cast<const unsigned char*>(found) - block) - anchor;
            if (std::memcmp(block + start, needle, count) == 0) return block + start;
            next = start + 1;
            if (next > last) return nullptr;
            if (++hits < kPhaseHits) continue;
            if (next - phaseStart < kPhaseHits * kSparseDistance) break;
            phaseStart = next;
            hits = 0;
        }
        mode = mode == Mode::FirstByte ? Mode::FinalNul : Mode::Horspool;
    }
    return nullptr;
}

ImageInspection Result(ImageVerdict verdict, int32_t kind) { return ImageInspection{verdict, kind}; }

}  // namespace

ImageInspection InspectSnapinImage(const unsigned char* image, size_t size) {
    const ImageBytes bytes(image, size);
    int32_t kind = kSnapinNoImportSection;

    uint16_t magic = 0;
    if (!bytes.ReadU16(kMagicOffset, magic)) return Result(ImageVerdict::HeaderOutsideFile, kind);
    if (magic != kMzSignature) return Result(ImageVerdict::NoMzSignature, kind);

    uint16_t relocTable = 0;
    if (!bytes.ReadU16(kRelocTableOffset, relocTable)) return Result(ImageVerdict::HeaderOutsideFile, kind);
    if (relocTable < kMinimumRelocTableOffset) return Result(ImageVerdict::DosExecutable, kind);

    uint32_t n = 0;
    if (!bytes.ReadU32(kNewHeaderOffset, n)) return Result(ImageVerdict::HeaderOutsideFile, kind);
    const uint64_t peHeader = n;

    uint16_t signature = 0;
    if (!bytes.ReadU16(peHeader, signature)) return Result(ImageVerdict::HeaderOutsideFile, kind);
    if (signature != kPeSignature) return Result(ImageVerdict::NoPeSignature, kind);

    uint16_t characteristics = 0;
    uint16_t sectionCount = 0;
    if (!bytes.ReadU16(peHeader + kCharacteristicsOffset, characteristics) ||
        !bytes.ReadU16(peHeader + kSectionCountOffset, sectionCount)) {
        return Result(ImageVerdict::HeaderOutsideFile, kind);
    }
    if ((characteristics & kImageFileDll) == 0) return Result(ImageVerdict::NotLibrary, kind);

    for (uint64_t i = 0; i < sectionCount; ++i) {
        const uint64_t header = peHeader + kSectionTableOffset + kSectionHeaderSize * i;
        // The whole 40-byte header must lie in the file, not only the fields
        // read: the loader refuses a section table cut by the end of the file.
        const unsigned char* name = bytes.Span(header, kSectionHeaderSize);
        uint32_t rawSize = 0;
        uint32_t rawPointer = 0;
        if (!name || !bytes.ReadU32(header + kSizeOfRawDataOffset, rawSize) ||
            !bytes.ReadU32(header + kPointerToRawDataOffset, rawPointer)) {
            return Result(ImageVerdict::SectionOutsideFile, kind);
        }

        const bool isRdata = SectionNameIs(name, ".rdata");
        const bool isIdata = !isRdata && SectionNameIs(name, ".idata");
        if (!isRdata && !isIdata) continue;

        // SizeOfRawData is a signed count: zero or negative is an empty block,
        // which is searched without touching (or checking) its position.
        const int32_t length = static_cast<int32_t>(rawSize);
        const unsigned char* data = image;
        if (length > 0) {
            data = bytes.Span(rawPointer, static_cast<uint64_t>(length));
            if (!data) return Result(ImageVerdict::SectionOutsideFile, kind);
        }

        if (isRdata) {
            if (!FindStringInBlock(data, length, kInitSnapinMarker)) {
                return Result(ImageVerdict::MissingInitSnapinMarker, kind);
            }
        } else {
            kind = FindStringInBlock(data, length, kViewImportMarker) ? kSnapinView : kSnapinObject;
        }
    }
    return Result(ImageVerdict::Snapin, kind);
}

const unsigned char* FindStringInBlock(const unsigned char* block, int32_t length, const char* name) {
    if (length <= 0) return nullptr;
    const size_t size = static_cast<size_t>(length);
    const size_t m = std::strlen(name);
    // An offset with more than the name's length of block after it matches
    // only the whole name with its NUL. Every such offset comes before the
    // last few, where a beginning of the name running to the block's end
    // matches.
    if (const unsigned char* whole = FindTerminatedName(block, size, reinterpret_cast<const unsigned char*>(name), m + 1))
        return whole;
    for (size_t i = size > m ? size - m : 0; i < size; ++i) {
        if (std::memcmp(block + i, name, size - i) == 0) return block + i;
    }
    return nullptr;
}

const char* DescribeVerdict(ImageVerdict verdict) {
    switch (verdict) {
        case ImageVerdict::Snapin: return "snap-in";
        case ImageVerdict::NoMzSignature: return "not an executable image (no MZ signature)";
        case ImageVerdict::DosExecutable: return "DOS executable (e_lfarlc below 0x40)";
        case ImageVerdict::NoPeSignature: return "not a PE image (no PE signature)";
        case ImageVerdict::NotLibrary: return "not a library (IMAGE_FILE_DLL not set)";
        case ImageVerdict::HeaderOutsideFile: return "image header lies outside the file";
        case ImageVerdict::SectionOutsideFile: return "section lies outside the file";
        case ImageVerdict::MissingInitSnapinMarker: return "a .rdata section lacks the InitSnapin marker";
    }
    return "unknown verdict";
}
