#include "registry/SnapinPolicy.h"

#include "registry/RegistryKey.h"
#include "registry/TextCase.h"
#include "tests/support/Scratch.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>
#include <string>

namespace {
class SnapinPolicyTest : public ::testing::Test {
protected:
    ScratchHkcu user_;
    ScratchHklm machine_;
    CSnapinPolicy policy_;

    PolicyStanding Standing(const char* name) { return policy_.StandingOf(UpperCaseName(name)); }
};

TEST_F(SnapinPolicyTest, WithoutAPolicyEveryNameIsFreeAndNewSnapinsAreOffered) {
    ASSERT_EQ(policy_.Read(), 0);
    EXPECT_FALSE(policy_.IsSet());
    EXPECT_EQ(Standing("EVTVIEW.DLL"), PolicyStanding::Free);
    EXPECT_EQ(policy_.NewSnapins(), NewSnapinsRule::Ask);
}

// Each setting comes whole from the machine when it has the setting at all,
// even empty; required outranks blocked; the module's own entry is exempt.
TEST_F(SnapinPolicyTest, MachineSettingsMaskTheUsersWholeAndRequiredOutranksBlocked) {
    PutPolicyText(HKEY_LOCAL_MACHINE, "Blocked", "1", "*");
    CreatePolicyList(HKEY_LOCAL_MACHINE, "Allowed");
    PutPolicyText(HKEY_CURRENT_USER, "Allowed", "1", "DISKQUOTA.DLL");
    PutPolicyText(HKEY_CURRENT_USER, "Required", "7", "evtview.dll", REG_EXPAND_SZ);
    PutPolicyText(HKEY_CURRENT_USER, "Blocked", "1", "NETMON.DLL");
    PutPolicyDword(HKEY_CURRENT_USER, "", "NewSnapins", 2);
    ASSERT_EQ(policy_.Read(), 0);

    EXPECT_EQ(Standing("DISKQUOTA.DLL"), PolicyStanding::Blocked);
    EXPECT_EQ(Standing("EvtView.dll"), PolicyStanding::Required);
    EXPECT_EQ(Standing("PLUGWARD.DLL"), PolicyStanding::Free);
    EXPECT_EQ(policy_.Setting(kBlockedSetting).source, PolicySource::Machine);
    EXPECT_EQ(policy_.Setting(kAllowedSetting).source, PolicySource::Machine);
    EXPECT_EQ(policy_.Setting(kRequiredSetting).source, PolicySource::User);
    EXPECT_EQ(policy_.NewSnapins(), NewSnapinsRule::Disable);

    PutPolicyText(HKEY_LOCAL_MACHINE, "Allowed", "1", "DISKQUOTA.DLL");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Blocked", "2", "DISKQUOTA.DLL");
    ASSERT_EQ(policy_.Read(), 0);
    EXPECT_EQ(Standing("DISKQUOTA.DLL"), PolicyStanding::Blocked) << "a name on both lists is blocked";
    EXPECT_EQ(Standing("NETMON.DLL"), PolicyStanding::Blocked) << "by the machine's *, not the user's name";
}

TEST_F(SnapinPolicyTest, ValuesThatNameNoFileAreIgnoredWithTheirReason) {
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "1", "C:\\SNAPINS\\EVTVIEW.DLL");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "2", "EVT*.DLL");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "3", "");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "4", std::string(256, 'A'));
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "5", "*");
    PutPolicyDword(HKEY_LOCAL_MACHINE, "Required", "6", 1);
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "7", "\xC4rger.dll");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "8", std::string(255, 'B'));
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "91", "A|B.DLL");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "92", "plugward.dll. ");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "93", std::string("TAKEN.DLL\0DROPPED.DLL", 22));
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "94", "  trimmed.dll. ");
    PutPolicyText(HKEY_LOCAL_MACHINE, "", "NewSnapins", "1");
    PutPolicyDword(HKEY_CURRENT_USER, "", "NewSnapins", 1);
    ASSERT_EQ(policy_.Read(), 0);

    const PolicyList& required = policy_.Setting(kRequiredSetting);
    const IgnoredWhy expected[] = {IgnoredWhy::Path,        IgnoredWhy::Wildcard,  IgnoredWhy::Empty,
                                   IgnoredWhy::TooLong,     IgnoredWhy::Wildcard,  IgnoredWhy::NotText,
                                   IgnoredWhy::NotFileName, IgnoredWhy::OwnModule, IgnoredWhy::TextAfterNul};
    ASSERT_EQ(required.ignored.GetSize(), 9);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(required.ignored[i].why, expected[i]) << required.ignored[i].valueName;
    EXPECT_EQ(required.ignored[8].dropped, "DROPPED.DLL");
    EXPECT_EQ(required.names.GetSize(), 4);
    EXPECT_EQ(Standing("TAKEN.DLL"), PolicyStanding::Required);
    EXPECT_EQ(Standing("TRIMMED.DLL"), PolicyStanding::Required);
    EXPECT_EQ(Standing("\xC4RGER.DLL"), PolicyStanding::Required);
    EXPECT_EQ(Standing(std::string(255, 'b').c_str()), PolicyStanding::Required);
    EXPECT_EQ(policy_.NewSnapins(), NewSnapinsRule::Ask) << "a NewSnapins text counts as 0 and masks the user's";
    ASSERT_EQ(policy_.Setting(kNewSnapinsSetting).ignored.GetSize(), 1);
    EXPECT_EQ(policy_.Setting(kNewSnapinsSetting).ignored[0].why, IgnoredWhy::NotDword);

    PutPolicyDword(HKEY_LOCAL_MACHINE, "", "NewSnapins", 3);
    ASSERT_EQ(policy_.Read(), 0);
    EXPECT_EQ(policy_.Setting(kNewSnapinsSetting).ignored[0].why, IgnoredWhy::OutOfRange);
}

