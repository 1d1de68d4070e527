#pragma once
// snapinctl's exit statuses.
namespace snapinctl {

enum ExitStatus : int {
    kExitSuccess = 0,
    kExitFailure = 1,         // an operation failed or a name is unknown
    kExitBadCommandLine = 2,  // also a document of another family than --platform's
    kExitFoundProblems = 3,   // list --check found an entry that is not ok
};

}  // namespace snapinctl
