#include "host/ConsoleDialogs.h"

#include "host/ConsoleWindow.h"

#include <cstring>

namespace {
// Window properties: the tick counts (plus one, so never null) when a
// dialog was first seen and when it was last answered.
const char kSeenProperty[] = "VelmarkConsoleSeen";
const char kAnsweredProperty[] = "VelmarkConsoleAnswered";
const char kEscapedProperty[] = "VelmarkConsoleEscaped";
const UINT kPollMs = 50;
// A dialog still up this long after its answer is pressed Escape on; one
// still up that long after the Escape (its procedure ignores Cancel, as a
// yes-or-no message box does on Windows) is ended, so that a scripted run
// never waits for a person.
const DWORD kStuckMs = 5000;

void MarkTime(HWND window, const char* property) {
    SetPropA(window, property, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(GetTickCount()) + 1));
}

DWORD MillisecondsSince(HWND window, const char* property) {
    return GetTickCount() - static_cast<DWORD>(reinterpret_cast<UINT_PTR>(GetPropA(window, property)) - 1);
}

std::string WindowText(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool IsDialogWindow(HWND window) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, "#32770") == 0 && IsWindowVisible(window);
}

std::string RowText(HWND list, LRESULT row) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
    if (length < 0) return "";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(&text[0]));
    return text.c_str();
}

// A key press and release, posted so that the dialog's modal loop sees it.
void PressKey(HWND target, UINT virtualKey) {
    const LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, 0)) << 16;
    PostMessageA(target, WM_KEYDOWN, virtualKey, scanCode | 1);
    PostMessageA(target, WM_KEYUP, virtualKey, scanCode | 1 | 0xC0000000);
}

// The texts of a dialog's static controls: what a message box says.
std::vector<std::string> StaticTexts(HWND dialog) {
    std::vector<std::string> texts;
    for (HWND child = FindWindowExA(dialog, nullptr, "Static", nullptr); child;
         child = FindWindowExA(dialog, child, "Static", nullptr)) {
        const std::string text = WindowText(child);
        if (!text.empty()) texts.push_back(text);
    }
    return texts;
}

// One log line for a text that may span lines: each run of line breaks becomes one space.
std::string OneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        const bool lineBreak = c == '\r' || c == '\n';
        if (!lineBreak)
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    return line;
}

HWND FocusWithin(HWND dialog) {
    HWND focus = GetFocus();
    return focus && (focus == dialog || IsChild(dialog, focus)) ? focus : dialog;
}
}  // namespace

DialogAnswerer* DialogAnswerer::s_current = nullptr;

DialogAnswerer::DialogAnswerer(ConsoleLog& log, const std::vector<DialogAnswer>& answers, unsigned holdMs)
    : m_log(log), m_answers(answers.begin(), answers.end()), m_holdMs(holdMs) {
    s_current = this;
    m_timer = SetTimer(nullptr, 0, kPollMs, OnTimer);
}

DialogAnswerer::~DialogAnswerer() {
    KillTimer(nullptr, m_timer);
    s_current = nullptr;
}

void CALLBACK DialogAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!s_current) return;
    s_current->ForgetClosedDialogs();
    EnumThreadWindows(GetCurrentThreadId(), VisitWindow, reinterpret_cast<LPARAM>(s_current));
}

void DialogAnswerer::ForgetClosedDialogs() {
    for (auto it = m_pending.begin(); it != m_pending.end();)
        it = IsWindow(it->first) ? std::next(it) : m_pending.erase(it);
}

BOOL CALLBACK DialogAnswerer::VisitWindow(HWND window, LPARAM self) {
    if (IsDialogWindow(window)) reinterpret_cast<DialogAnswerer*>(self)->Visit(window);
    return TRUE;
}

void DialogAnswerer::Visit(HWND dialog) {
    const std::string caption = WindowText(dialog);
    const auto pending = m_pending.find(dialog);
    if (pending != m_pending.end()) {
        if (GetTickCount() - pending->second.pausedAt >= pending->second.waitMs) Continue(dialog, caption);
        return;
    }
    if (GetPropA(dialog, kAnsweredProperty)) {
        if (MillisecondsSince(dialog, kAnsweredProperty) >= kStuckMs) Unstick(dialog, caption);
        return;
    }
    if (!GetPropA(dialog, kSeenProperty)) {
        MarkTime(dialog, kSeenProperty);
        Announce(dialog, caption);
    }
    if (MillisecondsSince(dialog, kSeenProperty) < m_holdMs) return;
    const DialogAnswer answer = TakeAnswer(caption);
    m_pending[dialog].actions.assign(answer.actions.begin(), answer.actions.end());
    Continue(dialog, caption);
}

