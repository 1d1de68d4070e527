#pragma once
// Message maps: a static table per class from command id to member handler,
// chained to the base class's table.
#include <windows.h>

class CCmdTarget;
using AFX_PMSG = void (CCmdTarget::*)();

struct AFX_MSGMAP_ENTRY {
    UINT nID;
    AFX_PMSG pfn;  // null ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* lpEntries;
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Runs the handler of command `id` from the most derived table that has
    // one; false when no table does.
    bool OnCmdMsg(UINT id);

protected:
    static const AFX_MSGMAP messageMap;
};

#define DECLARE_MESSAGE_MAP()                              \
protected:                                                 \
    static const AFX_MSGMAP messageMap;                    \
    static const AFX_MSGMAP_ENTRY messageEntries[];        \
                                                           \
public:                                                    \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                           \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return &theClass::messageMap; } \
    const AFX_MSGMAP theClass::messageMap = {&baseClass::messageMap, &theClass::messageEntries[0]}; \
    const AFX_MSGMAP_ENTRY theClass::messageEntries[] = {
#define ON_COMMAND_OF(theClass, id, memberFxn) {id, static_cast<AFX_PMSG>(&theClass::memberFxn)},
#define END_MESSAGE_MAP() {0, nullptr}};
