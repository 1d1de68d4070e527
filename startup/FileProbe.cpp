#include "startup/FileProbe.h"

#include "framework/FileFind.h"

bool IsExistingFile(const CString& path) {
    CFileFind find;
    if (!find.FindFile(path)) return false;
    find.FindNextFile();
    return !find.IsDirectory();
}
