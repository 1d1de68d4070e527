#include "tools/snapinctl/Base64.h"

#include <algorithm>
#include <cstring>

namespace snapinctl {

namespace {
const char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
}

std::string Base64Encode(const std::string& bytes) {
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = std::min<size_t>(3, bytes.size() - i);
        unsigned long group = 0;
        for (size_t j = 0; j < 3; ++j)
            group = group << 8 | (j < left ? static_cast<unsigned char>(bytes[i + j]) : 0u);
        for (size_t j = 0; j < 4; ++j) text += j <= left ? kBase64Digits[(group >> (18 - 6 * j)) & 63] : '=';
    }
    return text;
}

bool Base64Decode(const std::string& text, std::string& bytes) {
    if (text.size() % 4 != 0) return false;
    std::string decoded;
    for (size_t i = 0; i < text.size(); i += 4) {
        unsigned long group = 0;
        size_t digits = 0;
        for (size_t j = 0; j < 4; ++j) {
            const char* digit = text[i + j] == '=' ? nullptr : std::strchr(kBase64Digits, text[i + j]);
            if (!digit || !text[i + j]) {
                if (text[i + j] != '=' || i + 4 != text.size() || j < 2) return false;
                group <<= 6;
                continue;
            }
            if (digits != j) return false;  // a digit after padding
            group = group << 6 | static_cast<unsigned long>(digit - kBase64Digits);
            ++digits;
        }
        for (size_t j = 0; j + 1 < digits; ++j) decoded += static_cast<char>((group >> (16 - 8 * j)) & 255);
    }
    // Only the canonical form: the unused bits of the last digit are zero.
    if (Base64Encode(decoded) != text) return false;
    bytes = decoded;
    return true;
}

}  // namespace snapinctl
