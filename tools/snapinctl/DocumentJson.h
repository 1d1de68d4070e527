#pragma once
// A list document as JSON: what `export` writes by default and `apply` reads.
#include "tools/snapinctl/ListDocument.h"

#include <string>

namespace snapinctl {

std::string DocumentJson(const ListDocument& document);
// Reads what DocumentJson wrote; false with the reason when the text is not
// such a document, or holds a value the registry could not store as it is.
bool ParseDocument(const std::string& text, ListDocument& document, std::string& problem);

}  // namespace snapinctl
