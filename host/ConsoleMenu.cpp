#include "host/ConsoleMenu.h"

#include <algorithm>

std::vector<std::string> SnapinMenu::AdoptRegisteredSince(int firstIndex, HMODULE owner) {
    std::vector<std::string> added;
    for (int index = firstIndex; index < AdmGetMenuItemCount(); ++index) {
        Item item{};
        if (AdmGetMenuItem(index, &item.registration) != 0) continue;
        item.owner = owner;
        item.commandId = m_nextCommandId++;
        AppendMenuA(m_popup, MF_STRING, item.commandId, item.registration.text);
        m_items.push_back(item);
        added.push_back(item.registration.text);
    }
    return added;
}

std::vector<std::string> SnapinMenu::DropItemsOf(HMODULE owner) {
    std::vector<std::string> removed;
    const auto ownedBy = [owner](const Item& item) { return item.owner == owner; };
    for (const Item& item : m_items) {
        if (!ownedBy(item)) continue;
        DeleteMenu(m_popup, item.commandId, MF_BYCOMMAND);
        removed.push_back(item.registration.text);
    }
    m_items.erase(std::remove_if(m_items.begin(), m_items.end(), ownedBy), m_items.end());
    return removed;
}

void SnapinMenu::RefreshStates() const {
    for (const Item& item : m_items) {
        unsigned int state = MF_GRAYED | MF_DISABLED;
        item.registration.valid(&state);
        EnableMenuItem(m_popup, item.commandId, MF_BYCOMMAND | (state == 0 ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
    }
}

bool SnapinMenu::RunAction(UINT commandId) const {
    const Item* item = Find(commandId);
    if (!item) return false;
    // The callback may run a modal loop; hold it in a local, not in the table.
    const SnapinMenuAction action = item->registration.action;
    action();
    return true;
}

const char* SnapinMenu::HintOf(UINT commandId) const {
    const Item* item = Find(commandId);
    return item ? item->registration.hint : nullptr;
}

UINT SnapinMenu::CommandOf(const std::string& text) const {
    for (const Item& item : m_items)
        if (text == item.registration.text) return item.commandId;
    return 0;
}

const SnapinMenu::Item* SnapinMenu::Find(UINT commandId) const {
    for (const Item& item : m_items)
        if (item.commandId == commandId) return &item;
    return nullptr;
}
