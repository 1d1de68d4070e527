#pragma once
// Pure text rules of GetModulePath and GetHostDirectory: the outcome of
// GetModuleFileNameA, and the length of a path up to and including its last
// backslash, walking the text as multibyte text so that the second byte of a
// double-byte character never counts as a backslash. No platform headers:
// the lead-byte test is handed in.
#include <cstddef>

// Position just past the last backslash: where the file name begins, 0 when
// the text has none. `isLeadByte(byte)` tells whether a byte starts a
// double-byte character; a lead byte in the last position stands alone.
template <class IsLeadByte>
size_t FileNameOffset(const char* text, size_t length, IsLeadByte isLeadByte) {
    size_t offset = 0;
    size_t i = 0;
    while (i < length) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte == '\\') offset = i + 1;
        i += (isLeadByte(byte) && i + 1 < length) ? 2 : 1;
    }
    return offset;
}

// Length to keep of a path for its directory: just past the last backslash,
// or the whole length when the text has none.
template <class IsLeadByte>
size_t DirectoryPrefixLength(const char* text, size_t length, IsLeadByte isLeadByte) {
    const size_t offset = FileNameOffset(text, length, isLeadByte);
    return offset != 0 ? offset : length;
}

// The outcome of GetModuleFileNameA(module, buffer, capacity): `returned` is
// its result and `lastError` the code GetLastError() gave after it, cleared
// before the call. Returns 0 and sets `length` to the path's length, or
// returns a code: the last error when the call failed (1,
// ERROR_INVALID_FUNCTION, if it gave none, so a failure never reads as an
// empty path), and 122 (ERROR_INSUFFICIENT_BUFFER) when the name filled the
// whole buffer, which means the platform cut it.
inline int ModulePathLength(const char* buffer, unsigned long returned, unsigned long capacity,
                            unsigned long lastError, size_t& length) {
    const int kInvalidFunction = 1;
    const int kInsufficientBuffer = 122;
    if (returned == 0) return lastError != 0 ? static_cast<int>(lastError) : kInvalidFunction;
    if (returned >= capacity) return kInsufficientBuffer;
    length = 0;
    while (length < returned && buffer[length] != '\0') ++length;
    return 0;
}
