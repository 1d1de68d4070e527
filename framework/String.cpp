#include "framework/String.h"

#include <cstdint>
#include <cstring>
#include <utility>

CString::CString(const char* text) : CString(text, text ? static_cast<int>(std::strlen(text)) : 0) {}

CString::CString(const char* text, int length) {
    if (text && length > 0) Append(text, static_cast<size_t>(length));
}

CString::CString(CString&& other) noexcept
    : m_text(std::exchange(other.m_text, nullptr)), m_length(std::exchange(other.m_length, 0)) {}

CString& CString::operator=(const CString& other) {
    if (this != &other) *this = CString(other);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    std::swap(m_text, other.m_text);
    std::swap(m_length, other.m_length);
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
    return *this;
}

// The new block is complete before the old one is given up, so a failed
// allocation leaves the text as it was.
void CString::Append(const char* text, size_t length) {
    if (length == 0) return;
    char* joined = new char[m_length + length + 1];
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

size_t CStringHash::operator()(const CString& text) const noexcept {
    uint32_t hash = 2166136261u;
    const char* bytes = text.GetString();
    for (int i = 0; i < text.GetLength(); ++i) hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 16777619u;
    return hash;
}
