#pragma once
// snapinctl inspect: each file checked as start-up discovery checks it.
#include "tools/snapinctl/Output.h"

#include <string>

namespace snapinctl {

// Everything snapinctl learns about one file.
struct FileReport {
    std::string file;  // the argument as given (ANSI)
    int check = 0;     // CheckSnapinImage's result
    int32_t kind = 0;  // the kind as CheckSnapinImage left it
    ImageVerdict verdict = ImageVerdict::Snapin;
    int descriptionCode = 0;  // ReadFileDescription's result
    std::string description;  // ANSI, meaningful when descriptionCode is 0
};

FileReport InspectFile(const std::string& file);

// Keys, in order: file, check, kind, reason, descriptionCode, description
// (null unless descriptionCode is 0).
Record InspectRecord(const FileReport& report);
std::string InspectText(const FileReport& report);

}  // namespace snapinctl
