#include "host/ConsoleWindow.h"

namespace {
const char kTitle[] = "Velmark Administrator";
const char kReady[] = "Ready";
const UINT kExitCommand = 100;
const UINT kRunScriptMessage = WM_APP + 1;
const UINT_PTR kCloseTimer = 1;
const UINT_PTR kMenuTimer = 2;
const int kStatusHeight = 22;
}  // namespace

ConsoleWindow::ConsoleWindow(ConsoleLog& log, const ConsoleOptions& options, ConsoleHold& hold)
    : m_log(log), m_options(options), m_hold(hold), m_snapins(log, m_menu) {}

bool ConsoleWindow::Open() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassA(&windowClass)) return false;

    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    m_snapinPopup = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kExitCommand, "E&xit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(m_snapinPopup), "&Snap-ins");
    m_menu.AttachPopup(m_snapinPopup);

    m_window = CreateWindowExA(0, kWindowClass, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 720, 420,
                               nullptr, bar, windowClass.hInstance, this);
    if (!m_window) {
        DestroyMenu(bar);  // a window owns its menu only once it exists
        return false;
    }
    ShowWindow(m_window, SW_SHOWNORMAL);
    UpdateWindow(m_window);
    m_log.Line("console started; loading snap-ins");
    m_snapins.StartAll();
    PostMessageA(m_window, kRunScriptMessage, 0, 0);
    return true;
}

LRESULT CALLBACK ConsoleWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<ConsoleWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<ConsoleWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return self ? self->Handle(message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT ConsoleWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateChildren();
        return 0;
    case WM_SIZE:
        Layout();
        return 0;
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wParam) == m_snapinPopup) m_menu.RefreshStates();
        return 0;
    case WM_ENTERIDLE:
        // The menu loop is idle: the scripted menu is shown and painted.
        if (wParam == MSGF_MENU && m_openingMenu && !m_menuHeld) {
            LogOpenMenu();
            m_menuHeld = true;
            m_menuMark = m_hold.Begin("menu \"Snap-ins\" is open");
        }
        return 0;
    case WM_MENUSELECT:
        ShowHint(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case kRunScriptMessage:
        RunScript();
        return 0;
    case WM_TIMER:
        OnHoldTimer(wParam);
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_DESTROY:
        m_snapins.StopAll();
        m_log.Line("console closed");
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(m_window, message, wParam, lParam);
    }
}

void ConsoleWindow::CreateChildren() {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    m_pane = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
                             0, 0, m_window, nullptr, instance, nullptr);
    m_status = CreateWindowExA(0, "STATIC", kReady, WS_CHILD | WS_VISIBLE | SS_SUNKEN | SS_LEFTNOWORDWRAP, 0, 0, 0, 0,
                               m_window, nullptr, instance, nullptr);
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageA(m_pane, WM_SETFONT, font, FALSE);
    SendMessageA(m_status, WM_SETFONT, font, FALSE);
    m_log.AttachPane(m_pane);
}

void ConsoleWindow::Layout() const {
    RECT client;
    GetClientRect(m_window, &client);
    const int paneHeight = client.bottom > kStatusHeight ? client.bottom - kStatusHeight : 0;
    MoveWindow(m_pane, 0, 0, client.right, paneHeight, TRUE);
    MoveWindow(m_status, 0, paneHeight, client.right, kStatusHeight, TRUE);
}

// A closed menu (flags 0xFFFF) or an item without a hint shows "Ready".
void ConsoleWindow::ShowHint(UINT commandId, UINT flags) {
    const char* hint = flags == 0xFFFF ? nullptr : m_menu.HintOf(commandId);
    SetWindowTextA(m_status, hint && *hint ? hint : kReady);
}

void ConsoleWindow::OnCommand(UINT commandId) {
    if (commandId == kExitCommand)
        Close();
    else if (commandId >= SnapinMenu::kFirstCommandId)
        RunSnapinCommand(commandId);
}

