// The C++ runtime's mutexes (libgcc's gthr-win32, used by the unwinder and
// the emulated thread-local storage) create their semaphores with
// CreateSemaphoreW, which Windows 95, 98 and ME export only as a stub that
// fails. This import slot, defined here, takes the place of that import: the
// call goes to CreateSemaphoreA, which every Windows has, with the name (the
// runtime passes none) converted to the active code page.
#include <windows.h>

namespace {
using CreateSemaphoreWide = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR);

HANDLE WINAPI CreateSemaphoreThroughA(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum, LPCWSTR name) {
    char narrowName[MAX_PATH];
    if (name && !WideCharToMultiByte(CP_ACP, 0, name, -1, narrowName, sizeof narrowName, nullptr, nullptr))
        return nullptr;
    return CreateSemaphoreA(attributes, initial, maximum, name ? narrowName : nullptr);
}
}  // namespace

// The import slot's own name, as the importing code refers to it.
extern "C" CreateSemaphoreWide importSlotCreateSemaphoreW __asm__("__imp__CreateSemaphoreW@16");
CreateSemaphoreWide importSlotCreateSemaphoreW = &CreateSemaphoreThroughA;
