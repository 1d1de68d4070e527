#pragma once
// The dialog that lists every entry of the four snap-in lists, enabled ones
// checked, and on OK moves each entry whose check changed to the other list
// of its kind. The dialog owns the records behind its rows.
#include "framework/Array.h"
#include "framework/CheckListBox.h"
#include "framework/Dialog.h"
#include "registry/SnapinLists.h"
#include "ui/SnapinItem.h"

#include <memory>

class CSnapinRegistry;

class CSnapinConfigDlg : public CDialog {
public:
    explicit CSnapinConfigDlg(CWnd* parent);
    ~CSnapinConfigDlg() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnOKButton();

private:
    bool AddEntryRow(CSnapinRegistry& registry, ListCategory category, const CString& name);
    SnapinItem* NewRecord(ListCategory category, const CString& name);
    SnapinItem* RecordOf(int row);

    CCheckListBox m_checkList;
    CArray<std::unique_ptr<SnapinItem>> m_records;

    DECLARE_MESSAGE_MAP()
};
