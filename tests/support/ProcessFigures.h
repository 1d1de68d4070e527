#pragma once
// What a leak in this process would raise. Wine reports no handle count, so
// the value of a fresh handle stands in for it: handle values are reused
// lowest first, so leaked handles push it up. Heap bytes in use are summed
// over every heap of the process.
#include <windows.h>

struct ProcessFigures {
    DWORD handleCount = 0;
    unsigned long nextHandle = 0;
    unsigned long heapBytes = 0;
    unsigned long pagefileBytes = 0;
};

ProcessFigures MeasureProcess();
