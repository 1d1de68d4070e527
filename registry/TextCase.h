#pragma once
// Equality of two texts with the ASCII letters A-Z folded to a-z and no
// other byte folded.
bool EqualIgnoringAsciiCase(const char* a, const char* b);
