// A library that the demonstration snap-ins could share: it is installed in
// SNAPINS\ next to them but has no snap-in entry point, so discovery passes
// over it.
#include <windows.h>

// Writes "TITLE - page N" into `target` (at most `size` bytes); returns its length.
extern "C" __declspec(dllexport) int __cdecl FormatReportHeading(const char* title, int page, char* target,
                                                                 int size) {
    if (!title || !target || size <= 0) return 0;
    char heading[128];
    wsprintfA(heading, "%.100s - page %d", title, page);
    lstrcpynA(target, heading, size);
    return lstrlenA(target);
}
