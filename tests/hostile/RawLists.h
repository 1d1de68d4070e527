#pragma once
// Byte-exact snapshots of the snap-in lists, read and written with the raw
// registry API (type and size included), for checking that nothing the
// module does alters a value it was not asked to change.
#include <windows.h>

#include <map>
#include <ostream>
#include <string>

struct RawValue {
    DWORD type = REG_NONE;
    std::string bytes;  // exactly the stored data, terminators included

    bool operator==(const RawValue& other) const { return type == other.type && bytes == other.bytes; }
};
using RawList = std::map<std::string, RawValue>;
// Readable failure messages: the type and the data, bytes above 126 in hex.
void PrintTo(const RawValue& value, std::ostream* out);

// Every value of a list key, names in their stored case; empty if no key.
RawList ReadRawList(const char* list);
void PutRaw(const char* list, const std::string& name, DWORD type, const std::string& bytes);
RawValue SzValue(const std::string& text);  // REG_SZ with its terminator
bool SubkeyExists(const char* list, const char* subkey);

// The hostile values planted in a list (see RawLists.cpp), keyed by name.
RawList HostileValues();
void PlantHostileValues(const char* list);
// A subkey named like a value, created with each planted set.
extern const char kSubkeyLikeValue[];

// The names of the planted values of 255 and 256 characters.
std::string NameOfLength(size_t length);

// The rows that a dialog script read ("row=TEXT|CHECK"), one per line.
std::string Rows(const std::string& output);
bool Has(const std::string& output, const std::string& text);
