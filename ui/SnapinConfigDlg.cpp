#include "ui/SnapinConfigDlg.h"

#include "registry/SnapinRegistry.h"
#include "ui/SnapinRows.h"
#include "ui/resource.h"

#include <new>

namespace {
struct Category {
    const char* list;
    const char* otherList;  // the other list of the same kind
    int startCheck;
};

// Indexed by ListCategory.
const Category kCategories[] = {
    {kEnabledObjectList, kDisabledObjectList, 1},
    {kDisabledObjectList, kEnabledObjectList, 0},
    {kEnabledViewList, kDisabledViewList, 1},
    {kDisabledViewList, kEnabledViewList, 0},
};

const ListCategory kFillOrder[] = {kEnabledObjectCategory, kEnabledViewCategory, kDisabledObjectCategory,
                                   kDisabledViewCategory};

bool IsCategory(int32_t value) { return value >= kEnabledObjectCategory && value <= kDisabledViewCategory; }

void MoveEntry(CSnapinRegistry& registry, const Category& from, const CString& name) {
    registry.MoveEntry(from.list, from.otherList, name);
}
}  // namespace

CSnapinConfigDlg::CSnapinConfigDlg(CWnd* parent) : CDialog(IDD_SNAPIN_CONFIG, parent) {}

CSnapinConfigDlg::~CSnapinConfigDlg() = default;

void CSnapinConfigDlg::DoDataExchange(CDataExchange* pDX) { DDX_Control(pDX, IDC_SNAPIN_CONFIG_LIST, m_checkList); }

BOOL CSnapinConfigDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CSnapinRegistry registry;
    for (ListCategory category : kFillOrder) {
        CStringList names;
        registry.EnumEntries(kCategories[category].list, names);
        for (const CString& name : names)
            if (!AddEntryRow(registry, category, name)) return FALSE;
    }
    return TRUE;
}

bool CSnapinConfigDlg::AddEntryRow(CSnapinRegistry& registry, ListCategory category, const CString& name) {
    SnapinItem* record = NewRecord(category, name);
    if (!record) return false;
    CString description;
    const bool described = registry.GetEntryDescription(kCategories[category].list, name, description) == 0;
    if (AddSnapinRow(m_checkList, described ? description : name, kCategories[category].startCheck, record)) return true;
    m_records.pop_back();
    return false;
}

SnapinItem* CSnapinConfigDlg::NewRecord(ListCategory category, const CString& name) {
    try {
        m_records.push_back(std::make_unique<SnapinItem>());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    SnapinItem* record = m_records.back().get();
    record->kind = category;
    record->fileName = name;
    return record;
}

// Every row's record is held until OK or Cancel frees them all; a late
// command after that finds none.
SnapinItem* CSnapinConfigDlg::RecordOf(int row) {
    return m_records.empty() ? nullptr : SnapinRowRecord(m_checkList, row);
}

void CSnapinConfigDlg::OnOKButton() {
    const LRESULT count = m_checkList.SendMessage(LB_GETCOUNT);
    if (count == LB_ERR) return;
    CSnapinRegistry registry;
    for (int row = 0; row < count; ++row) {
        const SnapinItem* record = RecordOf(row);
        if (!record || !IsCategory(record->kind)) continue;
        const Category& category = kCategories[record->kind];
        if (m_checkList.GetCheck(row) != category.startCheck) MoveEntry(registry, category, record->fileName);
    }
    m_records.clear();
    EndDialog(0);
}

void CSnapinConfigDlg::OnCancel() {
    m_records.clear();
    CDialog::OnCancel();
}

BEGIN_MESSAGE_MAP(CSnapinConfigDlg, CDialog)
ON_COMMAND_OF(CSnapinConfigDlg, IDOK, OnOKButton)
END_MESSAGE_MAP()
