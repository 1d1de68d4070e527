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

// ANSI text of the active code page (CP_ACP) as UTF-8, by way of UTF-16.
std::string AnsiToUtf8(const std::string& ansi);
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
    // 0, or 1 when the output could not be written.
    int Finish();

private:
    std::FILE* m_out;
    bool m_json;
};

// A message to stderr, "snapinctl: " + message.
void Complain(std::FILE* err, const std::string& message);

}  // namespace snapinctl

class CSnapinRegistry;

namespace snapinctl {

// What every command works on.
struct CommandContext {
    CSnapinRegistry& registry;
    CString hostDirectory;  // with its trailing backslash
    COutput& out;
    std::FILE* err;
};

}  // namespace snapinctl
