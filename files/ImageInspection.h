#pragma once
// Pure inspection of a snap-in candidate's image, over a byte range in memory.
// No platform calls: the same code runs in the module, natively under the
// sanitizers, and in the fuzz targets.
#include "framework/SnapinKind.h"

#include <cstddef>
#include <cstdint>

// Why an image is, or is not, a snap-in.
enum class ImageVerdict {
    Snapin,
    NoMzSignature,
    DosExecutable,
    NoPeSignature,
    NotLibrary,
    HeaderOutsideFile,
    SectionOutsideFile,
    MissingInitSnapinMarker,
};

struct ImageInspection {
    ImageVerdict verdict;
    int32_t kind;  // a SnapinKind, as far as the inspection got
};

ImageInspection InspectSnapinImage(const unsigned char* image, size_t size);

// First offset in the block where `name` matches as a NUL-terminated text, or
// where a beginning of it runs to the block's end; null when none does.
const unsigned char* FindStringInBlock(const unsigned char* block, int32_t length, const char* name);

// Short English text for the administration tool.
const char* DescribeVerdict(ImageVerdict verdict);
