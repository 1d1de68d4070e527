#include "registry/TextCase.h"

namespace {
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}

bool EqualIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b)) return false;
    }
    return *a == *b;
}
