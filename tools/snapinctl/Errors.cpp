#include "tools/snapinctl/Errors.h"

#include "tools/snapinctl/JsonNames.h"
#include "tools/snapinctl/Text.h"

#include <windows.h>

#include <cstring>

namespace snapinctl {

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

std::string ErrorLine(const std::string& message, const Record& code, bool json) {
    if (!json) return "snapinctl: " + message + "\n";
    Record record;
    record[json::kError] = message;
    record[json::kCode] = code;
    return JsonLine(record);
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
