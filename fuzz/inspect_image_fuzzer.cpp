// InspectSnapinImage over arbitrary bytes. libFuzzer hands over a heap block
// of exactly the input's size, so AddressSanitizer reports any read outside
// the image; the checks below hold for every input.
#include "files/ImageInspection.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ImageInspection result = InspectSnapinImage(data, size);
    switch (result.verdict) {
        case ImageVerdict::Snapin:
        case ImageVerdict::NoMzSignature:
        case ImageVerdict::DosExecutable:
        case ImageVerdict::NoPeSignature:
        case ImageVerdict::NotLibrary:
        case ImageVerdict::HeaderOutsideFile:
        case ImageVerdict::SectionOutsideFile:
        case ImageVerdict::MissingInitSnapinMarker:
            break;
        default:
            std::abort();  // no such verdict
    }
    if (result.kind < 0 || result.kind > 2) std::abort();
    if (std::strlen(DescribeVerdict(result.verdict)) == 0) std::abort();
    // The header verdicts leave the kind at 0: no section was examined.
    if (result.verdict != ImageVerdict::Snapin && result.verdict != ImageVerdict::SectionOutsideFile &&
        result.verdict != ImageVerdict::MissingInitSnapinMarker && result.kind != 0) {
        std::abort();
    }
    // Too short for the header fields: never a snap-in.
    if (size < 64 && result.verdict == ImageVerdict::Snapin) std::abort();
    return 0;
}
