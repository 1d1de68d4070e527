#include "tools/snapinctl/PolicyCommands.h"

#include "registry/ListValueLimits.h"
#include "startup/PolicyEnforcement.h"
#include "startup/SnapinScan.h"
#include "tools/snapinctl/Errors.h"
#include "tools/snapinctl/ExitStatus.h"
#include "tools/snapinctl/JsonNames.h"
#include "tools/snapinctl/MoveRecord.h"
#include "tools/snapinctl/Text.h"

#include <iterator>
#include <new>

namespace snapinctl {

namespace {
std::optional<std::string> SourceName(PolicySource source) {
    switch (source) {
        case PolicySource::Machine: return "machine";
        case PolicySource::User: return "user";
        case PolicySource::None: break;
    }
    return std::nullopt;
}

// A DWORD setting's value as policy prints it.
std::string RuleName(PolicySetting setting, DWORD value) {
    static const char* const kNewSnapinsRules[] = {"ask", "enable", "disable"};
    if (setting == kRequireTrustedPublisherSetting) return value ? "on" : "off";
    return value < std::size(kNewSnapinsRules) ? kNewSnapinsRules[value] : std::to_string(value);
}

// A text with its NULs shown as \0, in quotes.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) quoted += c ? std::string(1, c) : "\\0";
    return quoted + "\"";
}

std::string IgnoredText(PolicySetting setting, const IgnoredPolicyValue& value) {
    switch (value.why) {
        case IgnoredWhy::NotText: return "neither REG_SZ nor REG_EXPAND_SZ";
        case IgnoredWhy::Empty: return "an empty text";
        case IgnoredWhy::Path: return "a path, not a file name";
        case IgnoredWhy::Wildcard: return "a wildcard other than a lone * in Blocked";
        case IgnoredWhy::TooLong: return "a name over " + std::to_string(kLongestValueName) + " characters";
        case IgnoredWhy::NotFileName: return "holds a character no file name may hold: \" < > | or a control character";
        case IgnoredWhy::OwnModule: return std::string(kCanonicalFileName) + " itself, which the policy never manages";
        case IgnoredWhy::TextAfterNul:
            return "the name before its first NUL is taken; dropped what follows: " +
                   Quoted(AnsiToUtf8(value.dropped.str()));
        case IgnoredWhy::NotDword:
        case IgnoredWhy::OutOfRange: break;
    }
    const PolicySettingFacts& facts = kPolicySettings[setting];
    std::string values;
    for (DWORD value = 0; value <= facts.largest; ++value)
        values += (value == 0 ? "" : value == facts.largest ? " nor " : ", ") + std::to_string(value);
    return (value.why == IgnoredWhy::NotDword ? "not a REG_DWORD" : "neither " + values) + "; taken as " +
           std::to_string(facts.fallback) + " (" + RuleName(setting, facts.fallback) + ")";
}

// One setting of the policy, as policy prints it.
struct SettingRecord {
    const PolicySettingFacts* facts = nullptr;  // its row: name, kind, a DWORD's largest value
    std::optional<std::string> source;
    std::optional<std::vector<std::string>> names;  // a name list's; * for a Blocked of everything
    std::optional<std::string> rule;                // NewSnapins'
    std::vector<std::pair<std::string, std::string>> ignored;  // value name, why

