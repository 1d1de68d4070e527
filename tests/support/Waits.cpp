#include "tests/support/Waits.h"

#include <cstdlib>

DWORD GuardMs(DWORD baseMs) {
    char text[16] = "";
    const DWORD length = GetEnvironmentVariableA("PLUGWARD_WAIT_SCALE", text, sizeof text);
    const unsigned long scale = length > 0 && length < sizeof text ? std::strtoul(text, nullptr, 10) : 0;
    return scale > 1 && scale < 100 ? baseMs * scale : baseMs;
}

bool WaitForProcess(HANDLE process, DWORD baseGuardMs) {
    if (WaitForSingleObject(process, GuardMs(baseGuardMs)) == WAIT_OBJECT_0) return true;
    TerminateProcess(process, 0xDEAD);
    WaitForSingleObject(process, INFINITE);
    return false;
}
