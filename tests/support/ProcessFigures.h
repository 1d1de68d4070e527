#pragma once
// What a leak in this process would raise. Wine reports no handle or object
// counts, so the slot a fresh kernel handle or GDI object gets stands in for
// them: those slots are reused lowest first, so leaked ones push it up.
// Windows are counted: those of the calling thread, with their children.
// Heap bytes in use are summed over every heap of the process.
#include <windows.h>

struct ProcessFigures {
    DWORD handleCount = 0;
    unsigned long nextHandle = 0;
    unsigned long nextGdiObject = 0;
    unsigned long threadWindows = 0;
    unsigned long heapBytes = 0;
    unsigned long pagefileBytes = 0;
};

ProcessFigures MeasureProcess();
