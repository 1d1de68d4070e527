#pragma once
// CStringList and CPtrList: ordered lists that grow at their tail.
#include "framework/Array.h"
#include "framework/String.h"

template <typename T>
class CTailList {
public:
    // False, and the list as it was, when there is no memory for the item.
    bool AddTail(T item) { return m_items.Add(std::move(item)); }
    void RemoveAll() { m_items.RemoveAll(); }
    int GetCount() const { return m_items.GetSize(); }
    bool IsEmpty() const { return m_items.IsEmpty(); }
    const T* begin() const { return m_items.begin(); }
    const T* end() const { return m_items.end(); }

private:
    CArray<T> m_items;
};

class CStringList : public CTailList<CString> {};
class CPtrList : public CTailList<void*> {};
