#include "framework/MessageMap.h"

namespace {
const AFX_MSGMAP_ENTRY kNoEntries[] = {{0, nullptr}};
}

const AFX_MSGMAP CCmdTarget::messageMap = {nullptr, kNoEntries};

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return &CCmdTarget::messageMap; }

bool CCmdTarget::OnCmdMsg(UINT id) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pBaseMap) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfn; ++entry) {
            if (entry->nID == id) {
                (this->*entry->pfn)();
                return true;
            }
        }
    }
    return false;
}
