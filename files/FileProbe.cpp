#include "files/FileProbe.h"

#include "framework/FileFind.h"

int ProbeFile(const CString& path, bool& exists) {
    if (path.Failed()) return kFailedAllocation;
    CFileFind find;
    if (!find.FindFile(path)) {
        const DWORD code = GetLastError();
        exists = false;
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_NO_MORE_FILES
                   ? 0
                   : static_cast<int>(code ? code : ERROR_GEN_FAILURE);
    }
    find.FindNextFile();
    exists = !find.IsDirectory();
    return 0;
}
