#pragma once
// The snap-in modules of the console: read from the enabled object list and
// the enabled view list, loaded from the host directory, started with
// InitSnapin, and at the end stopped with ShutDown and unloaded in reverse order.
#include "files/Win32Handle.h"
#include "host/ConsoleLog.h"
#include "host/ConsoleMenu.h"

#include <windows.h>

#include <string>
#include <vector>

struct ModuleHandleTraits {
    using Value = HMODULE;
    static Value Invalid() { return nullptr; }
    static void Close(Value module) { FreeLibrary(module); }
};
using UniqueModule = UniqueWin32<ModuleHandleTraits>;

// One value of a snap-in list: the module's file name and its path
// relative to the host directory.
struct ListEntry {
    std::string name;
    std::string data;
};

// " WINNT" on the Windows NT platform, " WIN95" on any other.
std::string PlatformSuffix();
// The entries of a list in enumeration order; a missing list gives none.
std::vector<ListEntry> ReadEnabledList(const std::string& keyText);
// The directory of the running program, with a trailing backslash.
std::string HostDirectory();

class ConsoleSnapins {
public:
    ConsoleSnapins(ConsoleLog& log, SnapinMenu& menu) : m_log(log), m_menu(menu) {}
    ~ConsoleSnapins() { StopAll(); }
    ConsoleSnapins(const ConsoleSnapins&) = delete;
    ConsoleSnapins& operator=(const ConsoleSnapins&) = delete;

    // Loads and starts every enabled snap-in, object list first.
    void StartAll();
    // ShutDown and unload, last loaded first.
    void StopAll();
    size_t RunningCount() const { return m_running.size(); }

private:
    struct Running {
        std::string label;  // the entry's path, for the log
        UniqueModule module;
    };
    void Start(const ListEntry& entry);
    bool IsRunning(HMODULE module) const;
    void Stop(Running& snapin);
    void DropMenuItems(const std::string& label, HMODULE module);

    ConsoleLog& m_log;
    SnapinMenu& m_menu;
    std::vector<Running> m_running;
};
