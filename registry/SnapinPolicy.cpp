#include "registry/SnapinPolicy.h"

#include "registry/ListValueLimits.h"
#include "registry/RegistryKey.h"
#include "registry/SnapinLists.h"
#include "registry/SnapinRegistry.h"
#include "registry/TextCase.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

const char kPolicyKey[] = "Software\\Policies\\Velmark\\Velmark Administrator\\Snapins";

const PolicySettingFacts kPolicySettings[kPolicySettingCount] = {
    {kBlockedSetting, "Blocked", SettingKind::NameList, 0},
    {kAllowedSetting, "Allowed", SettingKind::NameList, 0},
    {kRequiredSetting, "Required", SettingKind::NameList, 0},
    {kNewSnapinsSetting, "NewSnapins", SettingKind::Dword, static_cast<DWORD>(NewSnapinsRule::Disable)},
};

namespace {
// Doublings of a buffer for a value that grew while the key was read.
constexpr int kMostRegrowths = 8;

// A heap block for the names and data of one key's values.
struct ValueBuffers {
    std::unique_ptr<char[]> name;
    std::unique_ptr<char[]> data;
    DWORD nameChars = 0;
    DWORD dataBytes = 0;  // one spare byte beyond it holds a terminator

    bool Allocate(DWORD chars, DWORD bytes) {
        name.reset(new (std::nothrow) char[chars]);
        data.reset(new (std::nothrow) char[bytes + 1]);
        nameChars = chars;
        dataBytes = bytes;
        return name && data;
    }
};

// Why a trimmed text cannot be a file name; false when it can. The trail
// bytes of double-byte characters are never taken for a reserved character.
bool FindReserved(const char* text, int length, IgnoredWhy& why) {
    for (int i = 0; i < length; ++i) {
        const BYTE c = static_cast<BYTE>(text[i]);
        if (IsDBCSLeadByte(c) && i + 1 < length) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/' || c == ':')
            why = IgnoredWhy::Path;
        else if (c == '*' || c == '?')
            why = IgnoredWhy::Wildcard;
        else if (c < ' ' || c == '"' || c == '<' || c == '>' || c == '|')
            why = IgnoredWhy::NotFileName;
        else
            continue;
        return true;
    }
    return false;
}

// Whether one trimmed text of a name list names a snap-in, or the reason it does not.
bool ClassifyListValue(DWORD type, const char* text, int length, IgnoredWhy& why) {
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        why = IgnoredWhy::NotText;
    else if (length == 0)
        why = IgnoredWhy::Empty;
    else if (length > kLongestValueName)
        why = IgnoredWhy::TooLong;
    else
        return !FindReserved(text, length, why);
    return false;
}

int AddIgnored(PolicyList& list, const char* valueName, DWORD nameLength, IgnoredWhy why,
               const CString& dropped = CString()) {
    IgnoredPolicyValue ignored{CString(valueName, static_cast<int>(nameLength)), why, dropped};
    return !ignored.valueName.Failed() && !ignored.dropped.Failed() && list.ignored.Add(std::move(ignored))
               ? 0
               : kFailedAllocation;
}

// `text` ends at its terminator: a copy made first could fail unseen, since
// UpperCaseName takes a failed copy for an empty name.
int AddName(PolicyList& list, const char* text, const char* valueName, DWORD nameLength) {
    CString upper = UpperCaseName(text);
    if (upper.Failed()) return kFailedAllocation;
    if (upper == kCanonicalFileName) return AddIgnored(list, valueName, nameLength, IgnoredWhy::OwnModule);
    return list.names.Add(std::move(upper)) ? 0 : kFailedAllocation;
}

// A text value holding more after its first NUL than NULs is reported with
// what follows, which no reader of a REG_SZ sees.
int ReportTextAfterNul(PolicyList& list, const ValueBuffers& buffers, DWORD nameLength, int length, DWORD stored) {
    DWORD end = stored;
    while (end > static_cast<DWORD>(length) && buffers.data[end - 1] == '\0') --end;
    if (end <= static_cast<DWORD>(length) + 1) return 0;
    const CString dropped(buffers.data.get() + length + 1, static_cast<int>(end - length - 1));
    return AddIgnored(list, buffers.name.get(), nameLength, IgnoredWhy::TextAfterNul, dropped);
}

// Names are read as Windows reads file names: leading and trailing spaces
// and trailing dots do not count.
int TakeListValue(PolicyList& list, bool blockList, ValueBuffers& buffers, DWORD nameLength, DWORD type,
                  DWORD size) {
    const DWORD stored = std::min(size, buffers.dataBytes);
    buffers.data[stored] = '\0';
    char* text = buffers.data.get();
    int length = lstrlenA(text);
    const bool isText = type == REG_SZ || type == REG_EXPAND_SZ;
    if (isText) {
        const int result = ReportTextAfterNul(list, buffers, nameLength, length, stored);
        if (result) return result;
    }
    for (; *text == ' '; ++text) --length;
    length = TrimmedNameLength(text, length);
    text[length] = '\0';
    if (blockList && isText && length == 1 && text[0] == '*') {
        list.everything = true;
        return 0;
    }
    IgnoredWhy why;
    if (ClassifyListValue(type, text, length, why)) return AddName(list, text, buffers.name.get(), nameLength);
    return AddIgnored(list, buffers.name.get(), nameLength, why);
}

// Sorts the names and drops repeats, so that Names can search them. A heap
// sort takes the least code of the library's sorts, in a module whose size
// is counted, and stays n log n for the longest lists.
void SortNames(PolicyList& list) {
    CArray<CString>& names = list.names;
    const auto before = [](const CString& a, const CString& b) { return CompareNames(a, b) < 0; };
    std::make_heap(names.begin(), names.end(), before);
    std::sort_heap(names.begin(), names.end(), before);
    CString* last = std::unique(names.begin(), names.end(),
                                [](const CString& a, const CString& b) { return CompareNames(a, b) == 0; });
    while (names.end() != last) names.RemoveAt(names.GetSize() - 1);
}

// Every value of a name list, with buffers sized from the key's own figures.
int ReadNameList(HKEY key, bool blockList, PolicyList& list) {
    DWORD longestName = 0, largestData = 0;
    int result = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                                  &largestData, nullptr, nullptr);
    if (result) return result;
    // Double-byte names may take two bytes for each character counted.
    ValueBuffers buffers;
    if (!buffers.Allocate(2 * longestName + 2, largestData + 2)) return kFailedAllocation;
    int regrowths = 0;
    for (DWORD index = 0;;) {
        DWORD nameLength = buffers.nameChars, type = REG_NONE, size = buffers.dataBytes;
        result = RegEnumValueA(key, index, buffers.name.get(), &nameLength, nullptr, &type,
                               reinterpret_cast<BYTE*>(buffers.data.get()), &size);
        if (result == ERROR_MORE_DATA && regrowths++ < kMostRegrowths) {
            if (!buffers.Allocate(2 * buffers.nameChars, 2 * buffers.dataBytes)) return kFailedAllocation;
            continue;
        }
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result) return result;
        result = TakeListValue(list, blockList, buffers, nameLength, type, size);
        if (result) return result;
        ++index;
    }
    SortNames(list);
    return 0;
}

