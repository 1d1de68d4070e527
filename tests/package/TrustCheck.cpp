// Prints WinVerifyTrust's verdict on each file named, one "0xCODE FILE" line
// each: Authenticode policy, no UI, no revocation check (offline machines).
#include <windows.h>
#include <softpub.h>
#include <wintrust.h>

#include <cstdio>
#include <cstring>
#include <string>

static LONG VerdictOnSignature(const char* path) {
    const std::wstring widePath(path, path + std::strlen(path));  // the tests' paths are ASCII
    WINTRUST_FILE_INFO file{sizeof(file), widePath.c_str(), nullptr, nullptr};
    // WTD_STATEACTION_IGNORE: WinVerifyTrust keeps nothing open.
    WINTRUST_DATA data{sizeof(data), nullptr, nullptr, WTD_UI_NONE, WTD_REVOKE_NONE, WTD_CHOICE_FILE, {&file},
                       WTD_STATEACTION_IGNORE, nullptr, nullptr, 0, 0};
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    return WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        std::printf("0x%08lX %s\n", static_cast<unsigned long>(VerdictOnSignature(argv[i])), argv[i]);
}
