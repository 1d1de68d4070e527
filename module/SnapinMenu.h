#pragma once
// CSnapinMenu: an item in the host's menus, registered with the host library;
// CSnapinSetupMenu: the module's "Snap-in Configuration" item.
#include <windows.h>

#include <memory>

class CSnapinMenu {
public:
    using ValidCallback = void(__cdecl*)(unsigned int* state);
    using ActionCallback = void(__cdecl*)(void);

    CSnapinMenu(const char* name, const char* text, const char* hint);
    virtual ~CSnapinMenu();
    CSnapinMenu(const CSnapinMenu&) = delete;
    CSnapinMenu& operator=(const CSnapinMenu&) = delete;

    virtual void AttachCallbacks(CSnapinMenu* item) = 0;
    virtual void DoAction() {}
    virtual unsigned int GetState() { return 0; }

    void SetValidCallback(ValidCallback callback) { m_valid = callback; }
    void SetActionCallback(ActionCallback callback) { m_action = callback; }
    void Register();

private:
    ValidCallback m_valid = nullptr;
    ActionCallback m_action = nullptr;
    std::unique_ptr<char[]> m_name;
    std::unique_ptr<char[]> m_text;
    std::unique_ptr<char[]> m_hint;
    unsigned long m_hostItemId = 0;  // the host may write it; never read here
    // The host's library, held while the item lives (see Register).
    struct LibraryFree {
        void operator()(HINSTANCE library) const { FreeLibrary(library); }
    };
    std::unique_ptr<HINSTANCE__, LibraryFree> m_hostLibrary;
};

class CSnapinSetupMenu : public CSnapinMenu {
public:
    CSnapinSetupMenu();
    ~CSnapinSetupMenu() override;

    void AttachCallbacks(CSnapinMenu* item) override;
    void DoAction() override;

    static void __cdecl MenuValid(unsigned int* state);
    static void __cdecl MenuAction();
};

// State word reported when no item is current: MF_GRAYED | MF_DISABLED.
constexpr unsigned int kMenuStateUnavailable = 3;