// An entry is judged by its name and the file its data loads, as the host
// resolves that data; a name Allowed stands free of Blocked's *.
TEST_F(SnapinPolicyTest, AnEntryIsBlockedByEitherNameAndRequiredByItsFile) {
    PutPolicyText(HKEY_LOCAL_MACHINE, "Blocked", "1", "*");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Allowed", "1", "EVENTLOG.DLL");
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "1", "REQ.DLL");
    ASSERT_EQ(policy_.Read(), 0);
    const PolicyStanding free = PolicyStanding::Free, blocked = PolicyStanding::Blocked;
    const std::string overlong(260, 'A');  // longer than the host reads
    const struct { const char *name, *data; PolicyStanding standing; } cases[] = {
        {"EVENTLOG.DLL", "SNAPINS\\EVENTLOG.DLL", free}, {"EVENTLOG.DLL", "SNAPINS\\DSKQUOTA.DLL", blocked},
        {"EVENTLOG.DLL", "C:snapins/dskquota", blocked}, {"EVENTLOG.DLL", "SNAPINS\\EVENTLOG.DLL\\..\\X.DLL . ", blocked},
        {"EVENTLOG.DLL", "SNAPINS\\X\\..\\EVENTLOG.DLL\\.", free}, {"REQ.DLL", "SNAPINS\\REQ.DLL", PolicyStanding::Required},
        {"REQ.DLL", "", free}, {"OTHER.DLL", "SNAPINS\\REQ.DLL", blocked}, {"PLUGWARD.DLL", "SNAPINS\\DSKQUOTA.DLL", free},
        {"EVENTLOG.DLL", "SNAPINS\\..", free}, {"EVENTLOG.DLL", overlong.c_str(), free}};
    for (const auto& entry : cases)
        EXPECT_EQ(policy_.StandingOfEntry(entry.name, LoadedFileName(entry.data)), entry.standing) << entry.data;
}

// A list stored as a value cannot be read as a list: the whole policy is
// unreadable, unless the machine supplies that setting.
TEST_F(SnapinPolicyTest, AListStoredAsAValueMakesThePolicyUnreadableWhereItCounts) {
    PutPolicyText(HKEY_LOCAL_MACHINE, "Required", "1", "EVTVIEW.DLL");
    PutPolicyText(HKEY_CURRENT_USER, "", "Required", "EVTVIEW.DLL");
    ASSERT_EQ(policy_.Read(), 0);
    EXPECT_EQ(Standing("EVTVIEW.DLL"), PolicyStanding::Required);

    PutPolicyText(HKEY_CURRENT_USER, "", "Blocked", "EVTVIEW.DLL");
    EXPECT_EQ(policy_.Read(), ERROR_BADKEY);
    EXPECT_FALSE(policy_.Readable());
    EXPECT_EQ(Standing("EVTVIEW.DLL"), PolicyStanding::Free);
}

TEST_F(SnapinPolicyTest, ReadsTenThousandNamesWhole) {
    CRegistryKey key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, (std::string(kPolicyKey) + "\\Blocked").c_str(), &key.Receive()), 0);
    for (int i = 0; i < 10000; ++i) {
        const std::string name = std::to_string(i + 1), text = "SNAPIN" + name + ".DLL";
        ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)), 0);
    }
    ASSERT_EQ(policy_.Read(), 0);
    EXPECT_EQ(policy_.Setting(kBlockedSetting).names.GetSize(), 10000);
    EXPECT_EQ(Standing("SNAPIN1.DLL"), PolicyStanding::Blocked);
    EXPECT_EQ(Standing("SNAPIN10000.DLL"), PolicyStanding::Blocked);
    EXPECT_EQ(Standing("SNAPIN10001.DLL"), PolicyStanding::Free);
}
}  // namespace

// RequireTrustedPublisher guards what runs: the machine's value masks the
// user's, and a value it cannot read counts as on, and is reported.
TEST_F(SnapinPolicyTest, RequireTrustedPublisherIsOnForAnyValueButZero) {
    const struct {
        HKEY root;
        DWORD type, value;
        bool on;
        int ignored;
    } cases[] = {{HKEY_CURRENT_USER, REG_DWORD, 1, true, 0},       {HKEY_LOCAL_MACHINE, REG_DWORD, 0, false, 0},
                 {HKEY_LOCAL_MACHINE, REG_DWORD, 2, true, 1},      {HKEY_LOCAL_MACHINE, REG_SZ, '0', true, 1},
                 {HKEY_LOCAL_MACHINE, REG_BINARY, 0, true, 1}};
    for (const auto& c : cases) {
        CRegistryKey key;  // the machine's value, once written, masks the user's 1 in every later case
        ASSERT_TRUE(key.Create(c.root, kPolicyKey) == 0 &&
                    key.SetValue("RequireTrustedPublisher", c.type, &c.value, c.type == REG_SZ ? 2 : 4) == 0);
        ASSERT_EQ(policy_.Read(), 0);
        EXPECT_EQ(policy_.RequiresTrustedPublisher(), c.on) << c.type << " " << c.value;
        EXPECT_EQ(policy_.Setting(kRequireTrustedPublisherSetting).ignored.GetSize(), c.ignored) << c.type;
    }
}