// A policy key under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER, opened on first use.
class PolicyRoot {
public:
    PolicyRoot(HKEY predefined, PolicySource source) : m_predefined(predefined), m_source(source) {}

    // 0 when the key is open or does not exist; otherwise the code.
    int Open() {
        if (m_tried) return m_result;
        m_tried = true;
        m_result = RegOpenKeyExA(m_predefined, kPolicyKey, 0, KEY_READ, &m_key.Receive());
        if (m_result == ERROR_FILE_NOT_FOUND) m_result = 0;
        return m_result;
    }
    HKEY Key() const { return m_key; }
    PolicySource Source() const { return m_source; }

private:
    HKEY m_predefined;
    PolicySource m_source;
    CRegistryKey m_key;
    bool m_tried = false;
    int m_result = 0;
};

// A list whose key is missing: 0 when nothing else bears its name, and
// ERROR_BADKEY when a value does, which cannot be read as the list.
int CheckMissingList(HKEY root, const char* name) {
    const int result = RegQueryValueExA(root, name, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_FILE_NOT_FOUND) return 0;
    return result == 0 ? ERROR_BADKEY : result;
}

int ReadList(HKEY root, PolicySetting setting, PolicyList& list, bool& has) {
    CRegistryKey key;
    const char* name = kPolicySettings[setting].name;
    const int result = RegOpenKeyExA(root, name, 0, KEY_READ, &key.Receive());
    if (result == ERROR_FILE_NOT_FOUND) return CheckMissingList(root, name);
    if (result) return result;
    has = true;
    return ReadNameList(key, setting == kBlockedSetting, list);
}

