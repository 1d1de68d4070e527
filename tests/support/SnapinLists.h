#pragma once
// Direct access to the four snap-in lists of the (redirected) current user,
// written with the raw registry API so that tests do not check the module
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
