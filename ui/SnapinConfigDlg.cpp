#include "ui/SnapinConfigDlg.h"

#include "files/SnapinFiles.h"
#include "registry/SnapinRegistry.h"
#include "startup/PolicyJudge.h"
#include "ui/SnapinRows.h"
#include "ui/resource.h"

#include <new>

namespace {
// A row whose check equals this is left where it is by OK.
int StartCheck(ListCategory category) { return kSnapinLists[category].enabled ? 1 : 0; }

// How a row shows its entry under the policy.
struct RowLook {
    int check;
    bool enabled;
    const char* suffix;
};

const char* SuffixOf(PolicyStanding standing) {
    switch (standing) {
    case PolicyStanding::Blocked: return " (blocked by your administrator)";
    case PolicyStanding::Required: return " (required by your administrator)";
    case PolicyStanding::Untrusted: return " (not signed by a trusted publisher)";
    case PolicyStanding::Free: break;
    }
    return "";
}

RowLook LookOf(CPolicyJudge& judge, ListCategory category, const CString& name, const CString& data) {
    // A policy that cannot be read manages nothing, yet the user may not
    // act against what it might say: every row is greyed as its list stands.
    if (!judge.Policy().Readable()) return {StartCheck(category), false, ""};
    // An entry against its list shows the other list's check, for OK to move it.
    const PolicyStanding standing = judge.StandingOfEntry(name, data);
    const int check = StandsAgainst(standing, category) ? 1 - StartCheck(category) : StartCheck(category);
    return {check, standing == PolicyStanding::Free, SuffixOf(standing)};
}
}  // namespace

CSnapinConfigDlg::CSnapinConfigDlg(CWnd* parent) : CDialog(IDD_SNAPIN_CONFIG, parent) {}

CSnapinConfigDlg::~CSnapinConfigDlg() = default;

void CSnapinConfigDlg::DoDataExchange(CDataExchange* pDX) { DDX_Control(pDX, IDC_SNAPIN_CONFIG_LIST, m_checkList); }

BOOL CSnapinConfigDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_policy.Read();
    // Relative data is taken from the current directory, the host's, as the
    // rows' descriptions are read.
    const CString currentDirectory;
    CPolicyJudge judge(m_policy, currentDirectory);
    // One repaint when the rows are in, not one per row.
    m_checkList.SendMessage(WM_SETREDRAW, FALSE);
    bool filled = true;
    for (ListCategory category : ListsInFillOrder())
        if (!(filled = AddListRows(judge, category))) break;
    m_checkList.SendMessage(WM_SETREDRAW, TRUE);
    InvalidateRect(m_checkList.m_hWnd, nullptr, TRUE);
    return filled ? TRUE : FALSE;
}

// A list that is missing or cannot be read adds no rows; without memory for
// its entries the dialog stops adding rows, as it does when the list box
// refuses one.
bool CSnapinConfigDlg::AddListRows(CPolicyJudge& judge, ListCategory category) {
    CSnapinRegistry registry;
    CStringList names, data;
    if (registry.EnumEntries(ListKey(category), names, &data) == kFailedAllocation) return false;
    const CString* text = data.begin();
    for (const CString& name : names)
        if (!AddEntryRow(judge, category, name, *text++)) return false;
    return true;
}

// `data` is empty for an entry without text, whose row shows its name.
bool CSnapinConfigDlg::AddEntryRow(CPolicyJudge& judge, ListCategory category, const CString& name,
                                   const CString& data) {
    SnapinItem* record = NewRecord(category, name);
    if (!record) return false;
    const RowLook look = LookOf(judge, category, name, data);
    const CString text = RowText(data, name) + look.suffix;
    if (!text.Failed() && AddSnapinRow(m_checkList, text, look.check, record, look.enabled)) return true;
    m_records.RemoveAt(m_records.GetSize() - 1);
    return false;
}

SnapinItem* CSnapinConfigDlg::NewRecord(ListCategory category, const CString& name) {
    std::unique_ptr<SnapinItem> record(new (std::nothrow) SnapinItem);
    if (!record) return nullptr;
    record->kind = category;
    record->fileName = name;
    SnapinItem* made = record.get();
    return !made->fileName.Failed() && m_records.Add(std::move(record)) ? made : nullptr;
}

// Every row's record is held until OK or Cancel frees them all; a late
// command after that finds none.
SnapinItem* CSnapinConfigDlg::RecordOf(int row) {
    return m_records.IsEmpty() ? nullptr : SnapinRowRecord(m_checkList, row);
}

void CSnapinConfigDlg::OnOKButton() {
    const LRESULT count = m_checkList.SendMessage(LB_GETCOUNT);
    if (count == LB_ERR) return;
    CSnapinRegistry registry;
    for (int row = 0; row < count; ++row) {
        const SnapinItem* record = RecordOf(row);
        if (!record || !IsListCategory(record->kind)) continue;
        // The dialog keeps its silence: a failed write leaves the entry where
        // it was, and a failed delete after it leaves the entry in both lists.
        const ListCategory category = static_cast<ListCategory>(record->kind);
        if (m_checkList.GetCheck(row) != StartCheck(category)) registry.MoveEntry(category, record->fileName);
    }
    m_records.RemoveAll();
    EndDialog(0);
}

void CSnapinConfigDlg::OnCancel() {
    m_records.RemoveAll();
    CDialog::OnCancel();
}

BEGIN_MESSAGE_MAP(CSnapinConfigDlg, CDialog)
ON_COMMAND_OF(CSnapinConfigDlg, IDOK, OnOKButton)
END_MESSAGE_MAP()
