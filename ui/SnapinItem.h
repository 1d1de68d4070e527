#pragma once
// A snap-in behind one row of either dialog. A list-box row's user value is
// the pointer to its record, since the list boxes sort their rows.
#include "framework/String.h"

#include <cstdint>

struct SnapinItem {
    int32_t kind = 0;     // a SnapinKind among new snap-ins; a ListCategory in the configuration dialog
    int32_t enabled = 0;  // 0 or 1, written by the new snap-ins dialog
    CString fileName;
};
