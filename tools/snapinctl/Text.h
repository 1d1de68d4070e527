#pragma once
// Conversions between the ANSI text of the registry and the file system and
// the UTF-8 text snapinctl prints and reads.
#include <string>

namespace snapinctl {

// ANSI text of the active code page (CP_ACP) as UTF-8, by way of UTF-16.
std::string AnsiToUtf8(const std::string& ansi);
// UTF-8 as ANSI text of the active code page; false when the text is not
// UTF-8 or has a character the code page lacks.
bool Utf8ToAnsi(const std::string& utf8, std::string& ansi);

}  // namespace snapinctl
