#include "tests/fixtures/Fixtures.h"
#include "tests/support/SnapinLists.h"
#include "tests/ui/UiTest.h"
#include "ui/SnapinConfigDlg.h"
#include "ui/resource.h"

#include <map>
#include <tuple>
#include <string>
#include <vector>

namespace {
const char kCaption[] = "Snapin Configuration";
const int kList = IDC_SNAPIN_CONFIG_LIST;

using Entries = std::map<std::string, std::string>;  // value name -> data

struct AllLists {
    Entries enabledObjects, disabledObjects, enabledViews, disabledViews;
    bool operator==(const AllLists& other) const {
        return enabledObjects == other.enabledObjects && disabledObjects == other.disabledObjects &&
               enabledViews == other.enabledViews && disabledViews == other.disabledViews;
    }
};

void SeedEntry(const char* list, const char* name) { PutEntry(list, name, std::string("SNAPINS\\") + name); }

AllLists ReadAll() { return {ReadList(kObjectOn), ReadList(kObjectOff), ReadList(kViewOn), ReadList(kViewOff)}; }

INT_PTR RunDialog(DialogDriver& driver) {
    CSnapinConfigDlg dialog(nullptr);
    const INT_PTR result = dialog.DoModal();
    EXPECT_TRUE(driver.Finished());
    EXPECT_FALSE(driver.TimedOut()) << driver.TimeOutText();
    return result;
}

std::vector<std::pair<std::string, int>> TextsAndChecks(const SeenDialog& seen) {
    std::vector<std::pair<std::string, int>> rows;
    for (const SeenRow& row : seen.rows) rows.emplace_back(row.text, row.check);
    return rows;
}

class ConfigDialog : public UiTest {
protected:
    ScratchHkcu m_hkcu;
    SnapinsDirectory m_snapins;  // empty unless a test installs files: no descriptions
};

// A row as seen: text, check, enabled.
using Row = std::tuple<std::string, int, int>;
std::vector<Row> Rows(const SeenDialog& seen) {
    std::vector<Row> rows;
    for (const SeenRow& row : seen.rows) rows.emplace_back(row.text, row.check, row.enabled);
    return rows;
}

class ManagedConfigDialog : public ConfigDialog {
protected:
    ScratchHklm m_hklm;
};
}  // namespace

TEST_F(ConfigDialog, RowsOfAllListsAndOkWithoutChangesWritesNothing) {
    SeedEntry(kObjectOn, "A.DLL");
    SeedEntry(kObjectOff, "B.DLL");
    SeedEntry(kViewOn, "C.DLL");
    const AllLists before = ReadAll();
    DialogDriver driver(kCaption);
    driver.ReadList(kList).ClickButton(IDOK);
    EXPECT_EQ(RunDialog(driver), 0);

    ASSERT_EQ(driver.Seen().size(), 1u);
    const SeenDialog& seen = driver.Seen()[0];
    EXPECT_EQ(seen.caption, kCaption);
    ExpectCentred(seen);
    EXPECT_EQ(TextsAndChecks(seen), (std::vector<std::pair<std::string, int>>{{"A.DLL", 1}, {"B.DLL", 0}, {"C.DLL", 1}}));
    for (const SeenRow& row : seen.rows) EXPECT_NE(row.userValue, 0) << row.text << " has a record";
    EXPECT_TRUE(ReadAll() == before);
}

