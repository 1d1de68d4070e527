#pragma once
// CDialog: a modal dialog run from a template in the framework's resource
// module. Commands from buttons, Enter and Escape reach the message maps;
// owner-draw messages reach the bound control that asked for them.
#include "framework/Wnd.h"

class CDataExchange {
public:
    explicit CDataExchange(CWnd* dialog) : m_pDlgWnd(dialog) {}
    CWnd* m_pDlgWnd;
};

// Binds control `id` of the dialog to `control`, the first time only.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
public:
    CDialog(UINT templateId, CWnd* parent);
    ~CDialog() override;

    // The EndDialog result, or -1 when the dialog cannot be created.
    INT_PTR DoModal();
    void EndDialog(int result);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // Runs the data exchange; TRUE lets the dialog manager set the focus.
    virtual BOOL OnInitDialog();
    virtual void OnCancel();
    virtual void OnOK();

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool ForwardDrawItem(LPARAM lParam);

    UINT m_templateId;
    CWnd* m_parent;
    bool m_centre = false;

    DECLARE_MESSAGE_MAP()
};
