#pragma once
// The dialog that lists every entry of the four snap-in lists, enabled ones
// checked, and on OK moves each entry whose check differs from its list to
// the other list of its kind. Entries the organisation's policy blocks or
// requires, by their name or the file they load, are shown cleared or
// checked, greyed, whatever their list, and so are files it keeps from
// running for want of a trusted publisher's signature; OK moves such an entry as it moves
// any other, with its data rebuilt (start-up's policy moves copy it as
// stored). The dialog owns the records behind its rows.
#include "framework/Array.h"
#include "framework/CheckListBox.h"
#include "framework/Dialog.h"
#include "registry/SnapinLists.h"
#include "registry/SnapinPolicy.h"
#include "ui/SnapinItem.h"

#include <memory>

class CPolicyJudge;

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
    bool AddListRows(CPolicyJudge& judge, ListCategory category);
    bool AddEntryRow(CPolicyJudge& judge, ListCategory category, const CString& name, const CString& data);
    SnapinItem* NewRecord(ListCategory category, const CString& name);
    SnapinItem* RecordOf(int row);

    CCheckListBox m_checkList;
    CArray<std::unique_ptr<SnapinItem>> m_records;
    CSnapinPolicy m_policy;

    DECLARE_MESSAGE_MAP()
};
