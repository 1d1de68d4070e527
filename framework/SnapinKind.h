#pragma once
// Kind of snap-in, from the file's import section: what the image inspection
// finds and what the lists are kept by. Pure: the native builds include it.
#include <cstdint>

enum SnapinKind : int32_t {
    kSnapinNoImportSection = 0,
    kSnapinObject = 1,
    kSnapinView = 2,
};
