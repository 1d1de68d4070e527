#pragma once
// The largest list value the readers of the lists take back whole. Longer
// names or data are refused on writing and reported, never cut.
#include <windows.h>

// Characters of a value name, its terminator not counted.
constexpr int kLongestValueName = 255;
// Bytes of a value's data, a REG_SZ's terminator counted.
constexpr DWORD kLargestValueData = 260;
