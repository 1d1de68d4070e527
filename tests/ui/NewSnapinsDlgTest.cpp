#include "tests/fixtures/Fixtures.h"
#include "tests/ui/UiTest.h"
#include "ui/NewSnapinsDlg.h"
#include "ui/SnapinItem.h"
#include "ui/resource.h"

#include <memory>
#include <string>
#include <vector>

namespace {
const char kCaption[] = "New Snapins Installed";
const int32_t kUnwritten = 7;  // an enabled flag the dialog never writes

// The caller's side: records in list order, and the list of pointers to them.
class NewSnapins {
public:
    SnapinItem* Add(const char* fileName) {
        m_items.push_back(std::make_unique<SnapinItem>());
        SnapinItem* item = m_items.back().get();
        item->kind = 1;
        item->enabled = kUnwritten;
        item->fileName = fileName;
        m_list.AddTail(item);
        return item;
    }
    CPtrList* list() { return &m_list; }
    std::vector<int32_t> Flags() const {
        std::vector<int32_t> flags;
        for (const auto& item : m_items) flags.push_back(item->enabled);
        return flags;
    }
    std::vector<std::string> NamesInListOrder() const {
        std::vector<std::string> names;
        for (void* entry : m_list) names.push_back(static_cast<SnapinItem*>(entry)->fileName.str());
        return names;
    }

private:
    std::vector<std::unique_ptr<SnapinItem>> m_items;
    CPtrList m_list;
};

INT_PTR RunDialog(NewSnapins& snapins, DialogDriver& driver) {
    CNewSnapinsDlg dialog(snapins.list());
    const INT_PTR result = dialog.DoModal();
    EXPECT_TRUE(driver.Finished());
    EXPECT_FALSE(driver.TimedOut()) << driver.TimeOutText();
    return result;
}

LPARAM ValueOf(const SnapinItem* item) { return reinterpret_cast<LPARAM>(item); }

class NewSnapinsDialog : public UiTest {
protected:
    SnapinsDirectory m_snapins;  // empty unless a test installs files: no descriptions
};
}  // namespace

TEST_F(NewSnapinsDialog, RowsSortedByTextWhileRecordsKeepListOrder) {
    NewSnapins snapins;
    SnapinItem* charlie = snapins.Add("CHARLIE.DLL");
    SnapinItem* alpha = snapins.Add("ALPHA.DLL");
    SnapinItem* bravo = snapins.Add("BRAVO.DLL");
    DialogDriver driver(kCaption);
    driver.ReadList(IDC_NEW_SNAPINS_LIST).ClickButton(IDOK);
    EXPECT_EQ(RunDialog(snapins, driver), 0);

    ASSERT_EQ(driver.Seen().size(), 1u);
    const SeenDialog& seen = driver.Seen()[0];
    EXPECT_EQ(seen.caption, kCaption);
    ExpectCentred(seen);
    ASSERT_EQ(seen.rows.size(), 3u);
    EXPECT_EQ(seen.rows[0].text, "ALPHA.DLL");
    EXPECT_EQ(seen.rows[0].userValue, ValueOf(alpha));
    EXPECT_EQ(seen.rows[1].text, "BRAVO.DLL");
    EXPECT_EQ(seen.rows[1].userValue, ValueOf(bravo));
    EXPECT_EQ(seen.rows[2].text, "CHARLIE.DLL");
    EXPECT_EQ(seen.rows[2].userValue, ValueOf(charlie));
    for (const SeenRow& row : seen.rows) EXPECT_EQ(row.check, 1) << row.text;
    EXPECT_EQ(snapins.Flags(), (std::vector<int32_t>{1, 1, 1}));
    EXPECT_EQ(snapins.NamesInListOrder(), (std::vector<std::string>{"CHARLIE.DLL", "ALPHA.DLL", "BRAVO.DLL"}));
}

TEST_F(NewSnapinsDialog, ClearedRowWritesZeroIntoItsOwnRecord) {
    NewSnapins snapins;
    snapins.Add("CHARLIE.DLL");
    snapins.Add("ALPHA.DLL");
    snapins.Add("BRAVO.DLL");
    DialogDriver driver(kCaption);
    driver.ClickCheckBox(IDC_NEW_SNAPINS_LIST, 1).ReadList(IDC_NEW_SNAPINS_LIST).ClickButton(IDOK);
    EXPECT_EQ(RunDialog(snapins, driver), 0);
    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_EQ(driver.Seen()[0].rows[1].check, 0);
    EXPECT_EQ(snapins.Flags(), (std::vector<int32_t>{1, 1, 0}));  // BRAVO.DLL is third in the list
}

