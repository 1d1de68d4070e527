#pragma once
// snapinctl: the administration tool's command line, inspection and output
// formatting, kept apart from main() so that tests can call each piece.
#include "files/SnapinFiles.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace snapinctl {

enum class Command { Inspect, Help, Invalid };

struct CommandLine {
    Command command = Command::Invalid;
    bool json = false;
    std::vector<std::string> files;  // as given, in the active code page
    std::string error;               // why the command line is invalid
};

// Reads argv[1..argc-1]:
//   inspect [--json] [--] FILE...   (options may stand anywhere before "--")
//   help | --help | -h
CommandLine ParseCommandLine(int argc, const char* const* argv);

// Usage text, ending with a newline.
std::string UsageText();

// ANSI text of the active code page (CP_ACP) as UTF-8, by way of UTF-16.
std::string AnsiToUtf8(const std::string& ansi);

// A JSON string literal (with its quotes) for UTF-8 text: quotes,
// backslashes and control characters are escaped, and every byte that is not
// part of a well-formed UTF-8 sequence becomes \ufffd, so the result is
// valid JSON whatever the bytes.
std::string JsonString(const std::string& utf8);

// Everything snapinctl learns about one file.
struct FileReport {
    std::string file;  // the argument as given (ANSI)
    int check = 0;     // CheckSnapinImage's result
    int32_t kind = 0;  // the kind as CheckSnapinImage left it
    ImageVerdict verdict = ImageVerdict::Snapin;
    int descriptionCode = 0;  // GetFileDescription's result
    std::string description;  // ANSI, meaningful when descriptionCode is 0
};

FileReport InspectFile(const std::string& file);

// Short English texts (UTF-8): what the file is or why it is not a snap-in,
// and why there is no description.
std::string KindText(int32_t kind);
std::string CheckReason(const FileReport& report);
std::string DescriptionReason(int code);
// "error N: <the platform's message>" for a Win32 code.
std::string Win32ErrorText(int code);

// One line without its newline. JSON keys, in order: file, check, kind,
// reason, descriptionCode, description (null unless descriptionCode is 0).
std::string FormatJsonLine(const FileReport& report);
std::string FormatTextLine(const FileReport& report);

// The whole program: 0 when every file was inspected (whatever the
// verdicts), 2 with the usage text on `err` for a bad command line, 1 when
// the output could not be written.
int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace snapinctl
