#include "host/ConsoleSnapins.h"

#include "registry/RegistryKey.h"

namespace {
const char kObjectList[] = "Software\\Velmark\\Parameters\\Velmark Administrator\\Snapin Object DLLs";
const char kViewList[] = "Software\\Velmark\\Parameters\\Velmark Administrator\\Snapin View DLLs";

bool IsAbsolutePath(const std::string& path) {
    return (path.size() > 1 && path[1] == ':') || (!path.empty() && path[0] == '\\');
}

// The text of a REG_SZ or REG_MULTI_SZ value up to its first NUL; other types give "".
std::string TextOf(DWORD type, const char* data, DWORD size) {
    if (type != REG_SZ && type != REG_MULTI_SZ) return "";
    return std::string(data, size).c_str();
}
}  // namespace

std::string PlatformSuffix() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    const bool isNt = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    return isNt ? " WINNT" : " WIN95";
}

std::vector<ListEntry> ReadEnabledList(const std::string& keyText) {
    std::vector<ListEntry> entries;
    CRegistryKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (keyText + PlatformSuffix()).c_str(), 0, KEY_READ, &key.Receive()) != 0)
        return entries;
    for (DWORD index = 0;; ++index) {
        char name[256];
        char data[MAX_PATH + 1];
        DWORD nameSize = sizeof name, dataSize = MAX_PATH, type = 0;
        const LONG result =
            RegEnumValueA(key, index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_MORE_DATA) continue;  // a name or path too long for any module: not a snap-in
        if (result != 0) break;
        entries.push_back({std::string(name, nameSize), TextOf(type, data, dataSize)});
    }
    return entries;
}

std::string HostDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string text(path, length < MAX_PATH ? length : 0);
    return text.substr(0, text.find_last_of('\\') + 1);
}

// Both lists are read before any snap-in starts: what a snap-in writes to them
// during its start counts from the next start of the console on.
void ConsoleSnapins::StartAll() {
    std::vector<ListEntry> entries = ReadEnabledList(kObjectList);
    for (ListEntry& entry : ReadEnabledList(kViewList)) entries.push_back(std::move(entry));
    for (const ListEntry& entry : entries) Start(entry);
    m_log.Line("started " + std::to_string(m_running.size()) + " snap-in(s)");
}

void ConsoleSnapins::Start(const ListEntry& entry) {
    if (entry.data.empty()) {
        m_log.Line("entry " + entry.name + " names no file; not loaded");
        return;
    }
    const std::string& label = entry.data;
    const std::string path = IsAbsolutePath(label) ? label : HostDirectory() + label;
    const int firstItem = AdmGetMenuItemCount();
    UniqueModule module(LoadLibraryA(path.c_str()));
    if (!module) {
        m_log.Line("cannot load " + label + " (error " + std::to_string(GetLastError()) + ")");
        return;
    }
    if (IsRunning(module.Get())) {
        m_log.Line(label + " is already running; started once only");
        return;
    }
    using InitSnapinFunction = int(__cdecl*)();
    const auto initSnapin = reinterpret_cast<InitSnapinFunction>(GetProcAddress(module.Get(), "InitSnapin"));
    if (!initSnapin) {
        m_log.Line(label + " has no InitSnapin; unloaded");
        return;
    }
    const int result = initSnapin();
    if (result == -1) {
        m_log.Line("InitSnapin of " + label + " returned -1; unloaded");
        return;
    }
    m_log.Line("loaded " + label + " (InitSnapin returned " + std::to_string(result) + ")");
    for (const std::string& text : m_menu.AdoptRegisteredSince(firstItem, module.Get()))
        m_log.Line("menu item \"" + text + "\" of " + label + " added");
    m_running.push_back({label, std::move(module)});
}

void ConsoleSnapins::StopAll() {
    while (!m_running.empty()) {
        Stop(m_running.back());
        m_running.pop_back();
    }
}

void ConsoleSnapins::Stop(Running& snapin) {
    DropMenuItems(snapin.label, snapin.module.Get());
    using ShutDownFunction = void(__cdecl*)();
    if (const auto shutDown = reinterpret_cast<ShutDownFunction>(GetProcAddress(snapin.module.Get(), "ShutDown"))) {
        m_log.Line("ShutDown " + snapin.label);
        shutDown();
    }
    snapin.module.Reset();
    m_log.Line("unloaded " + snapin.label);
}

bool ConsoleSnapins::IsRunning(HMODULE module) const {
    for (const Running& snapin : m_running)
        if (snapin.module.Get() == module) return true;
    return false;
}

void ConsoleSnapins::DropMenuItems(const std::string& label, HMODULE module) {
    for (const std::string& text : m_menu.DropItemsOf(module))
        m_log.Line("menu item \"" + text + "\" of " + label + " removed");
}
