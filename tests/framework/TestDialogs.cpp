#include "tests/framework/TestDialogs.h"

void CheckListDialog::DoDataExchange(CDataExchange* pDX) { DDX_Control(pDX, IDC_CHECK_LIST, m_list); }

BOOL CheckListDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_fill) m_fill(*this);
    return TRUE;
}

void CheckListDialog::OnCancel() {
    ++cancelCalls;
    CDialog::OnCancel();
}

void CheckListDialog::OnOK() {
    ++okCalls;
    CDialog::OnOK();
}

void CheckListDialog::OnApply() { ++applyCalls; }

BEGIN_MESSAGE_MAP(CheckListDialog, CDialog)
ON_COMMAND_OF(CheckListDialog, IDC_APPLY, OnApply)
END_MESSAGE_MAP()

void OwnCloseDialog::OnClose() {
    ++closeCalls;
    EndDialog(0);
}

BEGIN_MESSAGE_MAP(OwnCloseDialog, CheckListDialog)
ON_COMMAND_OF(OwnCloseDialog, IDOK, OnClose)
END_MESSAGE_MAP()
