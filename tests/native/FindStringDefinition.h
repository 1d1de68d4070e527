#pragma once
// The plain per-offset definition of FindStringInBlock, the oracle of its
// tests, fuzz target and benchmarks: at every offset i, strncmp over the
// length - i bytes left; the first offset that compares equal wins.
#include <cstdint>
#include <cstring>

inline const unsigned char* FindStringByDefinition(const unsigned char* block, int32_t length, const char* name) {
    for (int32_t i = 0; i < length; ++i) {
        const size_t r = static_cast<size_t>(length - i);
        if (std::strncmp(reinterpret_cast<const char*>(block + i), name, r) == 0) return block + i;
    }
    return nullptr;
}
