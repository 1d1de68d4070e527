#include "framework/WinApp.h"
#include "tests/framework/TestDialogs.h"
#include "tests/support/DialogDriver.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
const char kCaption[] = "Framework Check List";

class CheckListBoxRun : public ::testing::Test {
protected:
    void SetUp() override { AfxSetResourceHandle(GetModuleHandleA(nullptr)); }
    void TearDown() override { AfxSetResourceHandle(nullptr); }
};

struct Row {
    const char* text;
    int check;
    LPARAM userValue;
};

void ExpectRows(const SeenDialog& seen, const std::vector<Row>& expected, const char* when) {
    ASSERT_EQ(seen.rows.size(), expected.size()) << when;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(seen.rows[i].text, expected[i].text) << when << ", row " << i;
        EXPECT_EQ(seen.rows[i].check, expected[i].check) << when << ", row " << i;
        EXPECT_EQ(seen.rows[i].userValue, expected[i].userValue) << when << ", row " << i;
    }
}

// Adds "beta" (checked, 20) and "alpha" (clear, 10): sorted, alpha is row 0.
void AddTwoRows(CheckListDialog& dialog) {
    int beta = dialog.AddRow("beta");
    dialog.m_list.SetCheck(beta, 1);
    dialog.m_list.SendMessage(LB_SETITEMDATA, beta, 20);
    int alpha = dialog.AddRow("alpha");
    dialog.m_list.SendMessage(LB_SETITEMDATA, alpha, 10);
}

// Lets the driver run its script, then closes the dialog with Escape.
void RunDialog(CheckListDialog& dialog, DialogDriver& driver) {
    driver.PressEscape();
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(driver.Finished());
    EXPECT_FALSE(driver.TimedOut()) << driver.TimeOutText();
}
}  // namespace

TEST_F(CheckListBoxRun, CheckAndItemDataAreIndependent) {
    std::vector<LRESULT> got;
    CheckListDialog dialog([&](CheckListDialog& d) {
        int row = d.AddRow("only");
        got.push_back(d.m_list.GetCheck(row));                       // new row: clear
        got.push_back(d.m_list.SendMessage(LB_GETITEMDATA, row));    // new row: no value
        d.m_list.SendMessage(LB_SETITEMDATA, row, 0x1234);
        d.m_list.SetCheck(row, 5);                                   // any non-zero: checked
        got.push_back(d.m_list.GetCheck(row));
        got.push_back(d.m_list.SendMessage(LB_GETITEMDATA, row));
        d.m_list.SendMessage(LB_SETITEMDATA, row, 0x5678);
        got.push_back(d.m_list.GetCheck(row));
        d.m_list.SetCheck(row, 0);
        got.push_back(d.m_list.SendMessage(LB_GETITEMDATA, row));
        got.push_back(d.m_list.GetCheck(row));
        got.push_back(d.m_list.GetCheck(7));                         // no such row
        got.push_back(d.m_list.SendMessage(LB_GETITEMDATA, 7));
    });
    DialogDriver driver(kCaption);
    RunDialog(dialog, driver);
    EXPECT_EQ(got, (std::vector<LRESULT>{0, 0, 1, 0x1234, 1, 0x5678, 0, LB_ERR, LB_ERR}));
}

TEST_F(CheckListBoxRun, SortedInsertionKeepsStateAndValueWithTheirRows) {
    CheckListDialog dialog([](CheckListDialog& d) {
        AddTwoRows(d);
        int gamma = d.AddRow("gamma");
        d.m_list.SetCheck(gamma, 1);
        d.m_list.SendMessage(LB_SETITEMDATA, gamma, 30);
        int aardvark = d.AddRow("aardvark");  // moves every other row down
        d.m_list.SendMessage(LB_SETITEMDATA, aardvark, 5);
    });
    DialogDriver driver(kCaption);
    driver.ReadList(IDC_CHECK_LIST);
    RunDialog(dialog, driver);
    ASSERT_EQ(driver.Seen().size(), 1u);
    ExpectRows(driver.Seen()[0], {{"aardvark", 0, 5}, {"alpha", 0, 10}, {"beta", 1, 20}, {"gamma", 1, 30}}, "sorted");
}

