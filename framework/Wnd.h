#pragma once
// CWnd: a C++ object attached to a window it does not own. Subclassing the
// window routes its messages through WindowProc until the window is
// destroyed or the object goes away, whichever comes first.
#include "framework/MessageMap.h"

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Owner-draw messages the parent received for this control; true when handled.
    virtual bool OnChildNotify(UINT message, LPARAM lParam);

    // False when this object is already attached or `hwnd` is not a window.
    bool SubclassWindow(HWND hwnd);
    // The object that subclassed `hwnd`, or null.
    static CWnd* FromHandlePermanent(HWND hwnd);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }

    HWND m_hWnd = nullptr;

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnSubclassed() {}
    // The window's own procedure, bypassing this object.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void UnsubclassWindow();

    WNDPROC m_superProc = nullptr;
};
