#pragma once
// CCheckListBox: an owner-drawn list box (LBS_OWNERDRAWFIXED, LBS_HASSTRINGS)
// with a check box on every row. The list box's own item data points at a
// record owned by this object that keeps the row's check state beside the
// caller's value, so LB_SETITEMDATA and LB_GETITEMDATA sent to the window
// keep carrying the caller's value and the record moves with its row when the
// list box sorts.
#include "framework/Array.h"
#include "framework/Wnd.h"

#include <memory>

// Registered window message answered with the check state of row wParam
// (0 or 1, LB_ERR for no such row): for callers that hold only the window.
constexpr char kCheckListBoxGetCheckMessage[] = "Plugward.CheckListBox.GetCheck";
// The same for whether row wParam is enabled (0 or 1, LB_ERR for no such row).
constexpr char kCheckListBoxIsEnabledMessage[] = "Plugward.CheckListBox.IsEnabled";

class CCheckListBox : public CWnd {
public:
    CCheckListBox() = default;
    ~CCheckListBox() override;

    bool OnChildNotify(UINT message, LPARAM lParam) override;

    // Any non-zero `check` means checked: there are two states only.
    void SetCheck(int index, int check);
    // 0 or 1; LB_ERR when there is no such row.
    int GetCheck(int index);
    // A disabled row is drawn greyed, and neither the space bar nor a click
    // changes its check; SetCheck still does. Rows start enabled.
    void Enable(int index, BOOL enabled = TRUE);
    // TRUE or FALSE; LB_ERR when there is no such row.
    int IsEnabled(int index);

    // Where a row whose item rectangle is `item` shows its check box.
    static RECT CheckBoxRect(const RECT& item);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnSubclassed() override;

private:
    struct Row {
        LPARAM userValue;
        int check;
        bool enabled;
    };

    Row* FindRow(LRESULT itemData) const;
    // Where a record at `itemData` stands, or would stand, in m_rows.
    int RowSlot(LRESULT itemData) const;
    void ForgetRow(LRESULT itemData);
    Row* RowAt(int index);
    LRESULT SetUserValue(int index, LPARAM value);
    LRESULT GetUserValue(int index);
    LRESULT DeleteRow(int index);
    void Toggle(int index);
    void ToggleBoxAt(LPARAM point);
    void DrawItem(const DRAWITEMSTRUCT& item);

    CArray<std::unique_ptr<Row>> m_rows;  // in the order of their addresses, the rows' item data
};
