#include "ui/SnapinRows.h"

bool AddSnapinRow(CCheckListBox& list, const char* text, int check, SnapinItem* record) {
    const LRESULT row = list.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (row == LB_ERR || row == LB_ERRSPACE) return false;
    list.SetCheck(static_cast<int>(row), check);
    list.SendMessage(LB_SETITEMDATA, row, reinterpret_cast<LPARAM>(record));
    return true;
}

SnapinItem* SnapinRowRecord(CCheckListBox& list, int row) {
    const LRESULT value = list.SendMessage(LB_GETITEMDATA, row);
    return value == LB_ERR ? nullptr : reinterpret_cast<SnapinItem*>(value);
}
