#include "framework/String.h"

#include <cstring>
#include <new>
#include <utility>

CString::CString(const char* text) : CString(text, text ? static_cast<int>(std::strlen(text)) : 0) {}

CString::CString(const char* text, int length) {
    if (text && length > 0) Append(text, static_cast<size_t>(length));
}

CString::CString(const CString& other) : CString(other.m_text, static_cast<int>(other.m_length)) {
    m_failed = m_failed || other.m_failed;
}

CString::CString(CString&& other) noexcept
    : m_text(std::exchange(other.m_text, nullptr)),
      m_length(std::exchange(other.m_length, 0)),
      m_failed(std::exchange(other.m_failed, false)) {}

CString& CString::operator=(const CString& other) {
    if (this != &other) *this = CString(other);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    std::swap(m_text, other.m_text);
    std::swap(m_length, other.m_length);
    std::swap(m_failed, other.m_failed);
    return *this;
}

CString::~CString() { delete[] m_text; }

void CString::Empty() { *this = CString(); }

CString& CString::operator+=(const char* text) {
    if (text) Append(text, std::strlen(text));
    return *this;
}

CString& CString::operator+=(const CString& other) {
    Append(other.GetString(), other.m_length);
    m_failed = m_failed || other.m_failed;
    return *this;
}

// Without memory for the joined text the string becomes failed and empty.
void CString::Append(const char* text, size_t length) {
    if (length == 0 || m_failed) return;
    char* joined = m_length + length < m_length ? nullptr : new (std::nothrow) char[m_length + length + 1];
    if (!joined) {
        Empty();
        m_failed = true;
        return;
    }
    if (m_text) std::memcpy(joined, m_text, m_length);
    std::memcpy(joined + m_length, text, length);
    joined[m_length + length] = '\0';
    delete[] m_text;
    m_text = joined;
    m_length += length;
}

bool operator==(const CString& a, const CString& b) {
    return a.m_length == b.m_length && std::memcmp(a.GetString(), b.GetString(), a.m_length) == 0;
}

bool operator==(const CString& a, const char* b) {
    const char* text = b ? b : "";
    return std::strlen(text) == a.m_length && std::memcmp(a.GetString(), text, a.m_length) == 0;
}