TEST_F(NewSnapinsDialog, RowsShowDescriptionsOrUpperCaseNames) {
    ASSERT_TRUE(m_snapins.Install(fixtures::kObjectDll, "OBJ.DLL"));
    ASSERT_TRUE(m_snapins.Install(fixtures::kViewDll, "VIEW.DLL"));
    ASSERT_TRUE(m_snapins.Install(fixtures::kNoVersionDll, "PLAIN.DLL"));
    NewSnapins snapins;
    snapins.Add("VIEW.DLL");
    snapins.Add("PLAIN.DLL");
    snapins.Add("OBJ.DLL");
    snapins.Add("GONE.DLL");  // no such file
    DialogDriver driver(kCaption);
    driver.ReadList(IDC_NEW_SNAPINS_LIST).ClickButton(IDOK);
    EXPECT_EQ(RunDialog(snapins, driver), 0);
    ASSERT_EQ(driver.Seen().size(), 1u);
    std::vector<std::string> texts;
    for (const SeenRow& row : driver.Seen()[0].rows) texts.push_back(row.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"GONE.DLL", "PLAIN.DLL", fixtures::kObjectDescription,
                                               fixtures::kViewDescription}));
}

TEST_F(NewSnapinsDialog, SameDescriptionTwiceKeepsTwoRecords) {
    ASSERT_TRUE(m_snapins.Install(fixtures::kObjectDll, "ONE.DLL"));
    ASSERT_TRUE(m_snapins.Install(fixtures::kObjectDll, "TWO.DLL"));
    NewSnapins snapins;
    SnapinItem* one = snapins.Add("ONE.DLL");
    SnapinItem* two = snapins.Add("TWO.DLL");
    DialogDriver driver(kCaption);
    driver.ReadList(IDC_NEW_SNAPINS_LIST).PressSpace(IDC_NEW_SNAPINS_LIST, 0).ClickButton(IDOK);
    EXPECT_EQ(RunDialog(snapins, driver), 0);
    ASSERT_EQ(driver.Seen().size(), 1u);
    const auto& rows = driver.Seen()[0].rows;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text, fixtures::kObjectDescription);
    EXPECT_EQ(rows[1].text, fixtures::kObjectDescription);
    const bool firstIsOne = rows[0].userValue == ValueOf(one);
    EXPECT_EQ(rows[firstIsOne ? 1 : 0].userValue, ValueOf(two));
    EXPECT_EQ(snapins.Flags(), firstIsOne ? (std::vector<int32_t>{0, 1}) : (std::vector<int32_t>{1, 0}));
}

TEST_F(NewSnapinsDialog, EscapeWritesNoFlag) {
    NewSnapins snapins;
    snapins.Add("ALPHA.DLL");
    snapins.Add("BRAVO.DLL");
    DialogDriver driver(kCaption);
    driver.PressSpace(IDC_NEW_SNAPINS_LIST, 0).PressEscape();
    EXPECT_EQ(RunDialog(snapins, driver), IDCANCEL);
    EXPECT_EQ(snapins.Flags(), (std::vector<int32_t>{kUnwritten, kUnwritten}));
}

TEST_F(NewSnapinsDialog, EnterIsClose) {
    NewSnapins snapins;
    snapins.Add("ALPHA.DLL");
    snapins.Add("BRAVO.DLL");
    DialogDriver driver(kCaption);
    driver.PressSpace(IDC_NEW_SNAPINS_LIST, 1).PressEnter();  // Enter with the focus in the list
    EXPECT_EQ(RunDialog(snapins, driver), 0);
    EXPECT_EQ(snapins.Flags(), (std::vector<int32_t>{1, 0}));
}

TEST_F(NewSnapinsDialog, EmptyListClosesWithZero) {
    NewSnapins snapins;
    DialogDriver driver(kCaption);
    driver.ReadList(IDC_NEW_SNAPINS_LIST).PressEnter();
    EXPECT_EQ(RunDialog(snapins, driver), 0);
    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_TRUE(driver.Seen()[0].rows.empty());
}