void ConsoleWindow::RunSnapinCommand(UINT commandId) {
    if (m_inSnapinCommand) {
        m_log.Line("a snap-in command is still running; the menu choice is ignored");
        return;
    }
    m_inSnapinCommand = true;
    const bool ran = m_menu.RunAction(commandId);
    m_inSnapinCommand = false;
    if (!ran) m_log.Line("the chosen menu item no longer exists");
    if (m_closeWhenIdle) PostMessageA(m_window, WM_CLOSE, 0, 0);
}

// The snap-ins must not be unloaded under a running snap-in command: closing
// then waits until the command has returned.
void ConsoleWindow::Close() {
    if (m_inSnapinCommand) {
        m_closeWhenIdle = true;
        m_log.Line("closing after the running snap-in command");
        return;
    }
    DestroyWindow(m_window);
}

void ConsoleWindow::RunScript() {
    for (const MenuStep& step : m_options.menuSteps) {
        if (step.openOnly)
            OpenSnapinMenu();
        else
            ChooseMenuItem(step.itemText);
    }
    if (!m_options.exitAtEnd) return;
    if (m_options.releaseFile.empty()) m_log.Line("exiting in " + std::to_string(m_options.holdMs) + " ms");
    m_exitMark = m_hold.Begin("exit");
    SetTimer(m_window, kCloseTimer, ConsoleHold::kPollMs, nullptr);
}

void ConsoleWindow::OnHoldTimer(UINT_PTR timer) {
    if (timer == kCloseTimer && m_hold.Over(m_exitMark)) {
        KillTimer(m_window, kCloseTimer);
        Close();
    } else if (timer == kMenuTimer && m_menuHeld && m_hold.Over(m_menuMark)) {
        KillTimer(m_window, kMenuTimer);
        EndMenu();
    }
}

// As a user would: highlight the item (its hint shows), open the menu (the
// snap-in is asked for the item's state), and choose it if it is enabled.
void ConsoleWindow::ChooseMenuItem(const std::string& text) {
    const UINT commandId = m_menu.CommandOf(text);
    if (!commandId) {
        m_log.Line("no menu item \"" + text + "\"");
        return;
    }
    SendMessageA(m_window, WM_MENUSELECT, MAKEWPARAM(commandId, MF_HILITE), reinterpret_cast<LPARAM>(m_snapinPopup));
    char status[256] = "";
    GetWindowTextA(m_status, status, sizeof status);
    m_log.Line("status line: " + std::string(status));
    SendMessageA(m_window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(m_snapinPopup), 1);
    if (GetMenuState(m_snapinPopup, commandId, MF_BYCOMMAND) & MF_GRAYED) {
        m_log.Line("menu item \"" + text + "\" is greyed; not chosen");
    } else {
        m_log.Line("choosing menu item \"" + text + "\"");
        SendMessageA(m_window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
    }
    SendMessageA(m_window, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
}

// As a user looking at the menu: drops "Snap-ins" down from the menu bar, as
// Alt+S does, and closes it again when the hold is over. The menu's own modal
// loop runs meanwhile and still delivers the hold's timer.
void ConsoleWindow::OpenSnapinMenu() {
    m_openingMenu = true;
    SetTimer(m_window, kMenuTimer, ConsoleHold::kPollMs, nullptr);
    SendMessageA(m_window, WM_SYSCOMMAND, SC_KEYMENU, 's');
    KillTimer(m_window, kMenuTimer);
    m_openingMenu = false;
    m_menuHeld = false;
    m_log.Line("menu \"Snap-ins\" closed");
}

void ConsoleWindow::LogOpenMenu() const {
    m_log.Line("menu \"Snap-ins\" is open");
    const int count = GetMenuItemCount(m_snapinPopup);
    for (int position = 0; position < count; ++position) {
        char text[128] = "";
        GetMenuStringA(m_snapinPopup, position, text, sizeof text, MF_BYPOSITION);
        const bool greyed = GetMenuState(m_snapinPopup, position, MF_BYPOSITION) & MF_GRAYED;
        m_log.Line(std::string("  item \"") + text + "\"" + (greyed ? " (greyed)" : ""));
    }
}
