#pragma once
// What a leak in this process would raise. Wine reports no handle or object
// counts, so the slot a fresh kernel handle, GDI object or window gets stands
// in for them: slots are reused lowest first, so leaked ones push it up. Heap
// bytes in use are summed over every heap of the process.
#include <windows.h>

struct ProcessFigures {
    DWORD handleCount = 0;
    unsigned long nextHandle = 0;
    unsigned long nextGdiObject = 0;
    unsigned long nextUserObject = 0;
    unsigned long heapBytes = 0;
    unsigned long pagefileBytes = 0;
};

ProcessFigures MeasureProcess();
