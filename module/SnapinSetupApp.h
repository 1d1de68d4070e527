#pragma once
// CSnapinSetupApp: the module's application object and its snap-in object.
#include "framework/WinApp.h"
#include "module/Snapin.h"
#include "module/SnapinMenu.h"
#include "registry/SnapinLists.h"

#include <memory>

class CSnapinSetupApp : public CWinApp, public CSnapinApp {
public:
    CSnapinSetupApp();
    ~CSnapinSetupApp() override;

    int OnInit() override;
    void OnShutDown() override;
    HINSTANCE GetInstanceHandle() override;

    // Gives the module's own entry the canonical value name when the module
    // runs under another file name; 0 or the code of the failing step.
    int RegisterSelf();

    DECLARE_MESSAGE_MAP()

private:
    void CreateMenuItem();

    std::unique_ptr<CSnapinSetupMenu> m_menuItem;
};