// Performs the dialog's remaining actions up to the next pause, which lasts
// the hold time, or up to the next toggle. A toggle's key presses are posted:
// the next toggle, selecting its own row at once, would otherwise take them.
// They are dispatched before the timer's next tick, which comes only when the
// queue holds no posted message.
void DialogAnswerer::Continue(HWND dialog, const std::string& caption) {
    MarkTime(dialog, kAnsweredProperty);
    Pending& pending = m_pending[dialog];
    while (!pending.actions.empty()) {
        const std::string action = pending.actions.front();
        pending.actions.pop_front();
        Perform(dialog, caption, action);
        const bool toggle = action.compare(0, std::strlen("toggle:"), "toggle:") == 0;
        if (action == "pause" || (toggle && !pending.actions.empty())) {
            pending.pausedAt = GetTickCount();
            pending.waitMs = toggle ? 0 : m_holdMs;
            return;
        }
    }
    m_pending.erase(dialog);
}

void DialogAnswerer::Unstick(HWND dialog, const std::string& caption) {
    MarkTime(dialog, kAnsweredProperty);
    if (GetPropA(dialog, kEscapedProperty)) {
        m_log.Line("dialog \"" + caption + "\" is still up after Escape; ending it");
        EndDialog(dialog, IDCANCEL);
        return;
    }
    m_log.Line("dialog \"" + caption + "\" is still up; pressing Escape");
    SetPropA(dialog, kEscapedProperty, reinterpret_cast<HANDLE>(1));
    PressKey(FocusWithin(dialog), VK_ESCAPE);
}

void DialogAnswerer::Announce(HWND dialog, const std::string& caption) {
    m_log.Line("dialog \"" + caption + "\" is up");
    if (HWND list = FindWindowExA(dialog, nullptr, "ListBox", nullptr)) {
        const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (LRESULT row = 0; row < count; ++row) m_log.Line("  row \"" + RowText(list, row) + "\"");
    }
    for (const std::string& text : StaticTexts(dialog)) m_log.Line("  text \"" + OneLine(text) + "\"");
}

DialogAnswer DialogAnswerer::TakeAnswer(const std::string& caption) {
    for (auto it = m_answers.begin(); it != m_answers.end(); ++it) {
        if (it->caption != caption) continue;
        DialogAnswer answer = *it;
        m_answers.erase(it);
        return answer;
    }
    m_log.Line("no answer given for dialog \"" + caption + "\"; pressing Escape");
    return {caption, {"escape"}};
}

void DialogAnswerer::Perform(HWND dialog, const std::string& caption, const std::string& action) {
    m_log.Line("dialog \"" + caption + "\": " + action);
    if (action == "enter") {
        PressKey(FocusWithin(dialog), VK_RETURN);
    } else if (action == "escape") {
        PressKey(FocusWithin(dialog), VK_ESCAPE);
    } else if (action == "pause") {
        return;
    } else if (action == "close-console") {
        PostMessageA(FindWindowA(ConsoleWindow::kWindowClass, nullptr), WM_CLOSE, 0, 0);
    } else if (!ToggleRow(dialog, action.substr(std::strlen("toggle:")))) {
        m_log.Line("dialog \"" + caption + "\" has no row \"" + action.substr(std::strlen("toggle:")) + "\"");
    }
}

// Selects the row and presses the space bar on it, which switches its check box.
bool DialogAnswerer::ToggleRow(HWND dialog, const std::string& row) {
    HWND list = FindWindowExA(dialog, nullptr, "ListBox", nullptr);
    if (!list) return false;
    const LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(row.c_str()));
    if (index == LB_ERR) return false;
    SetFocus(list);
    SendMessageA(list, LB_SETCURSEL, index, 0);
    PressKey(list, VK_SPACE);
    return true;
}
