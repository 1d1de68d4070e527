// Every kind of list and policy value read at the readers' limits, canary bytes after every array
// the process allocates: a read or write past a buffer changes them, or makes a text too long.
#include "registry/SnapinPolicy.h"
#include "registry/SnapinRegistry.h"
#include "tests/faults/FaultInjector.h"
#include "tests/support/Scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>

namespace {
constexpr size_t kHeader = 16, kCanary = 16;
constexpr char kCanaryBytes[kCanary + 1] = "ZZZZZZZZZZZZZZZZ";
int g_damaged = 0;  // arrays whose canary changed

void* Guarded(size_t size) {
    char* block = static_cast<char*>(std::malloc(kHeader + size + kCanary));
    if (!block) return nullptr;
    std::memcpy(block, &size, sizeof size);
    std::memcpy(block + kHeader + size, kCanaryBytes, kCanary);
    return block + kHeader;
}

// Name, type and exact bytes, at each limit of the readers.
const std::map<std::string, std::pair<DWORD, std::string>> kValues = {
    {std::string(255, 'N'), {REG_SZ, std::string("a.dll", 6)}}, {std::string(256, 'M'), {REG_SZ, std::string("b.dll", 6)}},
    {"EMPTY", {REG_SZ, ""}}, {"ONE", {REG_SZ, "c"}}, {"D259", {REG_SZ, std::string(258, 'x') + '\0'}},
    {"D260", {REG_SZ, std::string(260, 'x')}}, {"BIG", {REG_SZ, std::string(2 << 20, 'x')}},
    {"EXPAND", {REG_EXPAND_SZ, std::string("e.dll", 6)}}, {"SHORT", {REG_DWORD, std::string("\1\0\0", 3)}}};

void PutAll(HKEY root, const std::string& path) {
    CRegistryKey key;
    ASSERT_EQ(key.Create(root, path.c_str()), 0);
    for (const auto& [name, value] : kValues) {  // a byte after the data that is not NUL: stored exactly
        const std::string guarded = value.second + '\x01';
        ASSERT_EQ(key.SetValue(name.c_str(), value.first, guarded.data(), DWORD(value.second.size())), 0) << name;
    }
}
}  // namespace

void* operator new[](size_t size) { return Guarded(size) ?: throw std::bad_alloc(); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Guarded(size); }
void operator delete[](void* p) noexcept {
    char* block = static_cast<char*>(p) - kHeader;
    if (!p) return;
    const size_t size = *reinterpret_cast<const size_t*>(block);
    if (std::memcmp(block + kHeader + size, kCanaryBytes, kCanary) != 0) ++g_damaged;  // allocates nothing
    std::free(block);
}
void operator delete[](void* p, size_t) noexcept { operator delete[](p); }

TEST(Canaries, EveryReaderAtItsLimitsStaysInsideItsBuffers) {
    ScratchHkcu user;
    ScratchHklm machine;
    CSnapinRegistry registry(ListFamily::WindowsNT);
    const char* list = ListKey(kEnabledObjectCategory);
    PutAll(HKEY_CURRENT_USER, std::string(list) + " WINNT");
    PutAll(HKEY_LOCAL_MACHINE, std::string(kPolicyKey) + "\\Blocked");
    CRegistryKey policy;  // a DWORD of 3 bytes
    ASSERT_TRUE(policy.Create(HKEY_LOCAL_MACHINE, kPolicyKey) == 0 && policy.SetValue("NewSnapins", REG_DWORD, "\1\0\0", 3) == 0);

    std::vector<ListValue> values;
    ASSERT_EQ(registry.ReadListValues(list, values), 0);
    std::map<std::string, std::pair<DWORD, std::string>> read;
    for (const ListValue& value : values) read[value.name.str()] = {value.type, std::string(value.bytes.begin(), value.bytes.end())};
    EXPECT_TRUE(read == kValues);
    CStringList names, data;
    EXPECT_EQ(registry.EnumEntries(list, names, &data), ERROR_MORE_DATA);  // the 256-character name
    EXPECT_EQ(names.GetCount(), 8);
    CString text, found;
    for (const auto& [name, length] : std::map<std::string, int>{{"EMPTY", 0}, {"ONE", 1}, {"D259", 258}, {"D260", 260}})
        EXPECT_TRUE(registry.ReadEntry(list, name.c_str(), text) == 0 && text.GetLength() == length) << name << text.GetLength();
    EXPECT_EQ(registry.ReadEntry(list, "BIG", text), ERROR_MORE_DATA);
    ASSERT_EQ(registry.FindEntryByValue(list, std::string(260, 'x').c_str(), found), 0);
    EXPECT_STREQ(found, "D260");

    CSnapinPolicy rules;
    ASSERT_EQ(rules.Read(), 0);
    EXPECT_EQ(rules.Setting(kBlockedSetting).names.GetSize(), 4);  // A.DLL, B.DLL, C, E.DLL
    EXPECT_EQ(rules.Setting(kBlockedSetting).ignored.GetSize(), 5);  // empty, three too long, a DWORD
    ASSERT_EQ(rules.Setting(kNewSnapinsSetting).ignored.GetSize(), 1);
    EXPECT_EQ(rules.Setting(kNewSnapinsSetting).ignored[0].why, IgnoredWhy::NotDword);
    EXPECT_EQ(g_damaged, 0);

    // Again with each call the fault sweep fails failing in turn, the k-th of each function once.
    std::vector<std::string> notImported;
    std::string error, d260(260, 'x');
    ASSERT_TRUE(faults::Install(GetModuleHandleA(nullptr), notImported, error)) << error;
    for (int call = 0; call < faults::CallCount(); ++call)
        for (unsigned long k = 1, injected = 1; injected; ++k) {
            std::vector<ListValue> faulted;
            CStringList entries, loaded;
            faults::Begin(call, k);
            try { registry.ReadListValues(list, faulted); } catch (const std::bad_alloc&) {}  // snapinctl's reader throws
            registry.EnumEntries(list, entries, &loaded);
            for (const char* name : {"EMPTY", "ONE", "D259", "D260", "BIG"}) registry.ReadEntry(list, name, text);
            registry.FindEntryByValue(list, d260.c_str(), found);
            CSnapinPolicy().Read();
            injected = faults::End();
            ASSERT_EQ(g_damaged, 0) << faults::CallName(call) << " call " << k;
        }
}
