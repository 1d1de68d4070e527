#pragma once
#include "framework/String.h"

#include <windows.h>

// Equality of two texts with the ASCII letters A-Z folded to a-z and no
// other byte folded.
bool EqualIgnoringAsciiCase(const char* a, const char* b);

// Orders texts by their bytes, then by their length: the order of the sorted
// name sets.
int CompareNames(const CString& a, const CString& b);

// Upper-cases ASCII a-z and the double-byte characters of the code page
// (the active one unless told); every other byte stays as it is.
CString UpperCaseName(const char* name, UINT codePage = CP_ACP);
