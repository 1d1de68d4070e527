// FindStringInBlock against its plain definition (strncmp with r = length - i
// characters at every offset, first match wins).
//
// Input: byte 0 chooses the name. Below 0x80 it picks one of the names the
// module searches for (and short ones that match often); otherwise the next
// (byte 0 & 0x1F) bytes are the name, up to a NUL. The remaining bytes are the
// block, copied into a heap block of exactly their size.
#include "files/ImageInspection.h"
#include "tests/native/FindStringDefinition.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

const char* const kNames[] = {"InitSnapin", "VMARegisterMDIChildWindow", "", "I", "In", "aa"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string name;
    size_t at = 1;
    if (data[0] < 0x80) {
        name = kNames[data[0] % (sizeof kNames / sizeof kNames[0])];
    } else {
        const size_t length = data[0] & 0x1F;
        while (at < size && at <= length && data[at] != 0) name += static_cast<char>(data[at++]);
        at = length + 1 < size ? length + 1 : size;
    }
    const size_t blockSize = size - at;
    if (blockSize > 0x7FFFFFFF) return 0;
    std::unique_ptr<unsigned char[]> block(new unsigned char[blockSize ? blockSize : 1]);
    if (blockSize) std::memcpy(block.get(), data + at, blockSize);
    const int32_t length = static_cast<int32_t>(blockSize);

    const unsigned char* expected = FindStringByDefinition(block.get(), length, name.c_str());
    const unsigned char* got = FindStringInBlock(block.get(), length, name.c_str());
    if (got != expected) std::abort();
    // A zero or negative length never matches and reads nothing.
    if (FindStringInBlock(block.get(), 0, name.c_str()) != nullptr) std::abort();
    if (FindStringInBlock(nullptr, -length - 1, name.c_str()) != nullptr) std::abort();
    return 0;
}
