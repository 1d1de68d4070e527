#pragma once
// The snap-in items of the console's menu: what the snap-ins registered
// through admext32.dll, each remembered with the module that registered it
// so that its items leave the menu before that module is unloaded.
#include "host/Admext32.h"

#include <windows.h>

#include <string>
#include <vector>

class SnapinMenu {
public:
    static constexpr UINT kFirstCommandId = 0x9000;

    // The popup that shows the items; owned by the window's menu bar.
    void AttachPopup(HMENU popup) { m_popup = popup; }

    // Takes over the items registered since `firstIndex` as belonging to
    // `owner`; returns the texts of the added items.
    std::vector<std::string> AdoptRegisteredSince(int firstIndex, HMODULE owner);
    // Removes every item of `owner`; returns the texts of the removed items.
    std::vector<std::string> DropItemsOf(HMODULE owner);

    // Asks each item's validity callback and enables or greys the item.
    void RefreshStates() const;
    // Calls the action of the item with this command id; false if there is none.
    bool RunAction(UINT commandId) const;
    // The hint of the item with this command id, or null.
    const char* HintOf(UINT commandId) const;
    // The command id of the item with this text, or 0.
    UINT CommandOf(const std::string& text) const;

private:
    struct Item {
        AdmMenuItem registration;
        HMODULE owner;
        UINT commandId;
    };
    const Item* Find(UINT commandId) const;

    HMENU m_popup = nullptr;
    std::vector<Item> m_items;
    UINT m_nextCommandId = kFirstCommandId;
};
