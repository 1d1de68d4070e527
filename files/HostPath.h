#pragma once
// Pure text rule of GetHostDirectory: the length of a path
// up to and including its last backslash, walking the text as multibyte text
// so that the second byte of a double-byte character never counts as a
// backslash. No platform headers: the lead-byte test is handed in.
#include <cstddef>

// Length to keep: just past the last backslash, or the whole length when the
// text has none. `isLeadByte(byte)` tells whether a byte starts a double-byte
// character; a lead byte in the last position stands alone.
template <class IsLeadByte>
size_t DirectoryPrefixLength(const char* text, size_t length, IsLeadByte isLeadByte) {
    size_t keep = length;
    bool found = false;
    size_t i = 0;
    while (i < length) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte == '\\') {
            keep = i + 1;
            found = true;
        }
        i += (isLeadByte(byte) && i + 1 < length) ? 2 : 1;
    }
    return found ? keep : length;
}

// Steps 2 to 4 of GetHostDirectory, on the outcome of
// GetModuleFileNameA(nullptr, buffer, capacity): `returned` is its result and
// `lastError` the code GetLastError() gave after it. Returns 0 and sets `keep`
// to the length of the directory (with its backslash), or returns a code:
// the last error when the call failed (1, ERROR_INVALID_FUNCTION, if it gave
// none), and 122 (ERROR_INSUFFICIENT_BUFFER) when the name filled the whole
// buffer, which means the platform cut it.
template <class IsLeadByte>
int HostDirectoryFromModuleName(const char* buffer, unsigned long returned, unsigned long capacity,
                                unsigned long lastError, IsLeadByte isLeadByte, size_t& keep) {
    const int kInvalidFunction = 1;
    const int kInsufficientBuffer = 122;
    if (returned == 0) return lastError != 0 ? static_cast<int>(lastError) : kInvalidFunction;
    if (returned >= capacity) return kInsufficientBuffer;
    size_t length = 0;
    while (length < returned && buffer[length] != '\0') ++length;
    keep = DirectoryPrefixLength(buffer, length, isLeadByte);
    return 0;
}
