#include "framework/CheckListBox.h"

#include <algorithm>
#include <functional>
#include <new>

namespace {
const int kBoxSize = 13;
const int kBoxMargin = 2;

UINT GetCheckMessage() {
    static const UINT message = RegisterWindowMessageA(kCheckListBoxGetCheckMessage);
    return message;
}

UINT IsEnabledMessage() {
    static const UINT message = RegisterWindowMessageA(kCheckListBoxIsEnabledMessage);
    return message;
}
}  // namespace

CCheckListBox::~CCheckListBox() = default;

RECT CCheckListBox::CheckBoxRect(const RECT& item) {
    const LONG top = item.top + (item.bottom - item.top - kBoxSize) / 2;
    return RECT{item.left + kBoxMargin, top, item.left + kBoxMargin + kBoxSize, top + kBoxSize};
}

void CCheckListBox::OnSubclassed() {
    if (SendMessage(LB_GETITEMHEIGHT) < kBoxSize + 2 * kBoxMargin) SendMessage(LB_SETITEMHEIGHT, 0, kBoxSize + 2 * kBoxMargin);
}

void CCheckListBox::SetCheck(int index, int check) {
    Row* row = RowAt(index);
    if (!row) return;
    row->check = check ? 1 : 0;
    RECT item;
    if (SendMessage(LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) != LB_ERR) InvalidateRect(m_hWnd, &item, FALSE);
}

int CCheckListBox::GetCheck(int index) {
    const LRESULT itemData = Default(LB_GETITEMDATA, index, 0);
    if (itemData == LB_ERR) return LB_ERR;
    const Row* row = FindRow(itemData);
    return row ? row->check : 0;
}

void CCheckListBox::Enable(int index, BOOL enabled) {
    Row* row = RowAt(index);
    if (!row) return;
    row->enabled = enabled != FALSE;
    RECT item;
    if (SendMessage(LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) != LB_ERR) InvalidateRect(m_hWnd, &item, FALSE);
}

int CCheckListBox::IsEnabled(int index) {
    const LRESULT itemData = Default(LB_GETITEMDATA, index, 0);
    if (itemData == LB_ERR) return LB_ERR;
    const Row* row = FindRow(itemData);
    return !row || row->enabled ? TRUE : FALSE;
}

int CCheckListBox::RowSlot(LRESULT itemData) const {
    const auto* at = reinterpret_cast<const Row*>(itemData);
    const auto before = [](const std::unique_ptr<Row>& row, const Row* key) { return std::less<const Row*>()(row.get(), key); };
    const auto found = std::lower_bound(m_rows.begin(), m_rows.end(), at, before);
    return static_cast<int>(found - m_rows.begin());
}

CCheckListBox::Row* CCheckListBox::FindRow(LRESULT itemData) const {
    const int slot = RowSlot(itemData);
    const bool held = slot < m_rows.GetSize() && m_rows[slot].get() == reinterpret_cast<const Row*>(itemData);
    return held ? m_rows[slot].get() : nullptr;
}

void CCheckListBox::ForgetRow(LRESULT itemData) {
    if (FindRow(itemData)) m_rows.RemoveAt(RowSlot(itemData));
}

// The row's record, made on first use; a value the row carried before keeps
// its place as the caller's value.
CCheckListBox::Row* CCheckListBox::RowAt(int index) {
    const LRESULT itemData = Default(LB_GETITEMDATA, index, 0);
    if (itemData == LB_ERR) return nullptr;
    if (Row* row = FindRow(itemData)) return row;
    // Without memory for the record the row has no check state: null, as
    // for a row that does not exist.
    std::unique_ptr<Row> row(new (std::nothrow) Row{itemData, 0, true});
    if (!row) return nullptr;
    Row* made = row.get();
    if (!m_rows.InsertAt(RowSlot(reinterpret_cast<LRESULT>(made)), std::move(row))) return nullptr;
    if (Default(LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(made)) != LB_ERR) return made;
    ForgetRow(reinterpret_cast<LRESULT>(made));
    return nullptr;
}

