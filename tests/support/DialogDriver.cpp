#include "tests/support/DialogDriver.h"

#include "framework/CheckListBox.h"
#include "tests/support/Waits.h"

#include <map>

namespace {
std::map<UINT_PTR, DialogDriver*>& ArmedDrivers() {
    static std::map<UINT_PTR, DialogDriver*> drivers;
    return drivers;
}

const UINT kTickMs = 10;

std::string WindowText(HWND hwnd) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

LPARAM KeyData(UINT key, bool up) {
    const LPARAM data = 1 | static_cast<LPARAM>(MapVirtualKeyA(key, 0)) << 16;
    return up ? data | static_cast<LPARAM>(0xC0000000u) : data;
}

// The key goes where the keyboard focus is, as typing would; IsDialogMessage
// in the modal loop then treats it as the dialog manager does.
void PressKey(HWND dialog, UINT key) {
    HWND focus = GetFocus();
    HWND target = focus && (focus == dialog || IsChild(dialog, focus)) ? focus : dialog;
    PostMessageA(target, WM_KEYDOWN, key, KeyData(key, false));
    PostMessageA(target, WM_KEYUP, key, KeyData(key, true));
}

void PressSpaceOnRow(HWND dialog, int listId, int row) {
    HWND list = GetDlgItem(dialog, listId);
    SendMessageA(list, LB_SETCURSEL, row, 0);
    SetFocus(list);
    PressKey(dialog, VK_SPACE);
}

void ClickAt(HWND dialog, int listId, int row, bool onBox, UINT downMessage) {
    HWND list = GetDlgItem(dialog, listId);
    RECT item;
    if (SendMessageA(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item)) == LB_ERR) return;
    const RECT box = CCheckListBox::CheckBoxRect(item);
    const int x = onBox ? (box.left + box.right) / 2 : item.right - 4;
    const int y = (item.top + item.bottom) / 2;
    PostMessageA(list, downMessage, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

struct DialogSearch {
    const std::string* caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    char className[16] = {};
    GetClassNameA(hwnd, className, sizeof className);
    if (std::string(className) != "#32770" || WindowText(hwnd) != *search->caption) return TRUE;
    search->found = hwnd;
    return FALSE;
}
}  // namespace

DialogDriver::DialogDriver(std::string caption, DWORD guardMs)
    : m_caption(std::move(caption)), m_timeoutMs(GuardMs(guardMs)) {
    m_timer = SetTimer(nullptr, 0, kTickMs, &DialogDriver::OnTimer);
    if (m_timer) ArmedDrivers()[m_timer] = this;
}

DialogDriver::~DialogDriver() { Stop(); }

void DialogDriver::Stop() {
    if (!m_timer) return;
    KillTimer(nullptr, m_timer);
    ArmedDrivers().erase(m_timer);
    m_timer = 0;
}

void CALLBACK DialogDriver::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    auto found = ArmedDrivers().find(id);
    if (found != ArmedDrivers().end()) found->second->Tick();
}

HWND DialogDriver::FindDialog() const {
    DialogSearch search{&m_caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void DialogDriver::Tick() {
    if (!m_dialog) {
        m_dialog = FindDialog();
        if (!m_dialog) return;
        m_found = true;
        m_openedAt = GetTickCount();
    }
    if (!IsWindow(m_dialog)) {
        Stop();
        return;
    }
    if (m_next < m_steps.size()) {
        m_steps[m_next++](m_dialog);
        return;
    }
    if (!m_timedOut && GetTickCount() - m_openedAt > m_timeoutMs) {
        m_timedOut = true;
        PostMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

std::string DialogDriver::TimeOutText() const {
    return "dialog \"" + m_caption + "\" was still open " + std::to_string(m_timeoutMs / 1000) +
           " s after it opened and its script of " + std::to_string(m_steps.size()) +
           " steps had run; cancelled";
}

SeenDialog DialogDriver::Read(HWND dialog, int listId) {
    SeenDialog seen{WindowText(dialog), {}, {}};
    GetWindowRect(dialog, &seen.window);
    if (listId == 0) return seen;
    HWND list = GetDlgItem(dialog, listId);
    const UINT getCheck = RegisterWindowMessageA(kCheckListBoxGetCheckMessage);
    const UINT isEnabled = RegisterWindowMessageA(kCheckListBoxIsEnabledMessage);
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int row = 0; row < count; ++row) {
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
        std::string text(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
        const LRESULT got = SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(got > 0 ? static_cast<size_t>(got) : 0);
        seen.rows.push_back({text, static_cast<int>(SendMessageA(list, getCheck, row, 0)),
                             static_cast<LPARAM>(SendMessageA(list, LB_GETITEMDATA, row, 0)),
                             static_cast<int>(SendMessageA(list, isEnabled, row, 0))});
    }
    return seen;
}

DialogDriver& DialogDriver::ReadList(int listId) {
    return Run([this, listId](HWND dialog) { m_seen.push_back(Read(dialog, listId)); });
}

DialogDriver& DialogDriver::PressSpace(int listId, int row) {
    return Run([listId, row](HWND dialog) { PressSpaceOnRow(dialog, listId, row); });
}

DialogDriver& DialogDriver::PressSpaceOnText(int listId, std::vector<std::string> texts) {
    return Run([listId, texts](HWND dialog) {
        const std::vector<SeenRow> rows = Read(dialog, listId).rows;
        for (size_t row = 0; row < rows.size(); ++row) {
            for (const std::string& text : texts) {
                if (rows[row].text != text) continue;
                PressSpaceOnRow(dialog, listId, static_cast<int>(row));
                return;
            }
        }
    });
}

DialogDriver& DialogDriver::ClickCheckBox(int listId, int row) {
    return Run([listId, row](HWND dialog) { ClickAt(dialog, listId, row, true, WM_LBUTTONDOWN); });
}

DialogDriver& DialogDriver::DoubleClickCheckBox(int listId, int row) {
    return Run([listId, row](HWND dialog) {
        ClickAt(dialog, listId, row, true, WM_LBUTTONDOWN);
        ClickAt(dialog, listId, row, true, WM_LBUTTONDBLCLK);
    });
}

DialogDriver& DialogDriver::ClickRowText(int listId, int row) {
    return Run([listId, row](HWND dialog) { ClickAt(dialog, listId, row, false, WM_LBUTTONDOWN); });
}

DialogDriver& DialogDriver::PressEnter() {
    return Run([](HWND dialog) { PressKey(dialog, VK_RETURN); });
}

DialogDriver& DialogDriver::PressEscape() {
    return Run([](HWND dialog) { PressKey(dialog, VK_ESCAPE); });
}

DialogDriver& DialogDriver::ClickButton(int buttonId) {
    return Run([buttonId](HWND dialog) { PostMessageA(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0); });
}

DialogDriver& DialogDriver::Run(std::function<void(HWND)> step) {
    m_steps.push_back(std::move(step));
    return *this;
}
