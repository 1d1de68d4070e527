#include "tools/snapinctl/FileState.h"

#include "tools/snapinctl/Errors.h"

#include <iterator>

namespace snapinctl {

namespace {
const char* const kStateNames[] = {"ok",        "missing",       "directory",     "not-snapin",
                                   "wrong-kind", "bad-entry",    "name-mismatch", "against-policy"};
}

const char* StateName(FileState state) { return kStateNames[static_cast<int>(state)]; }

const char* const* PrunableStateNames(int& count) {
    count = static_cast<int>(std::size(kStateNames)) - 2;
    return kStateNames + 1;
}

FileCheck CheckFile(const char* path) {
    FileCheck file;
    file.check = InspectSnapinFile(path, file.kind, file.verdict);
    const DWORD attributes = GetFileAttributesA(path);
    if (file.check == 0)
        file.state = FileState::Ok;
    else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        file.state = FileState::Directory;
    else if (file.check == ERROR_FILE_NOT_FOUND || file.check == ERROR_PATH_NOT_FOUND)
        file.state = FileState::Missing;
    return file;
}

std::string KindText(int32_t kind) {
    switch (kind) {
        case kSnapinNoImportSection: return "snap-in without import section";
        case kSnapinObject: return "object snap-in";
        case kSnapinView: return "view snap-in";
    }
    return "snap-in of unknown kind " + std::to_string(kind);
}

std::string CheckText(int check, ImageVerdict verdict) {
    return check == -1 ? DescribeVerdict(verdict) : Win32ErrorText(check);
}

std::string CheckText(const FileCheck& file) {
    return file.check == 0 ? KindText(file.kind) : CheckText(file.check, file.verdict);
}

}  // namespace snapinctl
