#include "framework/Wnd.h"

namespace {
// Window property that links a subclassed window to its object.
const char kObjectProperty[] = "Plugward.CWnd";
}  // namespace

CWnd::~CWnd() { UnsubclassWindow(); }

bool CWnd::OnChildNotify(UINT, LPARAM) { return false; }

bool CWnd::SubclassWindow(HWND hwnd) {
    if (m_hWnd || !IsWindow(hwnd) || FromHandlePermanent(hwnd)) return false;
    if (!SetPropA(hwnd, kObjectProperty, this)) return false;
    m_hWnd = hwnd;
    m_superProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    OnSubclassed();
    return true;
}

void CWnd::UnsubclassWindow() {
    if (!m_superProc) return;
    SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
    RemovePropA(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
    m_superProc = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    return hwnd ? static_cast<CWnd*>(GetPropA(hwnd, kObjectProperty)) : nullptr;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(m_superProc, m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (!wnd) return DefWindowProcA(hwnd, message, wParam, lParam);
    const LRESULT result = wnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) wnd->UnsubclassWindow();
    return result;
}
