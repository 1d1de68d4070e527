#pragma once
// Dialogs over the framework tests' templates, counting what reached them.
#include "framework/CheckListBox.h"
#include "framework/Dialog.h"
#include "tests/framework/FrameworkTestIds.h"

#include <functional>

class CheckListDialog : public CDialog {
public:
    using Fill = std::function<void(CheckListDialog&)>;
    explicit CheckListDialog(Fill fill = {}, UINT templateId = IDD_CHECK_LIST)
        : CDialog(templateId, nullptr), m_fill(std::move(fill)) {}

    CCheckListBox m_list;
    int okCalls = 0;
    int cancelCalls = 0;
    int applyCalls = 0;

    // Adds a row through the list box window; its index.
    int AddRow(const char* text) { return static_cast<int>(m_list.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnOK() override;
    void OnApply();

private:
    Fill m_fill;

    DECLARE_MESSAGE_MAP()
};

// Maps IDOK to a handler of its own, which wins over the base's OnOK.
class OwnCloseDialog : public CheckListDialog {
public:
    int closeCalls = 0;

protected:
    void OnClose();

    DECLARE_MESSAGE_MAP()
};
