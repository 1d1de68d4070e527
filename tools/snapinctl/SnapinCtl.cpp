#include "tools/snapinctl/SnapinCtl.h"

#include <windows.h>

#include <cstring>

namespace snapinctl {

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    if (argc < 2) {
        line.error = "no command given";
        return line;
    }
    const std::string command = argv[1];
    if (command == "help" || command == "--help" || command == "-h" || command == "/?") {
        if (argc > 2) {
            line.error = "help takes no arguments";
            return line;
        }
        line.command = Command::Help;
        return line;
    }
    if (command != "inspect") {
        line.error = "unknown command \"" + command + "\"";
        return line;
    }
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i] ? argv[i] : "";
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--json") {
            line.json = true;
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            line.error = "unknown option \"" + argument + "\"";
            return line;
        } else {
            line.files.push_back(argument);
        }
    }
    if (line.files.empty()) {
        line.error = "inspect needs at least one FILE";
        return line;
    }
    line.command = Command::Inspect;
    return line;
}

std::string UsageText() {
    return "usage: snapinctl inspect [--json] [--] FILE...\n"
           "       snapinctl help\n"
           "\n"
           "Inspects each FILE as PLUGWARD.DLL does when it looks for new snap-ins:\n"
           "whether it is an object snap-in, a view snap-in or a snap-in without\n"
           "import section, or why it is not a snap-in, and the U.S. English\n"
           "FileDescription of its version resource, or why there is none.\n"
           "\n"
           "One line per FILE, in UTF-8. With --json each line is one JSON object:\n"
           "  {\"file\": FILE as given, \"check\": CheckSnapinImage's result,\n"
           "   \"kind\": the kind it left, \"reason\": short text,\n"
           "   \"descriptionCode\": GetFileDescription's result,\n"
           "   \"description\": text, or null when descriptionCode is not 0}\n"
           "Options stand anywhere before \"--\"; every argument after it is a FILE.\n"
           "\n"
           "Exit status: 0 when every FILE was inspected, whatever the verdicts;\n"
           "2 for a bad command line; 1 when the output could not be written.\n";
}

std::string AnsiToUtf8(const std::string& ansi) {
    if (ansi.empty()) return std::string();
    const int length = static_cast<int>(ansi.size());
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    if (wideLength <= 0) return std::string();
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, &wide[0], wideLength);
    const int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (utf8Length <= 0) return std::string();
    std::string utf8(static_cast<size_t>(utf8Length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], utf8Length, nullptr, nullptr);
    return utf8;
}

namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0 when the bytes
// there are not one (RFC 3629: no overlong forms, no surrogates, at most
// U+10FFFF).
size_t Utf8SequenceLength(const std::string& text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const size_t left = text.size() - i;
    const auto continuation = [&](size_t k) { return (byte(k) & 0xC0) == 0x80; };
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return left >= 2 && continuation(i + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !continuation(i + 1) || !continuation(i + 2)) return 0;
        if (lead == 0xE0 && byte(i + 1) < 0xA0) return 0;   // overlong
        if (lead == 0xED && byte(i + 1) >= 0xA0) return 0;  // surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !continuation(i + 1) || !continuation(i + 2) || !continuation(i + 3)) return 0;
        if (lead == 0xF0 && byte(i + 1) < 0x90) return 0;   // overlong
        if (lead == 0xF4 && byte(i + 1) >= 0x90) return 0;  // beyond U+10FFFF
        return 4;
    }
    return 0;
}

}  // namespace

