#include "registry/TextCase.h"

#include <algorithm>
#include <cstring>

namespace {
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}

bool EqualIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b)) return false;
    }
    return *a == *b;
}

int CompareNames(const CString& a, const CString& b) {
    const int common = std::min(a.GetLength(), b.GetLength());
    const int bytes = std::memcmp(a.GetString(), b.GetString(), static_cast<size_t>(common));
    return bytes != 0 ? bytes : a.GetLength() - b.GetLength();
}
