// snapinctl.exe: see SnapinCtl.h and `snapinctl --help`.
#include "tools/snapinctl/ExitStatus.h"
#include "tools/snapinctl/SnapinCtl.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    // Lines end in "\n" alone, and the UTF-8 bytes go out unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    try {
        return snapinctl::Run(argc, argv, stdout, stderr);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "snapinctl: %s\n", error.what());
        return snapinctl::kExitFailure;
    }
}
