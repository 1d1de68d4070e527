#include "tests/support/ProcessFigures.h"

#include <psapi.h>

namespace {
BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<unsigned long*>(count);
    return TRUE;
}

BOOL CALLBACK CountWindowAndChildren(HWND window, LPARAM count) {
    CountWindow(window, count);
    EnumChildWindows(window, CountWindow, count);
    return TRUE;
}

unsigned long HeapBytesInUse() {
    HANDLE heaps[128];
    DWORD count = GetProcessHeaps(128, heaps);
    unsigned long total = 0;
    for (DWORD i = 0; i < count && i < 128; ++i) {
        PROCESS_HEAP_ENTRY entry{};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}
}  // namespace

ProcessFigures MeasureProcess() {
    ProcessFigures figures;
    GetProcessHandleCount(GetCurrentProcess(), &figures.handleCount);
    HANDLE fresh = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    figures.nextHandle = static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(fresh));
    CloseHandle(fresh);
    HBRUSH brush = CreateSolidBrush(0);
    figures.nextGdiObject = LOWORD(reinterpret_cast<UINT_PTR>(brush));
    DeleteObject(brush);
    EnumThreadWindows(GetCurrentThreadId(), CountWindowAndChildren, reinterpret_cast<LPARAM>(&figures.threadWindows));
    figures.heapBytes = HeapBytesInUse();
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory))
        figures.pagefileBytes = static_cast<unsigned long>(memory.PagefileUsage);
    return figures;
}
