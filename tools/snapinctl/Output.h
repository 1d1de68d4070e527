#pragma once
// snapinctl's output: one record per line, as JSON or as readable text, and
// the texts both share.
#include "files/SnapinFiles.h"
#include "registry/SnapinLists.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <string>

namespace snapinctl {

using Record = nlohmann::ordered_json;

// The exit status of a check that found problems (list --check).
constexpr int kFoundProblems = 3;

// ANSI text of the active code page (CP_ACP) as UTF-8, by way of UTF-16.
std::string AnsiToUtf8(const std::string& ansi);
// UTF-8 as ANSI text of the active code page; false when the text is not
// UTF-8 or has a character the code page lacks.
bool Utf8ToAnsi(const std::string& utf8, std::string& ansi);
// "error N: <the platform's message>" for a Win32 code.
std::string Win32ErrorText(int code);
// What a file is: an object snap-in, a view snap-in, ...
std::string KindText(int32_t kind);
// Why a file is not a snap-in: the image verdict for -1, else the platform's code.
std::string CheckText(int check, ImageVerdict verdict);

// Writes records to a stream, each as one JSON line or as its text line.
class COutput {
public:
    COutput(std::FILE* out, bool json) : m_out(out), m_json(json) {}
    void Write(const Record& record, const std::string& text);
    // A line for text output only, such as that a command changed nothing;
    // JSON records say that in their own fields.
    void Say(const std::string& text);
    // Bytes as they are: a document.
    void WriteRaw(const std::string& bytes);
    bool IsJson() const { return m_json; }
    // 0, or 1 when the output could not be written.
    int Finish();

private:
    std::FILE* m_out;
    bool m_json;
};

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

class CSnapinRegistry;

namespace snapinctl {

// What every command works on.
struct CommandContext {
    CSnapinRegistry& registry;
    CString hostDirectory;  // with its trailing backslash
    COutput& out;
    const CErrorOutput& err;
    bool dryRun;  // every change is reported as made, and none is written
};

}  // namespace snapinctl
