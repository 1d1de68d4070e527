#pragma once
// Scripted answers to the modal dialogs that snap-ins show: a thread timer,
// which keeps firing inside any modal loop, finds each new dialog of this
// thread, logs its caption and rows, and answers it with keys as a user would.
#include "host/ConsoleLog.h"
#include "host/ConsoleOptions.h"

#include <windows.h>

#include <deque>
#include <map>

class DialogAnswerer {
public:
    // `holdMs`: how long a dialog stays up before it is answered.
    DialogAnswerer(ConsoleLog& log, const std::vector<DialogAnswer>& answers, unsigned holdMs);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK VisitWindow(HWND window, LPARAM self);
    // The actions of an answer not yet performed: those after a pause, which
    // waits the hold time, or after a toggle, which waits for the next tick.
    struct Pending {
        std::deque<std::string> actions;
        DWORD pausedAt = 0;
        DWORD waitMs = 0;
    };
    void ForgetClosedDialogs();
    void Visit(HWND dialog);
    void Continue(HWND dialog, const std::string& caption);
    void Unstick(HWND dialog, const std::string& caption);
    void Announce(HWND dialog, const std::string& caption);
    DialogAnswer TakeAnswer(const std::string& caption);
    void Perform(HWND dialog, const std::string& caption, const std::string& action);
    bool ToggleRow(HWND dialog, const std::string& row);

    static DialogAnswerer* s_current;  // the timer callback has no context of its own
    ConsoleLog& m_log;
    std::deque<DialogAnswer> m_answers;
    std::map<HWND, Pending> m_pending;
    unsigned m_holdMs;
    UINT_PTR m_timer = 0;
};
