#include "ui/SnapinRows.h"

bool AddSnapinRow(CCheckListBox& list, const char* text, int check, SnapinItem* record, bool enabled) {
    const LRESULT row = list.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (row == LB_ERR || row == LB_ERRSPACE) return false;
    // A row that could not take its check state, enabled state or record
    // would show a choice it cannot carry out: it is taken out again, as if
    // refused.
    list.SetCheck(static_cast<int>(row), check);
    list.Enable(static_cast<int>(row), enabled);
    if (list.GetCheck(static_cast<int>(row)) == (check ? 1 : 0) && list.IsEnabled(static_cast<int>(row)) == (enabled ? 1 : 0) &&
        list.SendMessage(LB_SETITEMDATA, row, reinterpret_cast<LPARAM>(record)) != LB_ERR)
        return true;
    list.SendMessage(LB_DELETESTRING, row);
    return false;
}

SnapinItem* SnapinRowRecord(CCheckListBox& list, int row) {
    const LRESULT value = list.SendMessage(LB_GETITEMDATA, row);
    return value == LB_ERR ? nullptr : reinterpret_cast<SnapinItem*>(value);
}
