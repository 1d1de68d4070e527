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

namespace {
void PutPolicyValue(HKEY root, const char* setting, const std::string& name, DWORD type, const void* data, DWORD size) {
    const std::string path =
        std::string("Software\\Policies\\Velmark\\Velmark Administrator\\Snapins") + (*setting ? "\\" : "") + setting;
    CRegistryKey key;
    RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.Receive(), nullptr);
    if (data) RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}
}  // namespace

void PutPolicyText(HKEY root, const char* setting, const std::string& name, const std::string& text, DWORD type) {
    PutPolicyValue(root, setting, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void PutPolicyDword(HKEY root, const char* setting, const std::string& name, DWORD value) {
    PutPolicyValue(root, setting, name, REG_DWORD, &value, sizeof value);
}

void CreatePolicyList(HKEY root, const char* setting) { PutPolicyValue(root, setting, "", REG_NONE, nullptr, 0); }

void PutMachinePolicy(const char* setting, const std::string& name, const std::string& text, DWORD number) {
    if (text.empty()) PutPolicyDword(HKEY_LOCAL_MACHINE, setting, name, number);
    else PutPolicyText(HKEY_LOCAL_MACHINE, setting, name, text);
}

void ForgetMachinePolicy() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Policies"); }

