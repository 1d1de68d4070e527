#pragma once
// snapinctl inspect: each file checked as start-up discovery checks it.
#include "files/PublisherTrust.h"
#include "tools/snapinctl/FileState.h"
#include "tools/snapinctl/Output.h"

#include <string>

namespace snapinctl {

// Everything snapinctl learns about one file.
struct FileReport {
    std::string file;  // the argument as given (ANSI)
    FileCheck image;   // CheckFile's verdict
    int descriptionCode = 0;  // ReadFileDescription's result
    std::string description;  // ANSI, meaningful when descriptionCode is 0
    TrustVerdict trust = TrustVerdict::CannotVerify;  // of the signature and its signer
    bool signerRead = false;  // signer holds the signer of a signature that holds
    SignerFacts signer;
};

FileReport InspectFile(const std::string& file);

// Keys, in order: file, name (upper-cased, without directory), list (null),
// check, kind (null unless check is 0), state (as list gives it: ok,
// missing, directory or not-snapin), reason, descriptionCode, description
// (null unless descriptionCode is 0), descriptionReason, signature (signed,
// not signed, changed after signing or cannot verify), signer and thumbprint
// (null unless signed), and trustedPublisher.
Record InspectRecord(const FileReport& report);
std::string InspectText(const FileReport& report);

}  // namespace snapinctl
