#pragma once
// The console's log: lines shown in the log pane of the main window and,
// when a file was named, appended to that file as they happen.
#include "files/Win32Handle.h"

#include <windows.h>

#include <string>

class ConsoleLog {
public:
    // False when the file cannot be created; the log then shows on screen only.
    bool OpenFile(const std::string& path);
    // The read-only edit control that shows the lines; earlier lines are shown too.
    void AttachPane(HWND edit);
    void Line(const std::string& text);

private:
    void AppendToPane(const std::string& text) const;

    UniqueFile m_file;
    HWND m_pane = nullptr;
    std::string m_shown;  // every line so far, for a pane attached later
};
