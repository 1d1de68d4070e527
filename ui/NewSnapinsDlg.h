#pragma once
// The dialog that offers the snap-ins found at start-up, every row checked.
// On "Close" each row's check state goes into its record's enabled flag; the
// records and their list belong to the caller.
#include "framework/CheckListBox.h"
#include "framework/Dialog.h"
#include "framework/Lists.h"

class CNewSnapinsDlg : public CDialog {
public:
    // `snapins` holds SnapinItem pointers.
    explicit CNewSnapinsDlg(CPtrList* snapins);
    ~CNewSnapinsDlg() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCloseButton();

private:
    CCheckListBox m_checkList;
    CPtrList* m_snapins;

    DECLARE_MESSAGE_MAP()
};
