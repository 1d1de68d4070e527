#include "tools/snapinctl/Output.h"

#include <windows.h>

#include <cstring>

namespace snapinctl {

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

bool Utf8ToAnsi(const std::string& utf8, std::string& ansi) {
    ansi.clear();
    if (utf8.empty()) return true;
    const int length = static_cast<int>(utf8.size());
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (wideLength <= 0) return false;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, &wide[0], wideLength);
    // U+FFFD stands for a byte that was no UTF-8.
    if (wide.find(L'\xFFFD') != std::wstring::npos) return false;
    BOOL usedDefault = FALSE;
    const int ansiLength = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, &usedDefault);
    if (ansiLength <= 0 || usedDefault) return false;
    ansi.assign(static_cast<size_t>(ansiLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &ansi[0], ansiLength, nullptr, nullptr);
    return true;
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
        while (!body.empty() && std::strchr("\r\n .", body.back())) body.pop_back();
        if (!body.empty()) text += ": " + AnsiToUtf8(body);
    }
    if (message) LocalFree(message);
    return text;
}

std::string KindText(int32_t kind) {
    switch (kind) {
        case kSnapinNoImportSection: return "snap-in without import section";
        case kSnapinObject: return "object snap-in";
        case kSnapinView: return "view snap-in";
    }
    return "snap-in of unknown kind " + std::to_string(kind);
}

std::string CheckText(int check, ImageVerdict verdict) {
    return check == -1 ? DescribeVerdict(verdict) : Win32ErrorText(check);
}

void COutput::Write(const Record& record, const std::string& text) {
    // Every text was converted to UTF-8; a stray byte still gives valid JSON.
    const std::string line =
        (m_json ? record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) : text) + "\n";
    std::fwrite(line.data(), 1, line.size(), m_out);
}

void COutput::Say(const std::string& text) {
    if (!m_json) WriteRaw(text + "\n");
}

void COutput::WriteRaw(const std::string& bytes) { std::fwrite(bytes.data(), 1, bytes.size(), m_out); }

int COutput::Finish() { return std::fflush(m_out) == 0 && !std::ferror(m_out) ? 0 : 1; }

std::string ErrorLine(const std::string& message, const Record& code, bool json) {
    if (!json) return "snapinctl: " + message + "\n";
    Record record;
    record["error"] = message;
    record["code"] = code;
    return record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

void CErrorOutput::Report(const std::string& message) const {
    const std::string line = ErrorLine(message, Record(), m_json);
    std::fwrite(line.data(), 1, line.size(), m_err);
}

void CErrorOutput::Report(const std::string& message, int code) const {
    const std::string line = ErrorLine(message + ": " + Win32ErrorText(code), Record(code), m_json);
    std::fwrite(line.data(), 1, line.size(), m_err);
}

}  // namespace snapinctl
