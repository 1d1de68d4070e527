#include "framework/FileFind.h"

bool CFileFind::FindFile(const char* pattern) {
    Close();
    m_find = FindFirstFileA(pattern, &m_next);
    m_hasNext = m_find != INVALID_HANDLE_VALUE;
    return m_hasNext;
}

bool CFileFind::FindNextFile() {
    if (!m_hasNext) return false;
    m_found = m_next;
    m_hasNext = ::FindNextFileA(m_find, &m_next) != FALSE;
    return m_hasNext;
}

bool CFileFind::IsDirectory() const { return (m_found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

CString CFileFind::GetFileName() const { return CString(m_found.cFileName); }

void CFileFind::Close() {
    if (m_find != INVALID_HANDLE_VALUE) FindClose(m_find);
    m_find = INVALID_HANDLE_VALUE;
    m_hasNext = false;
    m_found = WIN32_FIND_DATAA{};
}
