#pragma once
// CString: an owned single-byte text of the active code page, on a heap block
// of its own. Copies and appends that cannot get memory throw std::bad_alloc,
// which the module's entry points turn into -1.
#include <cstddef>
#include <string>

class CString {
public:
    CString() noexcept = default;
    CString(const char* text);
    CString(const char* text, int length);
    CString(const CString& other) : CString(other.m_text, static_cast<int>(other.m_length)) {}
    CString(CString&& other) noexcept;
    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    ~CString();

    const char* GetString() const { return m_text ? m_text : ""; }
    operator const char*() const { return GetString(); }
    int GetLength() const { return static_cast<int>(m_length); }
    bool IsEmpty() const { return m_length == 0; }
    void Empty();
    // The text's own GetLength() bytes, to change in place; null when empty.
    char* GetBuffer() { return m_text; }

    CString& operator+=(const char* text);
    CString& operator+=(const CString& other);
    friend CString operator+(CString left, const char* right) { return left += right; }
    friend CString operator+(CString left, const CString& right) { return left += right; }
    friend bool operator==(const CString& a, const CString& b);
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator==(const CString& a, const char* b);

    // For snapinctl's output; the module itself does not use std::string.
    std::string str() const { return std::string(GetString(), m_length); }

private:
    void Append(const char* text, size_t length);

    char* m_text = nullptr;
    size_t m_length = 0;
};

// For unordered containers keyed by a CString (FNV-1a over its bytes).
struct CStringHash {
    size_t operator()(const CString& text) const noexcept;
};
