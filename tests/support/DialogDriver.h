#pragma once
// Drives a modal dialog from inside its own modal loop, as a user would.
//
// Construct a driver with the dialog's caption and its script before making
// the call that runs the dialog (DoModal, or a call into another module that
// shows one). A thread timer polls for a dialog of that caption on the
// calling thread; once it is open the script runs one step per tick, so every
// step sees what the dialog made of the keys and clicks of the step before.
// Keys are posted to the focused control and pass through the dialog
// manager; clicks are posted as mouse messages at the row's coordinates.
// Check states are read with the registered message that check list boxes
// answer, so the driver needs no access to the dialog's C++ objects.
//
//   DialogDriver driver("Snapin Configuration");
//   driver.ReadList(1003).PressSpace(1003, 0).ReadList(1003).PressEnter();
//   INT_PTR result = dialog.DoModal();
//   // driver.Seen()[0].rows, driver.Seen()[1].rows, driver.Finished() ...
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct SeenRow {
    std::string text;
    int check;              // 0 or 1; LB_ERR when the list box could not say
    LPARAM userValue;       // what LB_GETITEMDATA answered
    int enabled = 1;        // 0 for a row drawn greyed that ignores space and clicks
};

struct SeenDialog {
    std::string caption;
    RECT window;            // screen coordinates
    std::vector<SeenRow> rows;
};

class DialogDriver {
public:
    // Starts watching this thread for a dialog with `caption`. If the script
    // has not closed the dialog within the guard (`guardMs`, scaled as
    // GuardMs does) after it opened, the driver cancels it (IDCANCEL) and
    // reports TimedOut().
    explicit DialogDriver(std::string caption, DWORD guardMs = 30000);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // The script, run in order once the dialog is open.
    // Records a SeenDialog; with no list id, the caption and window only.
    DialogDriver& ReadList(int listId = 0);
    DialogDriver& PressSpace(int listId, int row);      // selects the row, focuses the list, space bar
    // As PressSpace, on the first row whose text is one of `texts`; no key when none is.
    DialogDriver& PressSpaceOnText(int listId, std::vector<std::string> texts);
    DialogDriver& ClickCheckBox(int listId, int row);
    DialogDriver& DoubleClickCheckBox(int listId, int row);
    DialogDriver& ClickRowText(int listId, int row);
    DialogDriver& PressEnter();
    DialogDriver& PressEscape();
    DialogDriver& ClickButton(int buttonId);            // BM_CLICK
    DialogDriver& Run(std::function<void(HWND dialog)> step);

    bool Found() const { return m_found; }
    // Every step ran, and the dialog has closed.
    bool Finished() const { return m_found && m_next == m_steps.size() && !IsWindow(m_dialog); }
    bool TimedOut() const { return m_timedOut; }
    // Why TimedOut(), for a test's failure message.
    std::string TimeOutText() const;
    const std::vector<SeenDialog>& Seen() const { return m_seen; }

    // The dialog's list box `listId` as the user sees it now.
    static SeenDialog Read(HWND dialog, int listId);

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    void Tick();
    HWND FindDialog() const;
    void Stop();

    std::string m_caption;
    DWORD m_timeoutMs;
    UINT_PTR m_timer = 0;
    HWND m_dialog = nullptr;
    DWORD m_openedAt = 0;
    bool m_found = false;
    bool m_timedOut = false;
    size_t m_next = 0;
    std::vector<std::function<void(HWND)>> m_steps;
    std::vector<SeenDialog> m_seen;
};
