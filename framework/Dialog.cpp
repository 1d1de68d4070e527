#include "framework/Dialog.h"

#include "framework/WinApp.h"

namespace {
struct TemplatePlacement {
    DWORD style;
    short x;
    short y;
};

WORD WordAt(const BYTE* data, size_t offset) { return static_cast<WORD>(data[offset] | data[offset + 1] << 8); }
DWORD DwordAt(const BYTE* data, size_t offset) {
    return WordAt(data, offset) | static_cast<DWORD>(WordAt(data, offset + 2)) << 16;
}

// Style and position from a DLGTEMPLATE or DLGTEMPLATEEX header; false when
// the block is too short for the header it claims to be.
bool ReadPlacement(const BYTE* data, size_t size, TemplatePlacement& placement) {
    if (size < 4) return false;
    const bool extended = WordAt(data, 0) == 1 && WordAt(data, 2) == 0xFFFF;
    const size_t styleAt = extended ? 12 : 0;
    const size_t xAt = extended ? 18 : 10;
    if (size < xAt + 4) return false;
    placement.style = DwordAt(data, styleAt);
    placement.x = static_cast<short>(WordAt(data, xAt));
    placement.y = static_cast<short>(WordAt(data, xAt + 2));
    return true;
}

bool FindPlacement(HINSTANCE module, UINT templateId, TemplatePlacement& placement) {
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(templateId), RT_DIALOG);
    if (!resource) return false;
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data && ReadPlacement(static_cast<const BYTE*>(data), SizeofResource(module, resource), placement);
}

bool WantsCentring(const TemplatePlacement& placement) {
    return placement.x == 0 && placement.y == 0 && !(placement.style & (DS_ABSALIGN | DS_CENTER | DS_CENTERMOUSE));
}

int Centred(LONG areaStart, LONG areaEnd, LONG aroundStart, LONG aroundEnd, LONG extent) {
    LONG start = aroundStart + (aroundEnd - aroundStart - extent) / 2;
    if (start + extent > areaEnd) start = areaEnd - extent;
    if (start < areaStart) start = areaStart;
    return start;
}

// Centres on the owner when it is shown, otherwise on the work area, and
// keeps the dialog within the work area: the primary monitor's, as on every
// Windows before multiple monitors.
void CentreWindow(HWND hwnd) {
    RECT area;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) return;
    RECT around = area;
    HWND owner = GetWindow(hwnd, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
    RECT window;
    GetWindowRect(hwnd, &window);
    const int x = Centred(area.left, area.right, around.left, around.right, window.right - window.left);
    const int y = Centred(area.top, area.bottom, around.top, around.bottom, window.bottom - window.top);
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (!control.m_hWnd) control.SubclassWindow(GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id));
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    HINSTANCE module = AfxGetResourceHandle();
    TemplatePlacement placement{};
    if (!FindPlacement(module, m_templateId, placement)) return -1;
    m_centre = WantsCentring(placement);
    return DialogBoxParamA(module, MAKEINTRESOURCEA(m_templateId), m_parent ? m_parent->m_hWnd : nullptr,
                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    CDataExchange exchange(this);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnOK() { EndDialog(IDOK); }

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        dialog->m_hWnd = hwnd;
        if (dialog->m_centre) CentreWindow(hwnd);
        return dialog->OnInitDialog();
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    return dialog ? dialog->OnMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // Notification 0: a button click, a menu item, or Enter/Escape from the dialog manager.
        return HIWORD(wParam) == 0 && OnCmdMsg(LOWORD(wParam));
    case WM_DRAWITEM:
        return ForwardDrawItem(lParam);
    case WM_NCDESTROY:
        m_hWnd = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

bool CDialog::ForwardDrawItem(LPARAM lParam) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item->CtlType == ODT_MENU) return false;
    CWnd* control = CWnd::FromHandlePermanent(item->hwndItem);
    return control && control->OnChildNotify(WM_DRAWITEM, lParam);
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND_OF(CDialog, IDOK, OnOK)
ON_COMMAND_OF(CDialog, IDCANCEL, OnCancel)
END_MESSAGE_MAP()
