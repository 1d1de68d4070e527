#include "registry/TextCase.h"

#include <algorithm>
#include <cstring>

namespace {
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The upper-case form of a double-byte character through the locale's
// Unicode mapping; false when the mapping fails or is no single double-byte
// character of the code page.
bool UpperCaseThroughUnicode(const char* pair, UINT codePage, char* mapped, bool& unsupported) {
    wchar_t wide = 0;
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, pair, 2, &wide, 1) != 1) return false;
    wchar_t upper = 0;
    if (LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, &wide, 1, &upper, 1) != 1) {
        unsupported = GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
        return false;
    }
    BOOL usedDefault = FALSE;
    return WideCharToMultiByte(codePage, 0, &upper, 1, mapped, 2, nullptr, &usedDefault) == 2 && !usedDefault;
}

// Windows 95 has LCMapStringW only as a stub; there the locale's ANSI mapping
// does the same for a character of the active code page.
bool UpperCaseThroughAnsi(const char* pair, UINT codePage, char* mapped) {
    if (codePage != CP_ACP && codePage != GetACP()) return false;
    char upper[3] = {};
    if (LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, pair, 2, upper, 2) != 2) return false;
    if (!IsDBCSLeadByteEx(codePage, static_cast<BYTE>(upper[0]))) return false;
    mapped[0] = upper[0];
    mapped[1] = upper[1];
    return true;
}

// Replaces a double-byte character by its upper-case form, provided that form
// is again one double-byte character of the code page; otherwise leaves it.
void UpperCaseDoubleByte(char* pair, UINT codePage) {
    char mapped[2];
    bool unsupported = false;
    if (!UpperCaseThroughUnicode(pair, codePage, mapped, unsupported) &&
        !(unsupported && UpperCaseThroughAnsi(pair, codePage, mapped)))
        return;
    pair[0] = mapped[0];
    pair[1] = mapped[1];
}
}  // namespace

bool EqualIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b)) return false;
    }
    return *a == *b;
}

int CompareNames(const CString& a, const CString& b) {
    const int common = std::min(a.GetLength(), b.GetLength());
    const int bytes = std::memcmp(a.GetString(), b.GetString(), static_cast<size_t>(common));
    return bytes != 0 ? bytes : a.GetLength() - b.GetLength();
}

CString UpperCaseName(const char* name, UINT codePage) {
    CString upper(name);
    char* text = upper.GetBuffer();
    const int length = upper.GetLength();
    for (int i = 0; i < length; ++i) {
        char& c = text[i];
        if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(c)) && i + 1 < length) {
            UpperCaseDoubleByte(&c, codePage);
            ++i;
        } else if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}