TEST_F(ConfigDialog, ChangedRowsMoveToTheOtherListOfTheirKind) {
    SeedEntry(kObjectOn, "A.DLL");
    SeedEntry(kObjectOff, "B.DLL");
    SeedEntry(kViewOn, "C.DLL");
    SeedEntry(kViewOff, "D.DLL");
    SeedEntry(kViewOn, "E.DLL");
    DialogDriver driver(kCaption);
    driver.ClickCheckBox(kList, 0).PressSpace(kList, 1).ClickCheckBox(kList, 2).PressSpace(kList, 3).ReadList(kList).PressEnter();
    EXPECT_EQ(RunDialog(driver), 0);
    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_EQ(TextsAndChecks(driver.Seen()[0]),
              (std::vector<std::pair<std::string, int>>{{"A.DLL", 0}, {"B.DLL", 1}, {"C.DLL", 0}, {"D.DLL", 1}, {"E.DLL", 1}}));
    const AllLists after = ReadAll();
    EXPECT_EQ(after.enabledObjects, (Entries{{"B.DLL", "SNAPINS\\B.DLL"}}));
    EXPECT_EQ(after.disabledObjects, (Entries{{"A.DLL", "SNAPINS\\A.DLL"}}));
    EXPECT_EQ(after.enabledViews, (Entries{{"D.DLL", "SNAPINS\\D.DLL"}, {"E.DLL", "SNAPINS\\E.DLL"}}));
    EXPECT_EQ(after.disabledViews, (Entries{{"C.DLL", "SNAPINS\\C.DLL"}}));
}

TEST_F(ConfigDialog, MovedEntryIsWrittenAfreshUnderItsUpperCaseName) {
    PutEntry(kObjectOn, "Foo.dll", "C:\\TOOLS\\Foo.dll");
    DialogDriver driver(kCaption);
    driver.ReadList(kList).PressSpace(kList, 0).ClickButton(IDOK);
    EXPECT_EQ(RunDialog(driver), 0);
    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_EQ(TextsAndChecks(driver.Seen()[0]), (std::vector<std::pair<std::string, int>>{{"FOO.DLL", 1}}));
    EXPECT_EQ(ReadList(kObjectOff), (Entries{{"FOO.DLL", "SNAPINS\\FOO.DLL"}}));
    EXPECT_TRUE(ReadList(kObjectOn).empty());
}

TEST_F(ConfigDialog, RowToggledTwiceIsLeftAlone) {
    SeedEntry(kObjectOn, "A.DLL");
    SeedEntry(kViewOff, "B.DLL");
    const AllLists before = ReadAll();
    DialogDriver driver(kCaption);
    driver.ClickCheckBox(kList, 0).ClickCheckBox(kList, 0).PressSpace(kList, 1).PressSpace(kList, 1).ReadList(kList).ClickButton(IDOK);
    EXPECT_EQ(RunDialog(driver), 0);
    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_EQ(TextsAndChecks(driver.Seen()[0]), (std::vector<std::pair<std::string, int>>{{"A.DLL", 1}, {"B.DLL", 0}}));
    EXPECT_TRUE(ReadAll() == before);
}

TEST_F(ConfigDialog, SameNameInBothObjectListsGivesTwoRowsActingOnTheirOwnList) {
    SeedEntry(kObjectOn, "X.DLL");
    SeedEntry(kObjectOff, "X.DLL");
    int enabledRow = -1;
    {
        DialogDriver driver(kCaption);
        driver.ReadList(kList).PressEscape();
        EXPECT_EQ(RunDialog(driver), IDCANCEL);
        ASSERT_EQ(driver.Seen().size(), 1u);
        const auto rows = TextsAndChecks(driver.Seen()[0]);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].first, "X.DLL");
        EXPECT_EQ(rows[1].first, "X.DLL");
        EXPECT_EQ(rows[0].second + rows[1].second, 1) << "one checked, one clear";
        EXPECT_NE(driver.Seen()[0].rows[0].userValue, driver.Seen()[0].rows[1].userValue);
        enabledRow = rows[0].second == 1 ? 0 : 1;
    }
    // Clearing the enabled row moves it; the clear row of the disabled list does nothing.
    DialogDriver driver(kCaption);
    driver.PressSpace(kList, enabledRow).ClickButton(IDOK);
    EXPECT_EQ(RunDialog(driver), 0);
    EXPECT_TRUE(ReadList(kObjectOn).empty());
    EXPECT_EQ(ReadList(kObjectOff), (Entries{{"X.DLL", "SNAPINS\\X.DLL"}}));
}

