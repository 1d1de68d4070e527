#include "module/SnapinSetupApp.h"

#include <new>

namespace {
const char kNotice[] = "PLUGWARD snap-in installation module";
}

CSnapinSetupApp::CSnapinSetupApp() : CWinApp(nullptr), CSnapinApp(CString(kNotice)) {}

CSnapinSetupApp::~CSnapinSetupApp() = default;

BEGIN_MESSAGE_MAP(CSnapinSetupApp, CWinApp)
END_MESSAGE_MAP()

// The first call after the framework has recorded m_hInstance fixes the
// handle for the life of the object.
HINSTANCE CSnapinSetupApp::GetInstanceHandle() {
    if (!CSnapin::GetInstanceHandle()) SetInstanceHandle(m_hInstance);
    return CSnapin::GetInstanceHandle();
}

void CSnapinSetupApp::OnShutDown() { m_menuItem.reset(); }

// Without memory for the item the module runs on without its menu item.
void CSnapinSetupApp::CreateMenuItem() {
    m_menuItem.reset(new (std::nothrow) CSnapinSetupMenu);
    if (m_menuItem) m_menuItem->Register();
}
