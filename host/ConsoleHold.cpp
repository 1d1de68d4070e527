#include "host/ConsoleHold.h"

ConsoleHold::ConsoleHold(ConsoleLog& log, const ConsoleOptions& options)
    : m_log(log), m_holdMs(options.holdMs), m_releaseFile(options.releaseFile) {}

DWORD ConsoleHold::Begin(const std::string& shown) {
    if (!m_releaseFile.empty()) m_log.Line("holding: " + shown);
    return GetTickCount();
}

bool ConsoleHold::Over(DWORD mark) {
    if (m_releaseFile.empty()) return GetTickCount() - mark >= m_holdMs;
    return DeleteFileA(m_releaseFile.c_str()) != FALSE;
}
