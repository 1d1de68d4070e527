// libstdc++'s file streams, which CLI11's configuration-file reader brings in
// although snapinctl reads no configuration file, import _fstat64 from
// msvcrt.dll. The msvcrt.dll of Windows 95, 98, ME, NT 4.0 and 2000 has no
// _fstat64, and the loader would refuse to start the program there. This
// import slot, defined here, takes the place of the import: the first call
// looks the function up at run time and falls back to _fstat, which every
// msvcrt.dll has.
#include <windows.h>

#include <sys/stat.h>

namespace {
using Fstat64 = int(__cdecl*)(int, struct _stat64*);

int __cdecl Fstat64ThroughFstat(int descriptor, struct _stat64* status) {
    struct _stat narrow;
    if (_fstat(descriptor, &narrow) != 0) return -1;
    status->st_dev = narrow.st_dev;
    status->st_ino = narrow.st_ino;
    status->st_mode = narrow.st_mode;
    status->st_nlink = narrow.st_nlink;
    status->st_uid = narrow.st_uid;
    status->st_gid = narrow.st_gid;
    status->st_rdev = narrow.st_rdev;
    status->st_size = narrow.st_size;
    status->st_atime = narrow.st_atime;
    status->st_mtime = narrow.st_mtime;
    status->st_ctime = narrow.st_ctime;
    return 0;
}

Fstat64 resolvedFstat64 = nullptr;

int __cdecl Fstat64Resolved(int descriptor, struct _stat64* status) {
    if (!resolvedFstat64) {
        HMODULE runtime = GetModuleHandleA("msvcrt.dll");
        FARPROC found = runtime ? GetProcAddress(runtime, "_fstat64") : nullptr;
        resolvedFstat64 = found ? reinterpret_cast<Fstat64>(reinterpret_cast<void*>(found)) : &Fstat64ThroughFstat;
    }
    return resolvedFstat64(descriptor, status);
}
}  // namespace

// The import slot's own name, as the importing code refers to it.
extern "C" Fstat64 importSlotFstat64 __asm__("__imp___fstat64");
Fstat64 importSlotFstat64 = &Fstat64Resolved;
