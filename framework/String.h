#pragma once
// CString: an owned single-byte text of the active code page, on a heap block
// of its own. A text that could not get memory is failed: it reads as empty,
// and every copy or append of it is failed too, so a caller checks Failed()
// once, where it uses the result, and reports -1.
#include <cstddef>
#include <string>
#include <utility>

// The module's result code for a failed allocation.
constexpr int kFailedAllocation = -1;

class CString {
public:
    CString() noexcept = default;
    CString(const char* text);
    CString(const char* text, int length);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    ~CString();

    const char* GetString() const { return m_text ? m_text : ""; }
    operator const char*() const { return GetString(); }
    int GetLength() const { return static_cast<int>(m_length); }
    bool IsEmpty() const { return m_length == 0; }
    bool Failed() const { return m_failed; }
    void Empty();
    // The text's own GetLength() bytes, to change in place; null when empty.
    char* GetBuffer() { return m_text; }

    CString& operator+=(const char* text);
    CString& operator+=(const CString& other);
    friend CString operator+(CString left, const char* right) { return std::move(left += right); }
    friend CString operator+(CString left, const CString& right) { return std::move(left += right); }
    friend bool operator==(const CString& a, const CString& b);
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator==(const CString& a, const char* b);

    // For snapinctl's output; the module itself does not use std::string.
    std::string str() const { return std::string(GetString(), m_length); }

private:
    void Append(const char* text, size_t length);

    char* m_text = nullptr;
    size_t m_length = 0;
    bool m_failed = false;
};
