#pragma once
// The organisation's policy on snap-ins: which may run, which must, and what
// start-up does with new ones. Administrators deliver it under
// Software\Policies, for the machine and for the user; this code only reads
// it. Each setting is taken whole from the machine when the machine has it,
// otherwise from the user, never merged.
#include "framework/Array.h"
#include "framework/String.h"
#include "registry/SnapinLists.h"

#include <windows.h>

// Below HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER alike.
extern const char kPolicyKey[];

// A setting by its index in kPolicySettings.
enum PolicySetting : int {
    kBlockedSetting = 0,
    kAllowedSetting = 1,
    kRequiredSetting = 2,
    kNewSnapinsSetting = 3,
    kRequireTrustedPublisherSetting = 4,
};
constexpr int kPolicySettingCount = 5;

enum class SettingKind { NameList, Dword };

// Everything the code knows of a setting: the administrative templates and
// snapinctl policy are checked against this table.
struct PolicySettingFacts {
    PolicySetting setting;
    const char* name;  // the subkey of a name list, or the value name of a DWORD
    SettingKind kind;
    DWORD largest;   // a DWORD's largest value; it takes 0 to this
    DWORD fallback;  // a DWORD's value when stored as another type or out of range
};
extern const PolicySettingFacts kPolicySettings[kPolicySettingCount];

const char* PolicySettingName(PolicySetting setting);

enum class PolicySource { None, Machine, User };
// Untrusted: the file is not signed by a trusted publisher, while the policy
// requires it. It ranks with Blocked, above Required.
enum class PolicyStanding { Free, Blocked, Required, Untrusted };
// Whether a standing keeps an entry from running.
bool KeepsFromRunning(PolicyStanding standing);
// Whether the standing moves an entry out of the list: blocked or untrusted
// in an enabled list, required in a disabled one.
bool StandsAgainst(PolicyStanding standing, ListCategory list);
// The values of NewSnapins: what start-up does with a new snap-in.
enum class NewSnapinsRule : DWORD { Ask = 0, Enable = 1, Disable = 2 };

// Why a value of a setting was passed over, or part of it.
enum class IgnoredWhy {
    NotText,       // a list value neither REG_SZ nor REG_EXPAND_SZ
    Empty,         // an empty text, once trimmed
    Path,          // a text naming a directory or a drive
    Wildcard,      // * or ? other than a lone * in Blocked
    TooLong,       // a name longer than a list's value name may be
    NotFileName,   // holds " < > | or a control character
    OwnModule,     // the module's own file, which the policy never manages
    TextAfterNul,  // the name before the NUL is taken; `dropped` is what followed
    NotDword,      // a DWORD setting of another type than REG_DWORD: its fallback is taken
    OutOfRange,    // a DWORD setting above its largest value: its fallback is taken
};

struct IgnoredPolicyValue {
    CString valueName;  // as stored
    IgnoredWhy why;
    CString dropped;  // TextAfterNul: the bytes after the first NUL, inner NULs kept
};

// One name list, or NewSnapins, as the policy gives it.
struct PolicyList {
    PolicySource source = PolicySource::None;
    CArray<CString> names;  // upper-cased, sorted by their bytes, no repeats
    bool everything = false;  // Blocked holds a lone *
    CArray<IgnoredPolicyValue> ignored;

    bool Names(const CString& upperName) const;
};

class CSnapinPolicy {
public:
    // Reads the machine's and the user's policy afresh. 0, or the code of a
    // policy key that exists but could not be read (a list stored as a value
    // counts so, ERROR_BADKEY), or -1 for want of memory; the policy then
    // manages nothing and Readable() is false.
    int Read();

    bool Readable() const { return m_readable; }
    // Where Read failed: the policy key of this source, and the setting whose
    // subkey or value could not be read, or -1 for the key itself.
    PolicySource UnreadSource() const { return m_unreadSource; }
    int UnreadSetting() const { return m_unreadSetting; }
    // Whether any setting comes from a policy at all.
    bool IsSet() const;
    // The standing of an upper-cased file name. The module's own entry has none.
    PolicyStanding StandingOf(const CString& upperName) const;
    // The standing of an entry, from its upper-cased value name and the
    // upper-cased name of the file its data loads (LoadedFileName; empty when
    // none): blocked when either is, otherwise required when the file is.
    // The entry named after the module has none.
    PolicyStanding StandingOfEntry(const CString& upperName, const CString& upperFile) const;
    // A DWORD setting's value: 0 when not set.
    DWORD Dword(PolicySetting setting) const { return m_dwords[setting]; }
    NewSnapinsRule NewSnapins() const { return static_cast<NewSnapinsRule>(m_dwords[kNewSnapinsSetting]); }
    // Whether only files signed by a trusted publisher may run.
    bool RequiresTrustedPublisher() const { return m_dwords[kRequireTrustedPublisherSetting] != 0; }
    const PolicyList& Setting(PolicySetting setting) const { return m_settings[setting]; }

private:
    void Clear();

    PolicyList m_settings[kPolicySettingCount];
    DWORD m_dwords[kPolicySettingCount] = {};  // the DWORD settings' values
    bool m_readable = true;
    PolicySource m_unreadSource = PolicySource::None;
    int m_unreadSetting = -1;
};
