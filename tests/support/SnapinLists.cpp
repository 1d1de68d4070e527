#include "tests/support/SnapinLists.h"

#include "registry/RegistryKey.h"

const char* const kObjectOn = "Software\\Velmark\\Parameters\\Velmark Administrator\\Snapin Object DLLs WINNT";
const char* const kObjectOff =
    "Software\\Velmark\\Parameters\\Velmark Administrator\\Disabled Snapin Object DLLs WINNT";
const char* const kViewOn = "Software\\Velmark\\Parameters\\Velmark Administrator\\Snapin View DLLs WINNT";
const char* const kViewOff = "Software\\Velmark\\Parameters\\Velmark Administrator\\Disabled Snapin View DLLs WINNT";

std::map<std::string, std::string> ReadList(const char* list) {
    std::map<std::string, std::string> entries;
    CRegistryKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, list, 0, KEY_READ, &key.Receive()) != 0) return entries;
    for (DWORD index = 0;; ++index) {
        char name[1024];
        BYTE data[4096];
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) != 0) break;
        data[dataSize] = 0;
        entries[std::string(name, nameSize)] = reinterpret_cast<char*>(data);
    }
    return entries;
}

void PutEntry(const char* list, const std::string& name, const std::string& data) {
    CRegistryKey key;
    RegCreateKeyExA(HKEY_CURRENT_USER, list, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.Receive(), nullptr);
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
}

bool ListKeyExists(const char* list) {
    CRegistryKey key;
    return RegOpenKeyExA(HKEY_CURRENT_USER, list, 0, KEY_READ, &key.Receive()) == 0;
}

void PutMachinePolicy(const char* setting, const std::string& name, const std::string& text, DWORD number) {
    const std::string path =
        std::string("Software\\Policies\\Velmark\\Velmark Administrator\\Snapins") + (*setting ? "\\" : "") + setting;
    CRegistryKey key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.Receive(), nullptr);
    if (text.empty()) RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    else RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
}

void ForgetMachinePolicy() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Policies"); }
