#pragma once
// Command line of the console. Without options it is an ordinary interactive
// window; the options script a headless run for tests and demonstrations.
#include <string>
#include <vector>

// How to answer one modal dialog, recognised by its caption. Actions run in
// order: "toggle:ROW TEXT" (space bar on that row), "enter", "escape",
// "pause" (hold, so that the dialog is seen as it is then), and
// "close-console" (the user closes the main window while the dialog is up).
struct DialogAnswer {
    std::string caption;
    std::vector<std::string> actions;
};

// A scripted step after start: choose the snap-in menu item with this text,
// or, when `openOnly` is set, open the "Snap-ins" menu while a hold lasts.
struct MenuStep {
    bool openOnly = false;
    std::string itemText;
};

struct ConsoleOptions {
    std::string hkcuPath;              // --hkcu PATH: HKEY_CURRENT_USER becomes HKCU\PATH
    std::string hklmPath;              // --hklm PATH: HKEY_LOCAL_MACHINE becomes HKLM\PATH
    std::string logPath;               // --log FILE: every log line also goes to FILE
    std::vector<DialogAnswer> answers;  // --answer "CAPTION=ACTION,ACTION..."
    std::vector<MenuStep> menuSteps;   // --menu TEXT and --open-menu, in the order given
    bool exitAtEnd = false;            // --exit: close the console after the scripted steps
    unsigned holdMs = 0;               // --hold MS: leave each dialog up that long before answering
    std::string releaseFile;           // --release FILE: each hold lasts until FILE appears, not --hold MS

    // Any option that scripts the run: dialogs are then answered, never waited on.
    bool IsScripted() const { return exitAtEnd || !answers.empty() || !menuSteps.empty(); }
};

// Parses argv[1..]; false with `error` set on an unknown option or a missing argument.
bool ParseConsoleOptions(int argc, char** argv, ConsoleOptions& options, std::string& error);
