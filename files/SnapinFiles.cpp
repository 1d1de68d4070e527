// The Win32 edge of the snap-in file checks: the host directory, opening and mapping a
// candidate file for the pure inspection, and version-resource descriptions.
#include "files/SnapinFiles.h"

#include "files/HostPath.h"
#include "files/Win32Handle.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace {

const DWORD kHostPathCapacity = MAX_PATH;  // 260 characters with the NUL
const char kDescriptionValue[] = "\\StringFileInfo\\040904B0\\FileDescription";

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

// A platform code for a failure: GetLastError(), or `fallback` when the
// platform gave none (a result of 0 would read as success).
int LastErrorOr(DWORD fallback) {
    const DWORD code = GetLastError();
    return static_cast<int>(code != ERROR_SUCCESS ? code : fallback);
}

}  // namespace

int GetModulePath(HINSTANCE module, CString& path) {
    char buffer[kHostPathCapacity + 1] = {};
    SetLastError(NO_ERROR);
    const DWORD returned = GetModuleFileNameA(module, buffer, kHostPathCapacity);
    // Windows XP and later also report ERROR_INSUFFICIENT_BUFFER for a name
    // they cut; older ones set no code at all.
    size_t length = 0;
    const int result = ModulePathLength(buffer, returned, kHostPathCapacity, GetLastError(), length);
    if (result != 0) return result;
    CString text(buffer, static_cast<int>(length));
    if (text.Failed()) return kFailedAllocation;
    path = std::move(text);
    return 0;
}

CString FileNameOfPath(const CString& path) {
    return CString(path.GetString() + FileNameOffset(path.GetString(), static_cast<size_t>(path.GetLength()), IsLeadByte));
}

int GetModuleDirectory(HINSTANCE module, CString& directory) {
    CString path;
    const int result = GetModulePath(module, path);
    if (result != 0) return result;
    const size_t keep = DirectoryPrefixLength(path.GetString(), static_cast<size_t>(path.GetLength()), IsLeadByte);
    CString text(path, static_cast<int>(keep));
    if (text.Failed()) return kFailedAllocation;
    directory = std::move(text);
    return 0;
}

int InspectSnapinFile(const char* path, int32_t& kind, ImageVerdict& verdict) {
    kind = kSnapinNoImportSection;
    verdict = ImageVerdict::HeaderOutsideFile;

    UniqueFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_RANDOM_ACCESS, nullptr));
    if (!file) return LastErrorOr(ERROR_OPEN_FAILED);

    // INVALID_FILE_SIZE is also the true size of a file of 4 GB - 1 bytes;
    // only an error code set by the call makes it a failure.
    SetLastError(NO_ERROR);
    const DWORD size = GetFileSize(file.Get(), nullptr);
    if (size == INVALID_FILE_SIZE) {
        const DWORD code = GetLastError();
        if (code != NO_ERROR) return static_cast<int>(code);
    }

    UniqueHandle mapping(CreateFileMappingA(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return LastErrorOr(ERROR_FILE_INVALID);

    UniqueView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);

    // The view covers the whole file; the file cannot change size while the
    // handle shares it for reading only and the mapping exists.
    const ImageInspection inspection = InspectSnapinImage(static_cast<const unsigned char*>(view.Get()), size);
    kind = inspection.kind;
    verdict = inspection.verdict;
    return inspection.verdict == ImageVerdict::Snapin ? 0 : -1;
    // Released here in reverse order: view, mapping, file.
}

int CheckSnapinImage(const char* path, int32_t& kind) {
    ImageVerdict verdict;
    return InspectSnapinFile(path, kind, verdict);
}

int GetFileDescription(const char* fileName, CString& description) {
    const int result = ReadFileDescription(fileName, description);
    return result == kCorruptVersionBlock ? -2 : result;
}

CString RowText(const char* data, const CString& name) {
    CString description;
    return *data && GetFileDescription(data, description) == 0 ? description : name;
}

int ReadFileDescription(const char* fileName, CString& description) {
    DWORD ignored = 0;
    SetLastError(NO_ERROR);  // so that "no code" is told apart from a stale one
    const DWORD size = GetFileVersionInfoSizeA(fileName, &ignored);
    if (size == 0) return LastErrorOr(ERROR_RESOURCE_DATA_NOT_FOUND);

    // Twice the reported size, as the platform's ANSI conversion may need it.
    if (size > SIZE_MAX / 2) return kFailedAllocation;
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[size_t{size} * 2]);
    if (!block) return kFailedAllocation;

    SetLastError(NO_ERROR);
    if (!GetFileVersionInfoA(fileName, 0, size, block.get())) return LastErrorOr(ERROR_RESOURCE_DATA_NOT_FOUND);

    // The platform writes its ANSI copy of a value behind the block, at the
    // offset the block's own length field names: a field that claims more
    // than the platform read would have it written outside the block.
    const unsigned blockLength = size < 2 ? 0 : block[0] | block[1] << 8;
    if (blockLength < 2 || blockLength > size) return kCorruptVersionBlock;

    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.get(), kDescriptionValue, &value, &length) || !value) return -2;

    // The reported length may count the terminating NUL (or more padding):
    // the description ends at the first NUL within it.
    const char* text = static_cast<const char*>(value);
    CString found(text, static_cast<int>(strnlen(text, length)));
    if (found.Failed()) return kFailedAllocation;
    description = std::move(found);
    return 0;
}
