#pragma once
// CStringList and CPtrList: ordered lists that grow at their tail.
#include "framework/String.h"
#include <list>

template <typename T>
class CTailList {
public:
    void AddTail(const T& item) { m_items.push_back(item); }
    void RemoveAll() { m_items.clear(); }
    int GetCount() const { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    typename std::list<T>::const_iterator begin() const { return m_items.begin(); }
    typename std::list<T>::const_iterator end() const { return m_items.end(); }

private:
    std::list<T> m_items;
};

class CStringList : public CTailList<CString> {};
class CPtrList : public CTailList<void*> {};
