#pragma once
// Fails the platform calls of one loaded module, and only of that module:
// its own import-table entries are redirected to shims that count the calls
// and fail the k-th call of one chosen function, as the platform fails it
// (its failure result, and the last-error code or errno that goes with it).
// Releasing calls (CloseHandle, RegCloseKey, UnmapViewOfFile, FindClose,
// free, WinVerifyTrust's closing call) are never failed: nobody can handle
// their failure. Functions the module finds with GetProcAddress are shimmed
// too: the lookup hands out the shim.
#include <windows.h>

#include <string>
#include <vector>

namespace faults {

// The functions a shim stands for, in a fixed order; an index is a "call".
int CallCount();
const char* CallName(int call);
int FindCall(const std::string& name);  // -1 when unknown

// Redirects the module's imports of every shimmed function it imports.
// Returns the names of those it does not import; fails when the module's
// import table cannot be read.
bool Install(HMODULE module, std::vector<std::string>& notImported, std::string& error);

// Counting happens only between Begin and End; End returns whether a fault
// was injected. `call` -1 counts without failing.
void Begin(int call, unsigned long k);
bool End();
unsigned long Calls(int call);  // counted in the last window

}  // namespace faults