LRESULT CCheckListBox::SetUserValue(int index, LPARAM value) {
    if (index == -1) {  // every row
        const LRESULT count = Default(LB_GETCOUNT, 0, 0);
        for (int each = 0; each < count; ++each) SetUserValue(each, value);
        return count == LB_ERR ? LB_ERR : LB_OKAY;
    }
    Row* row = RowAt(index);
    if (!row) return LB_ERR;
    row->userValue = value;
    return LB_OKAY;
}

LRESULT CCheckListBox::GetUserValue(int index) {
    const LRESULT itemData = Default(LB_GETITEMDATA, index, 0);
    const Row* row = itemData == LB_ERR ? nullptr : FindRow(itemData);
    return row ? row->userValue : itemData;
}

LRESULT CCheckListBox::DeleteRow(int index) {
    const LRESULT itemData = Default(LB_GETITEMDATA, index, 0);
    const LRESULT remaining = Default(LB_DELETESTRING, index, 0);
    if (remaining != LB_ERR) ForgetRow(itemData);
    return remaining;
}

void CCheckListBox::Toggle(int index) {
    if (IsEnabled(index) != TRUE) return;
    const int check = GetCheck(index);
    if (check != LB_ERR) SetCheck(index, !check);
}

void CCheckListBox::ToggleBoxAt(LPARAM point) {
    const LRESULT hit = Default(LB_ITEMFROMPOINT, 0, point);
    if (HIWORD(hit)) return;  // below the last row
    const int index = LOWORD(hit);
    RECT item;
    if (Default(LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) == LB_ERR) return;
    const RECT box = CheckBoxRect(item);
    const POINT at{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    if (PtInRect(&box, at)) Toggle(index);
}

LRESULT CCheckListBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == GetCheckMessage()) return GetCheck(static_cast<int>(wParam));
    if (message == IsEnabledMessage()) return IsEnabled(static_cast<int>(wParam));
    switch (message) {
    case LB_SETITEMDATA:
        return SetUserValue(static_cast<int>(wParam), lParam);
    case LB_GETITEMDATA:
        return GetUserValue(static_cast<int>(wParam));
    case LB_DELETESTRING:
        return DeleteRow(static_cast<int>(wParam));
    case LB_RESETCONTENT:
    case WM_NCDESTROY: {
        const LRESULT result = Default(message, wParam, lParam);
        m_rows.RemoveAll();
        return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        ToggleBoxAt(lParam);
        break;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) Toggle(static_cast<int>(Default(LB_GETCARETINDEX, 0, 0)));
        break;
    case WM_CHAR:
        if (wParam == ' ') return 0;  // the space bar toggles; it does not search the rows
        break;
    }
    return Default(message, wParam, lParam);
}

bool CCheckListBox::OnChildNotify(UINT message, LPARAM lParam) {
    if (message != WM_DRAWITEM) return false;
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return true;
}

void CCheckListBox::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) {  // an empty list that has the focus
        if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const int saved = SaveDC(item.hDC);
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    RECT box = CheckBoxRect(item.rcItem);
    const Row* row = FindRow(static_cast<LRESULT>(item.itemData));
    const bool greyed = row && !row->enabled;
    DrawFrameControl(item.hDC, &box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | (row && row->check ? DFCS_CHECKED : 0) | (greyed ? DFCS_INACTIVE : 0));

    const LRESULT length = Default(LB_GETTEXTLEN, item.itemID, 0);
    if (length > 0) {
        // Without memory for the text the row is drawn without it, and the
        // device context is still restored.
        std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(length) + 1]);
        const LRESULT got = text ? Default(LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.get())) : 0;
        RECT textRect = item.rcItem;
        textRect.left = box.right + 2 * kBoxMargin;
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, GetSysColor(greyed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        if (got > 0) DrawTextA(item.hDC, text.get(), static_cast<int>(got), &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
    RestoreDC(item.hDC, saved);
}
