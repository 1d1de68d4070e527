#pragma once
// The console's main window: a log pane, a status line for menu hints, a
// "File" menu and a "Snap-ins" menu with the items the snap-ins registered.
#include "host/ConsoleHold.h"
#include "host/ConsoleLog.h"
#include "host/ConsoleMenu.h"
#include "host/ConsoleOptions.h"
#include "host/ConsoleSnapins.h"

#include <windows.h>

class ConsoleWindow {
public:
    static constexpr const char* kWindowClass = "VelmarkAdministratorConsole";

    ConsoleWindow(ConsoleLog& log, const ConsoleOptions& options, ConsoleHold& hold);
    ConsoleWindow(const ConsoleWindow&) = delete;
    ConsoleWindow& operator=(const ConsoleWindow&) = delete;

    // Creates and shows the window, then starts the snap-ins and the script.
    bool Open();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateChildren();
    void Layout() const;
    void ShowHint(UINT commandId, UINT flags);
    void OnCommand(UINT commandId);
    void RunSnapinCommand(UINT commandId);
    void Close();
    void RunScript();
    void ChooseMenuItem(const std::string& text);
    void OpenSnapinMenu();
    void LogOpenMenu() const;
    void OnHoldTimer(UINT_PTR timer);

    ConsoleLog& m_log;
    const ConsoleOptions& m_options;
    ConsoleHold& m_hold;
    SnapinMenu m_menu;
    ConsoleSnapins m_snapins;
    HWND m_window = nullptr;
    HWND m_pane = nullptr;
    HWND m_status = nullptr;
    HMENU m_snapinPopup = nullptr;
    bool m_inSnapinCommand = false;  // a snap-in's action (and its modal dialog) is running
    bool m_closeWhenIdle = false;
    bool m_openingMenu = false;  // a scripted step has the "Snap-ins" menu open
    bool m_menuHeld = false;     // ... and it is shown, held since m_menuMark
    DWORD m_menuMark = 0;
    DWORD m_exitMark = 0;        // the hold before the scripted exit
};
