#pragma once
// snapinctl's error messages: the platform's texts for its codes, and each
// error as one line on standard error.
#include "tools/snapinctl/Output.h"

#include <cstdio>
#include <string>

namespace snapinctl {

// "error N: <the platform's message>" for a Win32 code.
std::string Win32ErrorText(int code);

// One error as its line: "snapinctl: message", or with json the object
// {"error": message, "code": the platform's code or null}.
std::string ErrorLine(const std::string& message, const Record& code, bool json);

// Writes errors to stderr, each as ErrorLine makes it.
class CErrorOutput {
public:
    CErrorOutput(std::FILE* err, bool json) : m_err(err), m_json(json) {}
    // An error of snapinctl's own: code null.
    void Report(const std::string& message) const;
    // A platform error: message + ": error N: <the platform's text>", code N.
    void Report(const std::string& message, int code) const;

private:
    std::FILE* m_err;
    bool m_json;
};

}  // namespace snapinctl
