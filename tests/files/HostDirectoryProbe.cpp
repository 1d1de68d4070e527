// Reports GetHostDirectory of its own process: writes the directory to the
// file named by its argument (when the call succeeds) and exits with the
// call's result. Run by HostDirectoryTest from chosen places.
#include "files/SnapinFiles.h"

#include <cstdio>

int main(int argc, char** argv) {
    CString directory;
    const int result = GetHostDirectory(directory);
    if (argc > 1 && result == 0) {
        if (FILE* out = std::fopen(argv[1], "wb")) {
            std::fwrite(directory.GetString(), 1, static_cast<size_t>(directory.GetLength()), out);
            std::fclose(out);
        }
    }
    return result;
}
