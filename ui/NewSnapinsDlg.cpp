#include "ui/NewSnapinsDlg.h"

#include "files/SnapinFiles.h"
#include "registry/SnapinLists.h"
#include "ui/SnapinRows.h"
#include "ui/resource.h"

CNewSnapinsDlg::CNewSnapinsDlg(CPtrList* snapins) : CDialog(IDD_NEW_SNAPINS, nullptr), m_snapins(snapins) {}

CNewSnapinsDlg::~CNewSnapinsDlg() = default;

void CNewSnapinsDlg::DoDataExchange(CDataExchange* pDX) { DDX_Control(pDX, IDC_NEW_SNAPINS_LIST, m_checkList); }

BOOL CNewSnapinsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (!m_snapins) return TRUE;
    for (void* entry : *m_snapins) {
        auto* item = static_cast<SnapinItem*>(entry);
        const CString text = RowText(EntryData(item->fileName), item->fileName);
        if (text.Failed() || !AddSnapinRow(m_checkList, text, 1, item)) return FALSE;
    }
    return TRUE;
}

void CNewSnapinsDlg::OnCloseButton() {
    const LRESULT count = m_checkList.SendMessage(LB_GETCOUNT);
    if (count == LB_ERR) return;
    for (int row = 0; row < count; ++row) {
        if (SnapinItem* item = SnapinRowRecord(m_checkList, row)) item->enabled = m_checkList.GetCheck(row) == 1 ? 1 : 0;
    }
    EndDialog(0);
}

BEGIN_MESSAGE_MAP(CNewSnapinsDlg, CDialog)
ON_COMMAND_OF(CNewSnapinsDlg, IDOK, OnCloseButton)
END_MESSAGE_MAP()
