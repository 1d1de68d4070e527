#pragma once
// CString: an owned single-byte text of the active code page.
#include <string>
#include <utility>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const char* text, int length) : m_text(text, text + (length > 0 ? length : 0)) {}

    const char* GetString() const { return m_text.c_str(); }
    operator const char*() const { return m_text.c_str(); }
    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }

    CString& operator+=(const char* text) { m_text += text; return *this; }
    CString& operator+=(const CString& other) { m_text += other.m_text; return *this; }
    friend CString operator+(CString left, const char* right) { return left += right; }
    friend CString operator+(CString left, const CString& right) { return left += right; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_text != b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.m_text == b; }

    const std::string& str() const { return m_text; }

private:
    std::string m_text;
};
