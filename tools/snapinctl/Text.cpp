#include "tools/snapinctl/Text.h"

#include <windows.h>

namespace snapinctl {

std::string AnsiToUtf8(const std::string& ansi) {
    if (ansi.empty()) return std::string();
    const int length = static_cast<int>(ansi.size());
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    if (wideLength <= 0) return std::string();
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, &wide[0], wideLength);
    const int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (utf8Length <= 0) return std::string();
    std::string utf8(static_cast<size_t>(utf8Length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], utf8Length, nullptr, nullptr);
    return utf8;
}

bool Utf8ToAnsi(const std::string& utf8, std::string& ansi) {
    ansi.clear();
    if (utf8.empty()) return true;
    const int length = static_cast<int>(utf8.size());
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (wideLength <= 0) return false;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, &wide[0], wideLength);
    // U+FFFD stands for a byte that was no UTF-8.
    if (wide.find(L'\xFFFD') != std::wstring::npos) return false;
    BOOL usedDefault = FALSE;
    const int ansiLength = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, &usedDefault);
    if (ansiLength <= 0 || usedDefault) return false;
    ansi.assign(static_cast<size_t>(ansiLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &ansi[0], ansiLength, nullptr, nullptr);
    return true;
}

}  // namespace snapinctl