int ReadNewSnapins(HKEY root, PolicyList& setting, NewSnapinsRule& rule, bool& has) {
    const char* name = kPolicySettings[kNewSnapinsSetting].name;
    DWORD type = REG_NONE, value = 0, size = sizeof value;
    const int result = RegQueryValueExA(root, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (result == ERROR_FILE_NOT_FOUND) return 0;
    if (result != 0 && result != ERROR_MORE_DATA) return result;
    has = true;
    if (result == ERROR_MORE_DATA || type != REG_DWORD || size != sizeof value)
        return AddIgnored(setting, name, static_cast<DWORD>(lstrlenA(name)), IgnoredWhy::NotDword);
    if (value > kPolicySettings[kNewSnapinsSetting].largest)
        return AddIgnored(setting, name, static_cast<DWORD>(lstrlenA(name)), IgnoredWhy::OutOfRange);
    rule = static_cast<NewSnapinsRule>(value);
    return 0;
}
}  // namespace

PolicyStanding StandingAgainst(ListCategory list) {
    return kSnapinLists[list].enabled ? PolicyStanding::Blocked : PolicyStanding::Required;
}

const char* PolicySettingName(PolicySetting setting) { return kPolicySettings[setting].name; }

bool PolicyList::Names(const CString& upperName) const {
    const CString* found = std::lower_bound(names.begin(), names.end(), upperName,
                                            [](const CString& a, const CString& b) { return CompareNames(a, b) < 0; });
    return found != names.end() && CompareNames(*found, upperName) == 0;
}

void CSnapinPolicy::Clear() {
    for (PolicyList& setting : m_settings) {
        setting.source = PolicySource::None;
        setting.names.RemoveAll();
        setting.everything = false;
        setting.ignored.RemoveAll();
    }
    m_newSnapins = NewSnapinsRule::Ask;
    m_readable = true;
    m_unreadSource = PolicySource::None;
    m_unreadSetting = -1;
}

int CSnapinPolicy::Read() {
    Clear();
    PolicyRoot roots[] = {{HKEY_LOCAL_MACHINE, PolicySource::Machine}, {HKEY_CURRENT_USER, PolicySource::User}};
    for (int index = 0; index < kPolicySettingCount; ++index) {
        const PolicySetting setting = static_cast<PolicySetting>(index);
        PolicyList& list = m_settings[setting];
        // The user's policy is read only for a setting the machine's lacks.
        for (PolicyRoot& root : roots) {
            int result = root.Open();
            const int failedSetting = result ? -1 : index;
            bool has = false;
            if (result == 0 && root.Key())
                result = kPolicySettings[setting].kind == SettingKind::Dword
                             ? ReadNewSnapins(root.Key(), list, m_newSnapins, has)
                             : ReadList(root.Key(), setting, list, has);
            if (result) {
                Clear();
                m_readable = false;
                m_unreadSource = root.Source();
                m_unreadSetting = failedSetting;
                return result;
            }
            if (has) {
                list.source = root.Source();
                break;
            }
        }
    }
    return 0;
}

bool CSnapinPolicy::IsSet() const {
    for (const PolicyList& setting : m_settings)
        if (setting.source != PolicySource::None) return true;
    return false;
}

PolicyStanding CSnapinPolicy::StandingOf(const CString& upperName) const {
    if (upperName == kCanonicalFileName) return PolicyStanding::Free;
    if (m_settings[kRequiredSetting].Names(upperName)) return PolicyStanding::Required;
    const PolicyList& blocked = m_settings[kBlockedSetting];
    if (blocked.Names(upperName) || (blocked.everything && !m_settings[kAllowedSetting].Names(upperName)))
        return PolicyStanding::Blocked;
    return PolicyStanding::Free;
}

PolicyStanding CSnapinPolicy::StandingOfEntry(const CString& upperName, const CString& upperFile) const {
    if (upperName == kCanonicalFileName) return PolicyStanding::Free;
    const PolicyStanding file = upperFile.IsEmpty() ? PolicyStanding::Free : StandingOf(upperFile);
    return StandingOf(upperName) == PolicyStanding::Blocked ? PolicyStanding::Blocked : file;
}
