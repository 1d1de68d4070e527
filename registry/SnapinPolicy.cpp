#include "registry/SnapinPolicy.h"

#include "registry/ListValueLimits.h"
#include "registry/RegistryKey.h"
#include "registry/SnapinLists.h"
#include "registry/SnapinRegistry.h"
#include "registry/TextCase.h"

#include <algorithm>
#include <utility>

const char kPolicyKey[] = "Software\\Policies\\Velmark\\Velmark Administrator\\Snapins";

const PolicySettingFacts kPolicySettings[kPolicySettingCount] = {
    {kBlockedSetting, "Blocked", SettingKind::NameList, 0, 0},
    {kAllowedSetting, "Allowed", SettingKind::NameList, 0, 0},
    {kRequiredSetting, "Required", SettingKind::NameList, 0, 0},
    {kNewSnapinsSetting, "NewSnapins", SettingKind::Dword, static_cast<DWORD>(NewSnapinsRule::Disable),
     static_cast<DWORD>(NewSnapinsRule::Ask)},
    // It guards what runs: a value it cannot read counts as on.
    {kRequireTrustedPublisherSetting, "RequireTrustedPublisher", SettingKind::Dword, 1, 1},
};

namespace {

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
int ReportTextAfterNul(PolicyList& list, const CValueReader& value, int length) {
    DWORD end = value.Size();
    while (end > static_cast<DWORD>(length) && value.Data()[end - 1] == '\0') --end;
    if (end <= static_cast<DWORD>(length) + 1) return 0;
    const CString dropped(value.Data() + length + 1, static_cast<int>(end - length - 1));
    return AddIgnored(list, value.Name(), value.NameLength(), IgnoredWhy::TextAfterNul, dropped);
}

// Names are read as Windows reads file names: leading and trailing spaces
// and trailing dots do not count.
int TakeListValue(PolicyList& list, bool blockList, const CValueReader& value) {
    char* text = value.Data();
    int length = lstrlenA(text);
    const DWORD type = value.Type();
    const bool isText = type == REG_SZ || type == REG_EXPAND_SZ;
    if (isText) {
        const int result = ReportTextAfterNul(list, value, length);
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
    if (ClassifyListValue(type, text, length, why)) return AddName(list, text, value.Name(), value.NameLength());
    return AddIgnored(list, value.Name(), value.NameLength(), why);
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

// Every value of a name list.
int ReadNameList(const CRegistryKey& key, bool blockList, PolicyList& list) {
    CValueReader value(key);
    int result = 0;
    for (DWORD index = 0; (result = value.Read(index)) == 0; ++index)
        if ((result = TakeListValue(list, blockList, value)) != 0) return result;
    if (result == ERROR_NO_MORE_ITEMS) SortNames(list);
    return result == ERROR_NO_MORE_ITEMS ? 0 : result;
}

// A policy key under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER, opened on first use.
struct PolicyRoot {
    HKEY predefined;
    PolicySource source;
    CRegistryKey key;
    bool tried = false;
    int result = 0;

    // 0 when the key is open or does not exist; otherwise the code.
    int Open() {
        if (!tried) result = key.Open(predefined, kPolicyKey, KEY_READ);
        tried = true;
        return result == ERROR_FILE_NOT_FOUND ? 0 : result;
    }
};

// A list whose key is missing: 0 when nothing else bears its name, and
// ERROR_BADKEY when a value does, which cannot be read as the list.
int CheckMissingList(const CRegistryKey& root, const char* name) {
    const int result = root.QueryValue(name, nullptr, nullptr, nullptr);
    if (result == ERROR_FILE_NOT_FOUND) return 0;
    return result == 0 ? ERROR_BADKEY : result;
}

int ReadList(const CRegistryKey& root, PolicySetting setting, PolicyList& list, bool& has) {
    CRegistryKey key;
    const char* name = kPolicySettings[setting].name;
    const int result = key.Open(root, name, KEY_READ);
    if (result == ERROR_FILE_NOT_FOUND) return CheckMissingList(root, name);
    if (result) return result;
    has = true;
    return ReadNameList(key, setting == kBlockedSetting, list);
}

int ReadDword(const CRegistryKey& root, PolicySetting setting, PolicyList& list, DWORD& taken, bool& has) {
    const PolicySettingFacts& facts = kPolicySettings[setting];
    DWORD type = REG_NONE, value = 0, size = sizeof value;
    const int result = root.QueryValue(facts.name, &type, &value, &size);
    if (result == ERROR_FILE_NOT_FOUND) return 0;
    if (result != 0 && result != ERROR_MORE_DATA) return result;
    has = true;
    const bool dword = result == 0 && type == REG_DWORD && size == sizeof value;
    if (dword && value <= facts.largest) {
        taken = value;
        return 0;
    }
    taken = facts.fallback;
    return AddIgnored(list, facts.name, static_cast<DWORD>(lstrlenA(facts.name)),
                      dword ? IgnoredWhy::OutOfRange : IgnoredWhy::NotDword);
}
}  // namespace

bool KeepsFromRunning(PolicyStanding standing) {
    return standing == PolicyStanding::Blocked || standing == PolicyStanding::Untrusted;
}

bool StandsAgainst(PolicyStanding standing, ListCategory list) {
    return kSnapinLists[list].enabled ? KeepsFromRunning(standing) : standing == PolicyStanding::Required;
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
    for (DWORD& value : m_dwords) value = 0;
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
            if (result == 0 && root.key)
                result = kPolicySettings[setting].kind == SettingKind::Dword
                             ? ReadDword(root.key, setting, list, m_dwords[setting], has)
                             : ReadList(root.key, setting, list, has);
            if (result) {
                Clear();
                m_readable = false;
                m_unreadSource = root.source;
                m_unreadSetting = failedSetting;
                return result;
            }
            if (has) {
                list.source = root.source;
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