TEST_F(CheckListBoxRun, DeletedRowsTakeTheirStateAlong) {
    CheckListDialog dialog([](CheckListDialog& d) {
        AddTwoRows(d);
        d.m_list.SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(-1), 99);  // every row
    });
    DialogDriver driver(kCaption);
    driver.ReadList(IDC_CHECK_LIST)
        .Run([](HWND hwnd) { SendDlgItemMessageA(hwnd, IDC_CHECK_LIST, LB_DELETESTRING, 0, 0); })
        .ReadList(IDC_CHECK_LIST)
        .Run([](HWND hwnd) {
            SendDlgItemMessageA(hwnd, IDC_CHECK_LIST, LB_RESETCONTENT, 0, 0);
            SendDlgItemMessageA(hwnd, IDC_CHECK_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("fresh"));
        })
        .ReadList(IDC_CHECK_LIST);
    RunDialog(dialog, driver);
    ASSERT_EQ(driver.Seen().size(), 3u);
    ExpectRows(driver.Seen()[0], {{"alpha", 0, 99}, {"beta", 1, 99}}, "value for every row");
    ExpectRows(driver.Seen()[1], {{"beta", 1, 99}}, "after deleting alpha");
    ExpectRows(driver.Seen()[2], {{"fresh", 0, 0}}, "after reset");
}

TEST_F(CheckListBoxRun, SpaceTogglesTheFocusedRowOnly) {
    CheckListDialog dialog(AddTwoRows);
    DialogDriver driver(kCaption);
    driver.PressSpace(IDC_CHECK_LIST, 1)
        .ReadList(IDC_CHECK_LIST)
        .PressSpace(IDC_CHECK_LIST, 0)
        .ReadList(IDC_CHECK_LIST)
        .PressSpace(IDC_CHECK_LIST, 1)
        .ReadList(IDC_CHECK_LIST);
    RunDialog(dialog, driver);
    ASSERT_EQ(driver.Seen().size(), 3u);
    ExpectRows(driver.Seen()[0], {{"alpha", 0, 10}, {"beta", 0, 20}}, "space on beta");
    ExpectRows(driver.Seen()[1], {{"alpha", 1, 10}, {"beta", 0, 20}}, "space on alpha");
    ExpectRows(driver.Seen()[2], {{"alpha", 1, 10}, {"beta", 1, 20}}, "space on beta again");
}

TEST_F(CheckListBoxRun, ClickOnTheBoxTogglesAndOnTheTextDoesNot) {
    CheckListDialog dialog(AddTwoRows);
    DialogDriver driver(kCaption);
    driver.ClickCheckBox(IDC_CHECK_LIST, 0)
        .ReadList(IDC_CHECK_LIST)
        .ClickRowText(IDC_CHECK_LIST, 1)
        .ReadList(IDC_CHECK_LIST)
        .ClickCheckBox(IDC_CHECK_LIST, 0)
        .ReadList(IDC_CHECK_LIST)
        .DoubleClickCheckBox(IDC_CHECK_LIST, 1)
        .ReadList(IDC_CHECK_LIST);
    RunDialog(dialog, driver);
    ASSERT_EQ(driver.Seen().size(), 4u);
    ExpectRows(driver.Seen()[0], {{"alpha", 1, 10}, {"beta", 1, 20}}, "box of alpha");
    ExpectRows(driver.Seen()[1], {{"alpha", 1, 10}, {"beta", 1, 20}}, "text of beta");
    ExpectRows(driver.Seen()[2], {{"alpha", 0, 10}, {"beta", 1, 20}}, "box of alpha again");
    ExpectRows(driver.Seen()[3], {{"alpha", 0, 10}, {"beta", 1, 20}}, "double click on beta's box");
}

