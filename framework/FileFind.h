#pragma once
// CFileFind: a directory search that hands out one match at a time.
#include "framework/String.h"
#include <windows.h>

class CFileFind {
public:
    CFileFind() = default;
    ~CFileFind() { Close(); }
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // True when a first match exists; FindNextFile then reaches it.
    bool FindFile(const char* pattern);
    // Reaches the next match; true when a further match follows it.
    bool FindNextFile();
    bool IsDirectory() const;
    CString GetFileName() const;
    void Close();

private:
    HANDLE m_find = INVALID_HANDLE_VALUE;
    bool m_hasNext = false;
    WIN32_FIND_DATAA m_next{};
    WIN32_FIND_DATAA m_found{};
};
