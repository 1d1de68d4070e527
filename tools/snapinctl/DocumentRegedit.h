#pragma once
// A list document as a REGEDIT4 file, for regedit to import.
#include "tools/snapinctl/ListDocument.h"

#include <string>

namespace snapinctl {

// ANSI, CR LF, with the four keys under HKEY_CURRENT_USER.
std::string DocumentRegedit(const ListDocument& document);

}  // namespace snapinctl
