#pragma once
#include "framework/String.h"

// Whether a path without wildcards names an existing file (not a directory):
// 0 with `exists` set, or the platform's code when the search failed and
// cannot tell.
int ProbeFile(const CString& path, bool& exists);