std::string JsonString(const std::string& utf8) {
    static const char kHex[] = "0123456789abcdef";
    std::string json = "\"";
    size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const size_t sequence = Utf8SequenceLength(utf8, i);
        if (sequence == 0) {
            json += "\\ufffd";
            ++i;
            continue;
        }
        if (sequence > 1) {
            json.append(utf8, i, sequence);
            i += sequence;
            continue;
        }
        switch (c) {
            case '"': json += "\\\""; break;
            case '\\': json += "\\\\"; break;
            case '\b': json += "\\b"; break;
            case '\f': json += "\\f"; break;
            case '\n': json += "\\n"; break;
            case '\r': json += "\\r"; break;
            case '\t': json += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    json += "\\u00";
                    json += kHex[c >> 4];
                    json += kHex[c & 0xF];
                } else {
                    json += static_cast<char>(c);
                }
        }
        ++i;
    }
    json += '"';
    return json;
}

FileReport InspectFile(const std::string& file) {
    FileReport report;
    report.file = file;
    report.check = InspectSnapinFile(file.c_str(), report.kind, report.verdict);
    CString description;
    report.descriptionCode = GetFileDescription(file.c_str(), description);
    if (report.descriptionCode == 0) report.description = description.str();
    return report;
}

std::string KindText(int32_t kind) {
    switch (kind) {
        case kSnapinNoImportSection: return "snap-in without import section";
        case kSnapinObject: return "object snap-in";
        case kSnapinView: return "view snap-in";
    }
    return "snap-in of unknown kind " + std::to_string(kind);
}

std::string Win32ErrorText(int code) {
    std::string text = "error " + std::to_string(code);
    char* message = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<char*>(&message), 0, nullptr);
    if (length > 0 && message) {
        std::string body(message, length);
        while (!body.empty() && (body.back() == '\r' || body.back() == '\n' || body.back() == ' ' ||
                                 body.back() == '.')) {
            body.pop_back();
        }
        if (!body.empty()) text += ": " + AnsiToUtf8(body);
    }
    if (message) LocalFree(message);
    return text;
}

std::string CheckReason(const FileReport& report) {
    if (report.check == 0) return KindText(report.kind);
    if (report.check == -1) return DescribeVerdict(report.verdict);
    return Win32ErrorText(report.check);
}

std::string DescriptionReason(int code) {
    if (code == 0) return "description";
    if (code == -1) return "no memory for the version information";
    if (code == -2) return "no U.S. English FileDescription";
    return Win32ErrorText(code);
}

std::string FormatJsonLine(const FileReport& report) {
    std::string line = "{\"file\": " + JsonString(AnsiToUtf8(report.file));
    line += ", \"check\": " + std::to_string(report.check);
    line += ", \"kind\": " + std::to_string(report.kind);
    line += ", \"reason\": " + JsonString(CheckReason(report));
    line += ", \"descriptionCode\": " + std::to_string(report.descriptionCode);
    line += ", \"description\": ";
    line += report.descriptionCode == 0 ? JsonString(AnsiToUtf8(report.description)) : std::string("null");
    line += "}";
    return line;
}

std::string FormatTextLine(const FileReport& report) {
    std::string line = AnsiToUtf8(report.file) + ": ";
    if (report.check == 0) {
        line += KindText(report.kind);
    } else if (report.check == -1) {
        line += "not a snap-in (" + CheckReason(report) + ")";
    } else {
        line += "not inspected (" + CheckReason(report) + ")";
    }
    if (report.descriptionCode == 0) {
        line += "; description \"" + AnsiToUtf8(report.description) + "\"";
    } else {
        line += "; no description (" + DescriptionReason(report.descriptionCode) + ")";
    }
    return line;
}

int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    const CommandLine line = ParseCommandLine(argc, argv);
    if (line.command == Command::Invalid) {
        const std::string text = "snapinctl: " + line.error + "\n" + UsageText();
        std::fputs(text.c_str(), err);
        return 2;
    }
    if (line.command == Command::Help) {
        std::fputs(UsageText().c_str(), out);
        return std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
    }
    for (const std::string& file : line.files) {
        const FileReport report = InspectFile(file);
        const std::string text = (line.json ? FormatJsonLine(report) : FormatTextLine(report)) + "\n";
        std::fwrite(text.data(), 1, text.size(), out);
    }
    return std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
}

}  // namespace snapinctl