TEST_F(ConfigDialog, CancelAndEscapeLeaveTheListsAlone) {
    SeedEntry(kObjectOn, "A.DLL");
    SeedEntry(kObjectOff, "B.DLL");
    SeedEntry(kViewOn, "C.DLL");
    const AllLists before = ReadAll();
    {
        DialogDriver driver(kCaption);
        driver.PressSpace(kList, 0).ClickCheckBox(kList, 1).ClickCheckBox(kList, 2).ClickButton(IDCANCEL);
        EXPECT_EQ(RunDialog(driver), IDCANCEL);
    }
    EXPECT_TRUE(ReadAll() == before) << "Cancel";
    DialogDriver driver(kCaption);
    driver.PressSpace(kList, 0).PressSpace(kList, 1).PressEscape();
    EXPECT_EQ(RunDialog(driver), IDCANCEL);
    EXPECT_TRUE(ReadAll() == before) << "Escape";
}

TEST_F(ConfigDialog, AllListsEmptyGiveAnEmptyDialogThatClosesWithZero) {
    DialogDriver driver(kCaption);
    driver.ReadList(kList).ClickButton(IDOK);
    EXPECT_EQ(RunDialog(driver), 0);
    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_TRUE(driver.Seen()[0].rows.empty());
    for (const char* list : {kObjectOn, kObjectOff, kViewOn, kViewOff}) EXPECT_FALSE(ListKeyExists(list)) << list;
}

TEST_F(ConfigDialog, RowShowsTheDescriptionOfTheFileTheEntryNames) {
    ASSERT_TRUE(m_snapins.Install(fixtures::kViewDll, "VIEW.DLL"));
    SeedEntry(kViewOn, "VIEW.DLL");
    SeedEntry(kObjectOn, "MISSING.DLL");
    DialogDriver driver(kCaption);
    driver.ReadList(kList).PressEscape();
    EXPECT_EQ(RunDialog(driver), IDCANCEL);
    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_EQ(TextsAndChecks(driver.Seen()[0]),
              (std::vector<std::pair<std::string, int>>{{"MISSING.DLL", 1}, {fixtures::kViewDescription, 1}}));
}

// OK frees the records before the window goes; a second OK command arriving
// in between must neither touch them nor move anything twice.
TEST_F(ConfigDialog, SecondOkCommandFindsNoRecords) {
    SeedEntry(kObjectOn, "A.DLL");
    SeedEntry(kObjectOff, "B.DLL");
    DialogDriver driver(kCaption);
    driver.PressSpace(kList, 0).Run([](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        SeedEntry(kObjectOn, "A.DLL");  // as if another program put it back
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(RunDialog(driver), 0);
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"A.DLL", "SNAPINS\\A.DLL"}}));
    EXPECT_EQ(ReadList(kObjectOff), (Entries{{"A.DLL", "SNAPINS\\A.DLL"}, {"B.DLL", "SNAPINS\\B.DLL"}}));
}

// Space, click and double click change no managed row; Cancel moves nothing;
// OK moves each managed entry that stands in the list its policy forbids.
TEST_F(ManagedConfigDialog, ManagedRowsAreGreyedWithTheirReasonAndOkCarriesOutThePolicy) {
    ASSERT_TRUE(m_snapins.Install(fixtures::kViewDll, "VIEW.DLL"));
    SeedEntry(kObjectOn, "A.DLL");
    SeedEntry(kViewOn, "C.DLL");
    SeedEntry(kObjectOff, "D.DLL");
    SeedEntry(kViewOff, "VIEW.DLL");
    PutEntry(kViewOn, "E.DLL", "SNAPINS\\D.DLL");  // blocked by the file it loads
    PutMachinePolicy("Blocked", "1", "a.dll");
    PutMachinePolicy("Blocked", "2", "D.DLL");
    PutMachinePolicy("Required", "1", "VIEW.DLL");
    const AllLists before = ReadAll();
    const std::vector<Row> expected{{"A.DLL (blocked by your administrator)", 0, 0},
                                    {"C.DLL", 1, 1},
                                    {"D.DLL (blocked by your administrator)", 0, 0},
                                    {"E.DLL (blocked by your administrator)", 0, 0},
                                    {std::string(fixtures::kViewDescription) + " (required by your administrator)", 1, 0}};
    {
        DialogDriver driver(kCaption);
        driver.ReadList(kList);
        for (int row : {0, 2, 3, 4}) driver.PressSpace(kList, row).ClickCheckBox(kList, row).DoubleClickCheckBox(kList, row);
        driver.ReadList(kList).ClickButton(IDCANCEL);
        EXPECT_EQ(RunDialog(driver), IDCANCEL);
        ASSERT_EQ(driver.Seen().size(), 2u);
        EXPECT_EQ(Rows(driver.Seen()[0]), expected);
        EXPECT_EQ(Rows(driver.Seen()[1]), expected);
    }
    EXPECT_TRUE(ReadAll() == before) << "Cancel";
    DialogDriver driver(kCaption);
    driver.PressSpace(kList, 0).ClickCheckBox(kList, 4).ClickButton(IDOK);
    EXPECT_EQ(RunDialog(driver), 0);
    const AllLists after = ReadAll();
    EXPECT_TRUE(after.enabledObjects.empty());
    EXPECT_EQ(after.disabledObjects, (Entries{{"A.DLL", "SNAPINS\\A.DLL"}, {"D.DLL", "SNAPINS\\D.DLL"}}));
    EXPECT_EQ(after.enabledViews, (Entries{{"C.DLL", "SNAPINS\\C.DLL"}, {"VIEW.DLL", "SNAPINS\\VIEW.DLL"}}));
    EXPECT_EQ(after.disabledViews, (Entries{{"E.DLL", "SNAPINS\\E.DLL"}}));
}

