#pragma once
// Direct access to the four snap-in lists of the (redirected) current user
// and to the (redirected) machine policy, written with the raw registry API so that tests do not check the module
// with its own code.
#include <windows.h>

#include <map>
#include <string>

extern const char* const kObjectOn;
extern const char* const kObjectOff;
extern const char* const kViewOn;
extern const char* const kViewOff;

// Value name -> data of a list; missing key gives an empty map.
std::map<std::string, std::string> ReadList(const char* list);
void PutEntry(const char* list, const std::string& name, const std::string& data);
bool ListKeyExists(const char* list);

// A value of the policy under `root` (HKEY_LOCAL_MACHINE or
// HKEY_CURRENT_USER): in the list `setting` ("Blocked", "Allowed",
// "Required"), or with setting "" of the policy key itself.
void PutPolicyText(HKEY root, const char* setting, const std::string& name, const std::string& text,
                   DWORD type = REG_SZ);
void PutPolicyDword(HKEY root, const char* setting, const std::string& name, DWORD value);
// A list's key, empty.
void CreatePolicyList(HKEY root, const char* setting);
// The machine's: a REG_SZ, or a REG_DWORD when `text` is empty.
void PutMachinePolicy(const char* setting, const std::string& name, const std::string& text, DWORD number = 0);
void ForgetMachinePolicy();
