#include "host/ConsoleLog.h"

bool ConsoleLog::OpenFile(const std::string& path) {
    m_file.Reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_file.IsValid();
}

void ConsoleLog::AttachPane(HWND edit) {
    m_pane = edit;
    SendMessageA(m_pane, EM_SETLIMITTEXT, 0, 0);  // no 32K cap on a long session
    SetWindowTextA(m_pane, m_shown.c_str());
}

void ConsoleLog::Line(const std::string& text) {
    const std::string line = text + "\r\n";
    m_shown += line;
    if (m_file) {
        DWORD written = 0;
        WriteFile(m_file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    AppendToPane(line);
}

void ConsoleLog::AppendToPane(const std::string& text) const {
    if (!m_pane) return;
    const int end = GetWindowTextLengthA(m_pane);
    SendMessageA(m_pane, EM_SETSEL, end, end);
    SendMessageA(m_pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}