    Record Json() const {
        Record record;
        record[json::kKey] = std::string(kPolicyKey);
        const bool dword = facts->kind == SettingKind::Dword;
        record[json::kSetting] = facts->name;
        record[json::kKind] = dword ? "dword" : "list";
        record[json::kValues] = Record();
        for (DWORD value = 0; dword && value <= facts->largest; ++value)
            record[json::kValues].push_back(value);
        record[json::kSource] = Nullable(source);
        record[json::kNames] = Nullable(names);
        record[json::kRule] = Nullable(rule);
        record[json::kIgnored] = Record::array();
        for (const auto& value : ignored) record[json::kIgnored].push_back({{json::kName, value.first}, {json::kReason, value.second}});
        return record;
    }
    std::string Text() const {
        const std::string setting = facts->name;
        std::string text = setting + " (" + source.value_or("not set") + ")";
        if (rule) text += ": " + *rule;
        if (names) {
            std::string list;
            for (const std::string& name : *names) list += (list.empty() ? ": " : ", ") + Quoted(name);
            text += list.empty() ? ": no names" : list;
        }
        for (const auto& value : ignored) text += "\n" + setting + " ignores \"" + value.first + "\": " + value.second;
        return text;
    }
};

SettingRecord MakeSettingRecord(const CSnapinPolicy& policy, PolicySetting setting) {
    const PolicyList& list = policy.Setting(setting);
    SettingRecord record;
    record.facts = &kPolicySettings[setting];
    record.source = SourceName(list.source);
    if (record.facts->kind == SettingKind::Dword) {
        record.rule = RuleName(setting, policy.Dword(setting));
    } else {
        record.names.emplace();
        if (list.everything) record.names->push_back("*");
        for (const CString& name : list.names) record.names->push_back(AnsiToUtf8(name.str()));
    }
    for (const IgnoredPolicyValue& value : list.ignored)
        record.ignored.emplace_back(AnsiToUtf8(value.valueName.str()), IgnoredText(setting, value));
    return record;
}

// The host directory as a directory that can be looked in; 0 or a Win32 code.
int CheckHostDirectory(const CString& directory) {
    if (directory.IsEmpty()) return ERROR_PATH_NOT_FOUND;
    const DWORD attributes = GetFileAttributesA(directory);
    if (attributes == INVALID_FILE_ATTRIBUTES) return static_cast<int>(GetLastError());
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? 0 : ERROR_DIRECTORY;
}

bool HasSnapinFile(const CString& hostDirectory, const CString& name) {
    const DWORD attributes = GetFileAttributesA(hostDirectory + EntryData(name));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
// The certificates of the machine's Trusted Publishers stores, which
// RequireTrustedPublisher trusts; null when they cannot be read.
void WriteTrustedPublishers(CommandContext& context) {
    CPublisherTrust trust;
    Record publishers = Record::array();
    std::string text;
    const bool read = trust.ForEachTrustedPublisher([&](const SignerFacts& signer) {
        const std::string name = AnsiToUtf8(signer.name.str()), thumbprint = ThumbprintText(signer);
        publishers.push_back({{json::kName, name}, {json::kThumbprint, thumbprint}});
        text += (text.empty() ? "" : ", ") + Quoted(name) + " (" + thumbprint + ")";
    });
    Record record;
    record[json::kPublishers] = read ? publishers : Record();
    const std::string none = read ? "none" : "cannot be read: Authenticode is not on this system or a store failed";
    context.out.Write(record, "Trusted publishers: " + (text.empty() ? none : text));
}
}  // namespace

std::optional<std::string> StandingName(PolicyStanding standing) {
    switch (standing) {
        case PolicyStanding::Blocked: return "blocked";
        case PolicyStanding::Required: return "required";
        case PolicyStanding::Untrusted: return "untrusted";
        case PolicyStanding::Free: break;
    }
    return std::nullopt;
}

const char* VerdictText(TrustVerdict verdict) {
    switch (verdict) {
        case TrustVerdict::Trusted: return "signed by a trusted publisher";
        case TrustVerdict::NotSigned: return "not signed";
        case TrustVerdict::ChangedAfterSigning: return "changed after signing";
        case TrustVerdict::UntrustedPublisher: return "the signer is not a trusted publisher";
        case TrustVerdict::CannotVerify: break;
    }
    return "cannot verify its signature";
}

std::string ThumbprintText(const SignerFacts& signer) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const BYTE byte : signer.thumbprint) text += {kDigits[byte >> 4], kDigits[byte & 15]};
    return text;
}

std::string PolicyReason(PolicyStanding standing, TrustVerdict verdict) {
    if (standing == PolicyStanding::Free) return std::string();
    const std::string reason = *StandingName(standing) + " by policy";
    return standing == PolicyStanding::Untrusted ? reason + ": " + VerdictText(verdict) : reason;
}

