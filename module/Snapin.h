#pragma once
// CSnapin: the module's one snap-in object, reachable through a module-wide
// singleton reference; CSnapinApp: its abstract application flavour.
#include "framework/String.h"
#include <windows.h>

#include <memory>

class CSnapin {
public:
    explicit CSnapin(const char* name);
    virtual ~CSnapin();
    CSnapin(const CSnapin&) = delete;
    CSnapin& operator=(const CSnapin&) = delete;

    virtual int OnInit() = 0;
    virtual void OnShutDown() = 0;
    virtual HINSTANCE GetInstanceHandle();

    void SetInstanceHandle(HINSTANCE instance) { m_instance = instance; }
    static CSnapin* GetSnapin() { return s_singleton; }

private:
    HINSTANCE m_instance = nullptr;
    std::unique_ptr<char[]> m_name;

    static CSnapin* s_singleton;
    static HINSTANCE s_defaultInstance;  // nothing assigns it: stays null
};

class CSnapinApp : public CSnapin {
public:
    explicit CSnapinApp(CString name) : CSnapin(name.GetString()) {}

    int OnInit() override = 0;
    void OnShutDown() override = 0;
    HINSTANCE GetInstanceHandle() override = 0;
};

// A private heap copy of a text; null when there is no memory for it.
std::unique_ptr<char[]> CopyText(const char* text);
