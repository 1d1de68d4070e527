#include "module/Snapin.h"

#include <new>

CSnapin* CSnapin::s_singleton = nullptr;
HINSTANCE CSnapin::s_defaultInstance = nullptr;

std::unique_ptr<char[]> CopyText(const char* text) {
    std::unique_ptr<char[]> copy(new (std::nothrow) char[lstrlenA(text) + 1]);
    if (copy) lstrcpyA(copy.get(), text);
    return copy;
}

CSnapin::CSnapin(const char* name) {
    if (s_singleton) return;
    s_singleton = this;
    m_instance = s_defaultInstance;
    m_name = CopyText(name);
}

// Only the singleton clears the singleton reference: a second object that
// never became it must leave the first reachable.
CSnapin::~CSnapin() {
    m_name.reset();
    if (s_singleton == this) s_singleton = nullptr;
    m_instance = nullptr;
}

HINSTANCE CSnapin::GetInstanceHandle() {
    if (!m_instance) m_instance = s_defaultInstance;
    return m_instance;
}