std::string UnreadPolicyKey(const CSnapinPolicy& policy) {
    std::string key = policy.UnreadSource() == PolicySource::User ? "HKEY_CURRENT_USER\\" : "HKEY_LOCAL_MACHINE\\";
    key += kPolicyKey;
    const int setting = policy.UnreadSetting();
    if (setting < 0) return key;
    const char* name = PolicySettingName(static_cast<PolicySetting>(setting));
    return kPolicySettings[setting].kind == SettingKind::Dword ? key + ", value " + name : key + "\\" + name;
}

UnlistedRequired FindUnlistedRequired(CommandContext& context) {
    UnlistedRequired unlisted;
    const int host = CheckHostDirectory(context.hostDirectory);
    if (host != 0) {
        unlisted.why = "the host directory " + AnsiToUtf8(context.hostDirectory.str()) + " is not available: " +
                       Win32ErrorText(host);
        return unlisted;
    }
    int unread = 0;
    const KnownNames known = CollectKnownNames(context.registry, unread);
    if (unread != 0) {
        unlisted.why = "cannot read every snap-in list: " + Win32ErrorText(unread);
        return unlisted;
    }
    unlisted.checked = true;
    for (const CString& name : context.policy.Setting(kRequiredSetting).names)
        if (context.policy.StandingOf(name) == PolicyStanding::Required && !known.Find(name) &&
            !HasSnapinFile(context.hostDirectory, name))
            unlisted.names.push_back(AnsiToUtf8(name.str()));
    return unlisted;
}

int RunPolicy(CommandContext& context) {
    if (!context.policy.Readable()) return kExitFailure;
    for (int setting = 0; setting < kPolicySettingCount; ++setting) {
        const SettingRecord record = MakeSettingRecord(context.policy, static_cast<PolicySetting>(setting));
        context.out.Write(record.Json(), record.Text());
    }
    WriteTrustedPublishers(context);
    const UnlistedRequired unlisted = FindUnlistedRequired(context);
    Record record;
    record[json::kUnlistedRequired] = unlisted.checked ? Record(unlisted.names) : Record();
    record[json::kReason] = unlisted.checked ? Record() : Record(unlisted.why);
    std::string text = "Required, in no list and without a file in " + std::string(kSnapinsDirectory) + ": ";
    if (!unlisted.checked) text += "not known, " + unlisted.why;
    for (size_t i = 0; i < unlisted.names.size(); ++i) text += (i ? ", " : "") + unlisted.names[i];
    if (unlisted.checked && unlisted.names.empty()) text += "none";
    context.out.Write(record, text);
    return kExitSuccess;
}

int RunEnforce(CommandContext& context) {
    CArray<PolicyMove> moves;
    CPolicyJudge judge(context.policy, context.hostDirectory);
    const int planned = PlanPolicyMoves(context.registry, judge, moves);
    if (planned != 0) {
        context.err.Report("cannot read every snap-in list; moved nothing", planned);
        return kExitFailure;
    }
    int status = kExitSuccess;
    for (const PolicyMove& move : moves) {
        CArray<PolicyMove> one;
        if (!one.Add(PolicyMove{move.from, CString(move.name), move.standing, move.verdict, move.staleCopy}))
            throw std::bad_alloc();
        const int result = context.dryRun ? 0 : MakePolicyMoves(context.registry, one);
        const MoveRecord record{AnsiToUtf8(move.name.str()), move.from, OtherList(move.from), result == 0,
                                PolicyReason(move.standing, move.verdict), move.staleCopy};
        if (result != 0) {
            context.err.Report("cannot move \"" + record.name + "\" from the " + ListLabel(move.from) + " list to the " +
                                   ListLabel(record.to) + " list",
                               result);
            status = kExitFailure;
            continue;
        }
        context.out.Write(record.Json(), record.Text());
    }
    if (moves.GetSize() == 0) context.out.Say("nothing to enforce: every entry stands in a list the policy allows");
    return status;
}

}  // namespace snapinctl
