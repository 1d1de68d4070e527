#pragma once
// Base64 (RFC 4648, with padding), as list documents carry bytes that are
// no text.
#include <string>

namespace snapinctl {

std::string Base64Encode(const std::string& bytes);
// False when the text is not canonical base64.
bool Base64Decode(const std::string& text, std::string& bytes);

}  // namespace snapinctl
