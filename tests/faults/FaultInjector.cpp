#include "tests/faults/FaultInjector.h"

#include <wintrust.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace faults {
namespace {

// DLL, result, calling convention, name, parameters, arguments, which calls
// count, and what a failing call does.
#define FAULT_CALLS(X)                                                                                            \
    X(ADVAPI32, LONG, WINAPI, RegOpenKeyA, (HKEY k, LPCSTR s, PHKEY r), (k, s, r), true,                         \
      return Refuse(ERROR_ACCESS_DENIED))                                                                         \
    X(ADVAPI32, LONG, WINAPI, RegOpenKeyExA, (HKEY k, LPCSTR s, DWORD o, REGSAM a, PHKEY r), (k, s, o, a, r), true, \
      return Refuse(ERROR_ACCESS_DENIED))                                                                         \
    X(ADVAPI32, LONG, WINAPI, RegQueryInfoKeyA,                                                                   \
      (HKEY k, LPSTR c, LPDWORD cl, LPDWORD z, LPDWORD sk, LPDWORD sl, LPDWORD scl, LPDWORD v, LPDWORD vl,        \
       LPDWORD dl, LPDWORD sd, PFILETIME t),                                                                      \
      (k, c, cl, z, sk, sl, scl, v, vl, dl, sd, t), true, return Refuse(ERROR_NOT_ENOUGH_MEMORY))                 \
    X(ADVAPI32, LONG, WINAPI, RegCreateKeyExA,                                                                    \
      (HKEY k, LPCSTR s, DWORD z, LPSTR c, DWORD o, REGSAM a, LPSECURITY_ATTRIBUTES sa, PHKEY r, LPDWORD d),      \
      (k, s, z, c, o, a, sa, r, d), true, return Refuse(ERROR_ACCESS_DENIED))                                     \
    X(ADVAPI32, LONG, WINAPI, RegEnumValueA,                                                                      \
      (HKEY k, DWORD i, LPSTR n, LPDWORD nl, LPDWORD z, LPDWORD t, LPBYTE d, LPDWORD dl),                         \
      (k, i, n, nl, z, t, d, dl), true, return Refuse(ERROR_NOT_ENOUGH_MEMORY))                                   \
    X(ADVAPI32, LONG, WINAPI, RegQueryValueExA, (HKEY k, LPCSTR n, LPDWORD z, LPDWORD t, LPBYTE d, LPDWORD dl),   \
      (k, n, z, t, d, dl), true, return Refuse(ERROR_NOT_ENOUGH_MEMORY))                                          \
    X(ADVAPI32, LONG, WINAPI, RegSetValueExA, (HKEY k, LPCSTR n, DWORD z, DWORD t, const BYTE* d, DWORD dl),      \
      (k, n, z, t, d, dl), true, return Refuse(ERROR_ACCESS_DENIED))                                              \
    X(ADVAPI32, LONG, WINAPI, RegDeleteValueA, (HKEY k, LPCSTR n), (k, n), true, return Refuse(ERROR_ACCESS_DENIED)) \
    X(KERNEL32, HANDLE, WINAPI, FindFirstFileA, (LPCSTR p, LPWIN32_FIND_DATAA d), (p, d), true,                   \
      return Fail(INVALID_HANDLE_VALUE, ERROR_NOT_ENOUGH_MEMORY))                                                 \
    X(KERNEL32, BOOL, WINAPI, FindNextFileA, (HANDLE f, LPWIN32_FIND_DATAA d), (f, d), true,                      \
      return Fail(FALSE, ERROR_NOT_ENOUGH_MEMORY))                                                                \
    X(KERNEL32, HANDLE, WINAPI, CreateFileA,                                                                      \
      (LPCSTR p, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD c, DWORD f, HANDLE t), (p, a, s, sa, c, f, t), \
      true, return Fail(INVALID_HANDLE_VALUE, ERROR_SHARING_VIOLATION))                                           \
    X(KERNEL32, DWORD, WINAPI, GetFileSize, (HANDLE f, LPDWORD h), (f, h), true,                                  \
      return Fail(INVALID_FILE_SIZE, ERROR_ACCESS_DENIED))                                                        \
    X(KERNEL32, HANDLE, WINAPI, CreateFileMappingA,                                                               \
      (HANDLE f, LPSECURITY_ATTRIBUTES sa, DWORD p, DWORD h, DWORD l, LPCSTR n), (f, sa, p, h, l, n), true,       \
      return Fail(HANDLE(nullptr), ERROR_NOT_ENOUGH_MEMORY))                                                      \
    X(KERNEL32, LPVOID, WINAPI, MapViewOfFile, (HANDLE m, DWORD a, DWORD h, DWORD l, SIZE_T n), (m, a, h, l, n),  \
      true, return Fail(LPVOID(nullptr), ERROR_NOT_ENOUGH_MEMORY))                                                \
    X(KERNEL32, HMODULE, WINAPI, LoadLibraryA, (LPCSTR n), (n), true,                                             \
      return Fail(HMODULE(nullptr), ERROR_MOD_NOT_FOUND))                                                         \
    X(KERNEL32, FARPROC, WINAPI, GetProcAddress, (HMODULE m, LPCSTR n), (m, n), true,                             \
      return Fail(FARPROC(nullptr), ERROR_PROC_NOT_FOUND))                                                        \
    X(KERNEL32, DWORD, WINAPI, GetModuleFileNameA, (HMODULE m, LPSTR p, DWORD n), (m, p, n), true,                \
      return Fail(DWORD(0), ERROR_NOT_ENOUGH_MEMORY))                                                             \
    X(KERNEL32, BOOL, WINAPI, GetVersionExA, (LPOSVERSIONINFOA v), (v), true,                                     \
      return Fail(FALSE, ERROR_INVALID_PARAMETER))                                                                \
    /* As the Windows 9x stub fails it. */                                                                    \
    X(KERNEL32, int, WINAPI, LCMapStringW, (LCID l, DWORD f, LPCWSTR s, int sn, LPWSTR d, int dn),               \
      (l, f, s, sn, d, dn), true, return Fail(0, ERROR_CALL_NOT_IMPLEMENTED))                                     \
    X(VERSION, DWORD, WINAPI, GetFileVersionInfoSizeA, (LPCSTR p, LPDWORD h), (p, h), true,                       \
      return Fail(DWORD(0), ERROR_ACCESS_DENIED))                                                                 \
    X(VERSION, BOOL, WINAPI, GetFileVersionInfoA, (LPCSTR p, DWORD h, DWORD n, LPVOID d), (p, h, n, d), true,     \
      return Fail(FALSE, ERROR_ACCESS_DENIED))                                                                    \
    X(VERSION, BOOL, WINAPI, VerQueryValueA, (LPCVOID b, LPCSTR s, LPVOID* v, PUINT n), (b, s, v, n), true,       \
      return Fail(FALSE, ERROR_RESOURCE_TYPE_NOT_FOUND))                                                          \
    X(USER32, INT_PTR, WINAPI, DialogBoxParamA, (HINSTANCE i, LPCSTR t, HWND o, DLGPROC p, LPARAM l),             \
      (i, t, o, p, l), true, return Fail(INT_PTR(-1), ERROR_NOT_ENOUGH_MEMORY))                                   \
    X(USER32, HWND, WINAPI, CreateDialogParamA, (HINSTANCE i, LPCSTR t, HWND o, DLGPROC p, LPARAM l),             \
      (i, t, o, p, l), true, return Fail(HWND(nullptr), ERROR_NOT_ENOUGH_MEMORY))                                 \
    X(USER32, LRESULT, WINAPI, SendMessageA, (HWND w, UINT m, WPARAM wp, LPARAM lp), (w, m, wp, lp),              \
      IsListBoxMessage(m), return ListBoxFailure(m))                                                              \
    X(USER32, BOOL, WINAPI, SetPropA, (HWND w, LPCSTR n, HANDLE d), (w, n, d), true,                              \
      return Fail(FALSE, ERROR_NOT_ENOUGH_MEMORY))                                                                \
    /* Found with GetProcAddress (see LookUp); the closing call is never failed. */                               \
    X(WINTRUST, LONG, WINAPI, WinVerifyTrust, (HWND w, GUID* a, LPVOID d), (w, a, d),                             \
      static_cast<WINTRUST_DATA*>(d)->dwStateAction != WTD_STATEACTION_CLOSE, return Refuse(TRUST_E_SYSTEM_ERROR)) \
    X(CRYPT32, HCERTSTORE, WINAPI, CertOpenStore, (LPCSTR p, DWORD e, HCRYPTPROV_LEGACY c, DWORD f, const void* a), \
      (p, e, c, f, a), true, return Fail(HCERTSTORE(nullptr), ERROR_ACCESS_DENIED))                               \
    X(msvcrt, void*, __cdecl, malloc, (size_t n), (n), true, return OutOfMemory())                                \
    X(msvcrt, void*, __cdecl, calloc, (size_t n, size_t s), (n, s), true, return OutOfMemory())                   \
    X(msvcrt, void*, __cdecl, realloc, (void* p, size_t n), (p, n), true, return OutOfMemory())

enum : int {
#define FAULT_INDEX(dll, result, convention, name, params, args, counted, failure) k_##name,
    FAULT_CALLS(FAULT_INDEX) kCalls
};

unsigned long g_counts[kCalls];
bool g_counting = false;
int g_target = -1;
unsigned long g_k = 0;
bool g_injected = false;

bool Hit(int call) {
    if (!g_counting) return false;
    if (++g_counts[call] != g_k || call != g_target) return false;
    g_injected = true;
    return true;
}

template <typename T>
T Fail(T result, DWORD error) {
    SetLastError(error);
    return result;
}
LONG Refuse(DWORD error) { return static_cast<LONG>(Fail(error, error)); }
void* OutOfMemory() {
    errno = ENOMEM;
    return nullptr;
}
bool IsListBoxMessage(UINT message) { return message >= LB_ADDSTRING && message <= LB_MSGMAX; }
LRESULT ListBoxFailure(UINT message) {
    if (message == LB_ADDSTRING || message == LB_INSERTSTRING)
        return Fail(LRESULT(LB_ERRSPACE), ERROR_NOT_ENOUGH_MEMORY);
    return LB_ERR;
}

#define FAULT_SHIM(dll, result, convention, name, params, args, counted, failure) \
    using name##_fn = result(convention*) params;                                 \
    name##_fn g_real_##name = nullptr;                                            \
    result convention Shim_##name params {                                        \
        if ((counted) && Hit(k_##name)) failure;                                  \
        return g_real_##name args;                                                \
    }
FAULT_CALLS(FAULT_SHIM)

struct Shim {
    const char* dll;
    const char* name;
    void* shim;
    void** real;
};

const Shim kShims[] = {
#define FAULT_ENTRY(dll, result, convention, name, params, args, counted, failure) \
    {#dll ".dll", #name, reinterpret_cast<void*>(&Shim_##name), reinterpret_cast<void**>(&g_real_##name)},
    FAULT_CALLS(FAULT_ENTRY)};

// The module's GetProcAddress, past its shim: an entry point with a shim of
// its own is handed out as that shim.
FARPROC WINAPI LookUp(HMODULE module, LPCSTR name) {
    const FARPROC found = GetProcAddress(module, name);
    for (const Shim& shim : kShims) {
        if (!found || !HIWORD(name) || std::strcmp(shim.name, name) != 0) continue;
        *shim.real = reinterpret_cast<void*>(found);
        return reinterpret_cast<FARPROC>(shim.shim);
    }
    return found;
}

const Shim* FindShim(const char* dll, const char* name) {
    for (const Shim& shim : kShims)
        if (lstrcmpiA(shim.dll, dll) == 0 && std::strcmp(shim.name, name) == 0) return &shim;
    return nullptr;
}

bool Redirect(ULONG_PTR* slot, void* shim) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
    *slot = reinterpret_cast<ULONG_PTR>(shim);
    VirtualProtect(slot, sizeof *slot, old, &old);
    return true;
}
}  // namespace

int CallCount() { return kCalls; }
const char* CallName(int call) { return call >= 0 && call < kCalls ? kShims[call].name : "?"; }

int FindCall(const std::string& name) {
    for (int call = 0; call < kCalls; ++call)
        if (name == kShims[call].name) return call;
    return -1;
}

bool Install(HMODULE module, std::vector<std::string>& notImported, std::string& error) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!module || imports.VirtualAddress == 0) return error = "no import table", false;
    bool patched[kCalls] = {};
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (!d->OriginalFirstThunk) return error = "import names missing", false;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA32*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA32*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL32(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            const Shim* shim = FindShim(reinterpret_cast<const char*>(base + d->Name), byName->Name);
            if (!shim) continue;
            *shim->real = reinterpret_cast<void*>(slots->u1.Function);
            auto* slot = reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
            if (!Redirect(slot, shim->shim)) return error = std::string("cannot redirect ") + shim->name, false;
            patched[shim - kShims] = true;
        }
    }
    for (int call = 0; call < kCalls; ++call)
        if (!patched[call]) notImported.push_back(kShims[call].name);
    g_real_GetProcAddress = LookUp;
    return true;
}

void Begin(int call, unsigned long k) {
    for (unsigned long& count : g_counts) count = 0;
    g_target = call;
    g_k = k;
    g_injected = false;
    g_counting = true;
}

bool End() {
    g_counting = false;
    return g_injected;
}

unsigned long Calls(int call) { return call >= 0 && call < kCalls ? g_counts[call] : 0; }

}  // namespace faults
