#include "module/SnapinMenu.h"

#include "host/SnapinHostApi.h"
#include "module/Snapin.h"
#include "ui/SnapinConfigDlg.h"

namespace {
// The item the static callbacks act on; not an owner.
CSnapinMenu* g_currentMenu = nullptr;

// The value the host's registration call requires for every item; what it means is the host's.
constexpr unsigned long kRegistrationFlags = 0x01010000;
}  // namespace

CSnapinMenu::CSnapinMenu(const char* name, const char* text, const char* hint)
    : m_name(CopyText(name)), m_text(CopyText(text)), m_hint(CopyText(hint)) {}

CSnapinMenu::~CSnapinMenu() {
    m_name.reset();
    m_text.reset();
    m_hint.reset();
}

// Ordinal 276 is looked up here, not imported: an import of the host's
// library would keep rundll32 from loading the module outside the console's
// directory for the logon run (LogonEnforcement.cpp). LoadLibraryA searches
// from the host's directory, as the import did. Without it, no item.
void CSnapinMenu::Register() {
    AttachCallbacks(this);
    m_hostLibrary.reset(LoadLibraryA("ADMEXT32.DLL"));
    const auto registerItem = m_hostLibrary ? reinterpret_cast<AdmRegisterMenuItemFn>(reinterpret_cast<void*>(
                                                  GetProcAddress(m_hostLibrary.get(), MAKEINTRESOURCEA(ADM_REGISTER_MENU_ITEM_ORDINAL))))
                                            : nullptr;
    if (registerItem)
        registerItem(m_name.get(), 0, 0, 0, &m_hostItemId, m_text.get(), m_hint.get(), m_action, m_valid,
                     kRegistrationFlags);
}

CSnapinSetupMenu::CSnapinSetupMenu()
    : CSnapinMenu("ListMenu", "Snap-in Configuration", "Snap-in Auto-registration Configuration") {}

// The host may call the callbacks after the item is gone: they must then find
// no current item rather than a destroyed one.
CSnapinSetupMenu::~CSnapinSetupMenu() {
    if (g_currentMenu == this) g_currentMenu = nullptr;
}

void CSnapinSetupMenu::AttachCallbacks(CSnapinMenu* item) {
    g_currentMenu = item;
    SetValidCallback(&CSnapinSetupMenu::MenuValid);
    SetActionCallback(&CSnapinSetupMenu::MenuAction);
}

void CSnapinSetupMenu::DoAction() {
    CSnapinConfigDlg dialog(nullptr);
    dialog.DoModal();
}

// The host calls these through the pointers handed over at registration.
void __cdecl CSnapinSetupMenu::MenuValid(unsigned int* state) {
    if (state) *state = g_currentMenu ? g_currentMenu->GetState() : kMenuStateUnavailable;
}

void __cdecl CSnapinSetupMenu::MenuAction() {
    if (g_currentMenu) g_currentMenu->DoAction();
}