namespace {
// What row `row` of a list shows when painted into a bitmap: dark pixels and
// pixels of the grey-text colour, inside its check box and right of it.
struct PaintedRow {
    int darkInBox = 0, greyInBox = 0, darkText = 0, greyText = 0;
};

std::vector<PaintedRow> PaintRows(HWND list, int rows) {
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    RECT client;
    GetClientRect(list, &client);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    const DWORD greyPixel = GetRValue(grey) << 16 | GetGValue(grey) << 8 | GetBValue(grey);
    auto at = [&](LONG x, LONG y) { return pixels[y * client.right + x] & 0xFFFFFF; };
    std::vector<PaintedRow> painted;
    for (int row = 0; row < rows; ++row) {
        RECT item;
        SendMessageA(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
        const RECT box = CCheckListBox::CheckBoxRect(item);
        PaintedRow seen;
        for (LONG y = box.top + 3; y < box.bottom - 3; ++y)
            for (LONG x = box.left + 3; x < box.right - 3; ++x) {
                seen.darkInBox += (at(x, y) & 0x808080) == 0;
                seen.greyInBox += at(x, y) == greyPixel;
            }
        for (LONG y = item.top + 1; y < item.bottom - 1; ++y)
            for (LONG x = box.right + 4; x < item.right - 1; ++x) {
                seen.darkText += (at(x, y) & 0x808080) == 0;
                seen.greyText += at(x, y) == greyPixel;
            }
        painted.push_back(seen);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return painted;
}
}  // namespace

TEST_F(CheckListBoxRun, RowsAreDrawnWithTheirBoxes) {
    CheckListDialog dialog(AddTwoRows);
    LRESULT itemHeight = 0;
    std::vector<PaintedRow> painted;
    DialogDriver driver(kCaption);
    driver.Run([&](HWND hwnd) {
        HWND list = GetDlgItem(hwnd, IDC_CHECK_LIST);
        itemHeight = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
        painted = PaintRows(list, 2);
    });
    RunDialog(dialog, driver);
    EXPECT_GE(itemHeight, 13);
    ASSERT_EQ(painted.size(), 2u);
    EXPECT_EQ(painted[0].darkInBox, 0) << "alpha is clear";
    EXPECT_GT(painted[1].darkInBox, 0) << "beta shows its check mark";
    EXPECT_GT(painted[0].darkText + painted[1].darkText, 0) << "row texts drawn";
}

// A disabled row keeps its check against space, click and double click,
// still takes SetCheck, and is drawn greyed; its neighbour works as before.
TEST_F(CheckListBoxRun, DisabledRowIgnoresSpaceAndClicksAndIsDrawnGreyed) {
    std::vector<int> enabledStates;
    CheckListDialog dialog([&](CheckListDialog& d) {
        AddTwoRows(d);
        d.m_list.Enable(1, FALSE);
        enabledStates = {d.m_list.IsEnabled(0), d.m_list.IsEnabled(1), d.m_list.IsEnabled(7)};
    });
    std::vector<PaintedRow> painted;
    DialogDriver driver(kCaption);
    driver.PressSpace(IDC_CHECK_LIST, 1)
        .ClickCheckBox(IDC_CHECK_LIST, 1)
        .DoubleClickCheckBox(IDC_CHECK_LIST, 1)
        .Run([&](HWND hwnd) { painted = PaintRows(GetDlgItem(hwnd, IDC_CHECK_LIST), 2); })
        .PressSpace(IDC_CHECK_LIST, 0)
        .ReadList(IDC_CHECK_LIST)
        .Run([&](HWND) { dialog.m_list.SetCheck(1, 0); })
        .ReadList(IDC_CHECK_LIST);
    RunDialog(dialog, driver);
    EXPECT_EQ(enabledStates, (std::vector<int>{TRUE, FALSE, LB_ERR}));
    ASSERT_EQ(driver.Seen().size(), 2u);
    ExpectRows(driver.Seen()[0], {{"alpha", 1, 10}, {"beta", 1, 20}}, "keys and clicks");
    EXPECT_EQ(driver.Seen()[0].rows[0].enabled, 1);
    EXPECT_EQ(driver.Seen()[0].rows[1].enabled, 0);
    ExpectRows(driver.Seen()[1], {{"alpha", 1, 10}, {"beta", 0, 20}}, "SetCheck");
    ASSERT_EQ(painted.size(), 2u);
    EXPECT_GT(painted[0].darkText, 0) << "alpha in the normal colour";
    EXPECT_EQ(painted[0].greyText, 0) << "alpha not greyed";
    EXPECT_EQ(painted[1].darkText + painted[1].darkInBox, 0) << "nothing of beta in the normal colour";
    EXPECT_GT(painted[1].greyText, 0) << "beta's text greyed";
    EXPECT_GT(painted[1].greyInBox, 0) << "beta's check mark greyed";
}
