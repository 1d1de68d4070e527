#pragma once
// Guards against a hang. Tests wait for the event itself (a process that
// ends, a dialog that closes); a guard only keeps a hung run from waiting
// forever. Guards are generous and grow by one factor, PLUGWARD_WAIT_SCALE,
// which scripts/wine-env raises where 32-bit code runs emulated.
#include <windows.h>

DWORD GuardMs(DWORD baseMs);

// Waits for the process to end, within the guard. On time-out it ends the
// process, waits for that too, so that nothing half-written is read as a
// result, and returns false.
bool WaitForProcess(HANDLE process, DWORD baseGuardMs);
