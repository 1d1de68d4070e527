#pragma once
// Rows of a check list that carry SnapinItem records.
#include "framework/CheckListBox.h"
#include "ui/SnapinItem.h"

// Adds a row with its check state, enabled state and record; false, and no
// row, when the list box refuses it or it cannot take one of them.
bool AddSnapinRow(CCheckListBox& list, const char* text, int check, SnapinItem* record, bool enabled = true);

// The record of a row; null for a row without one or no such row.
SnapinItem* SnapinRowRecord(CCheckListBox& list, int row);
