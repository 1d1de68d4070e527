#pragma once
#include "framework/String.h"

// True when a path without wildcards names an existing file (not a directory).
bool IsExistingFile(const CString& path);
