#include "tools/snapinctl/Output.h"

namespace snapinctl {

std::string JsonLine(const Record& record) {
    return record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

void COutput::Write(const Record& record, const std::string& text) {
    WriteRaw(m_json ? JsonLine(record) : text + "\n");
}

void COutput::Say(const std::string& text) {
    if (!m_json) WriteRaw(text + "\n");
}

void COutput::WriteRaw(const std::string& bytes) { std::fwrite(bytes.data(), 1, bytes.size(), m_out); }

int COutput::Finish() { return std::fflush(m_out) == 0 && !std::ferror(m_out) ? 0 : 1; }

}  // namespace snapinctl
