// Holds a Wine session's desktop open; scripts/wine-env starts it as a
// session starts. Wine ends the desktop, and its explorer.exe, a second after
// the last program that used it; the next program to show a window then waits
// for a new one, which also inherits that program's output handles.
//   desktop_keeper FILE    creates FILE once it holds the desktop
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    GetDesktopWindow();  // starts the desktop's explorer.exe
    const HANDLE held = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(held);
    Sleep(INFINITE);
}