// A list stored as a value cannot be read as a list: every row is greyed as
// its list stands, and OK moves nothing.
TEST_F(ManagedConfigDialog, UnreadablePolicyGreysEveryRow) {
    SeedEntry(kObjectOn, "A.DLL");
    SeedEntry(kViewOff, "B.DLL");
    PutMachinePolicy("", "Blocked", "A.DLL");
    const AllLists before = ReadAll();
    DialogDriver driver(kCaption);
    driver.PressSpace(kList, 0).ClickCheckBox(kList, 1).ReadList(kList).PressEnter();
    EXPECT_EQ(RunDialog(driver), 0);
    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_EQ(Rows(driver.Seen()[0]), (std::vector<Row>{{"A.DLL", 1, 0}, {"B.DLL", 0, 0}}));
    EXPECT_TRUE(ReadAll() == before);
}

// Under RequireTrustedPublisher a row whose file is not signed by a trusted
// publisher is greyed and unchecked whatever key or mouse do, a required one
// too, and OK disables it.
TEST_F(ManagedConfigDialog, UntrustedRowsAreGreyedUncheckedAndOkDisablesThem) {
    ASSERT_TRUE(m_hklm.UseAuthenticode());
    for (const auto& [fixture, name] : {std::pair{fixtures::kObjectDll, "PLAIN.DLL"}, {"signed_trusted.dll", "TRUSTED.DLL"},
                                        {"signed_other.dll", "OTHER.DLL"}})
        ASSERT_TRUE(m_snapins.Install(fixture, name));
    SeedEntry(kObjectOn, "PLAIN.DLL");
    SeedEntry(kObjectOn, "TRUSTED.DLL");
    SeedEntry(kObjectOff, "OTHER.DLL");
    PutMachinePolicy("", "RequireTrustedPublisher", "", 1);
    PutMachinePolicy("Required", "1", "OTHER.DLL");
    const std::string untrusted = std::string(fixtures::kObjectDescription) + " (not signed by a trusted publisher)";
    DialogDriver driver(kCaption);
    driver.PressSpace(kList, 1).ClickCheckBox(kList, 2).ReadList(kList).ClickButton(IDOK);
    EXPECT_EQ(RunDialog(driver), 0);
    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_EQ(Rows(driver.Seen()[0]), (std::vector<Row>{{fixtures::kObjectDescription, 1, 1}, {untrusted, 0, 0}, {untrusted, 0, 0}}));
    EXPECT_EQ(ReadList(kObjectOn), (Entries{{"TRUSTED.DLL", "SNAPINS\\TRUSTED.DLL"}}));
    EXPECT_EQ(ReadList(kObjectOff), (Entries{{"OTHER.DLL", "SNAPINS\\OTHER.DLL"}, {"PLAIN.DLL", "SNAPINS\\PLAIN.DLL"}}));
}
