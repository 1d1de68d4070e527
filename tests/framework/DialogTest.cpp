#include "framework/WinApp.h"
#include "tests/framework/TestDialogs.h"
#include "tests/support/DialogDriver.h"

#include <gtest/gtest.h>

namespace {
class DialogRun : public ::testing::Test {
protected:
    void SetUp() override { AfxSetResourceHandle(GetModuleHandleA(nullptr)); }
    void TearDown() override { AfxSetResourceHandle(nullptr); }
};

LONG Middle(LONG start, LONG end) { return (start + end) / 2; }

// Where the dialog stood once it had opened; Escape closes it.
RECT OpenedWindow(UINT templateId, const char* caption) {
    CheckListDialog dialog({}, templateId);
    DialogDriver driver(caption);
    driver.ReadList().PressEscape();
    EXPECT_EQ(dialog.DoModal(), IDCANCEL) << caption;
    EXPECT_TRUE(driver.Finished()) << caption;
    return driver.Seen().empty() ? RECT{} : driver.Seen()[0].window;
}

void ExpectCentredOnWorkArea(const RECT& window, const char* caption) {
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_NEAR(Middle(window.left, window.right), Middle(area.left, area.right), 1) << caption;
    EXPECT_NEAR(Middle(window.top, window.bottom), Middle(area.top, area.bottom), 1) << caption;
}
}  // namespace

TEST_F(DialogRun, MissingTemplateGivesMinusOne) {
    CheckListDialog missing({}, IDD_MISSING);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST_F(DialogRun, TemplateComesFromTheResourceHandle) {
    // The test program holds the template, but the resource module does not.
    AfxSetResourceHandle(GetModuleHandleA("kernel32.dll"));
    CheckListDialog dialog;
    EXPECT_EQ(dialog.DoModal(), -1);
}

TEST_F(DialogRun, TemplateAtOriginIsCentred) {
    ExpectCentredOnWorkArea(OpenedWindow(IDD_CHECK_LIST, "Framework Check List"), "DIALOG");
    ExpectCentredOnWorkArea(OpenedWindow(IDD_EXTENDED, "Framework Extended"), "DIALOGEX");
}

TEST_F(DialogRun, PlacedTemplateKeepsItsPlace) {
    const RECT window = OpenedWindow(IDD_PLACED, "Framework Placed");
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_GT(window.right, window.left);
    EXPECT_LT(window.left, Middle(area.left, area.right) - (window.right - window.left) / 2 - 10);
    EXPECT_LT(window.top, Middle(area.top, area.bottom) - (window.bottom - window.top) / 2 - 10);
}

TEST_F(DialogRun, EnterReachesOnOK) {
    CheckListDialog dialog;
    DialogDriver driver("Framework Check List");
    driver.PressEnter();
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(dialog.okCalls, 1);
    EXPECT_EQ(dialog.cancelCalls, 0);
}

TEST_F(DialogRun, EscapeReachesOnCancel) {
    CheckListDialog dialog;
    DialogDriver driver("Framework Check List");
    driver.PressEscape();
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.cancelCalls, 1);
    EXPECT_EQ(dialog.okCalls, 0);
}

TEST_F(DialogRun, ClickedButtonReachesOnOK) {
    CheckListDialog dialog;
    DialogDriver driver("Framework Check List");
    driver.ClickButton(IDOK);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.okCalls, 1);
}

TEST_F(DialogRun, DerivedTableWinsOverBase) {
    OwnCloseDialog dialog;
    DialogDriver driver("Framework Check List");
    driver.ClickButton(IDC_APPLY).PressEnter();
    EXPECT_EQ(dialog.DoModal(), 0);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(dialog.closeCalls, 1);
    EXPECT_EQ(dialog.okCalls, 0);
    EXPECT_EQ(dialog.applyCalls, 1);  // from the table between derived and base
}

TEST_F(DialogRun, CommandWithoutHandlerKeepsDialogOpen) {
    CheckListDialog dialog;
    DialogDriver driver("Framework Check List");
    driver.Run([](HWND hwnd) { PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(4321, BN_CLICKED), 0); })
        .ClickButton(IDC_APPLY)
        .Run([](HWND hwnd) { PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, LBN_SELCHANGE), 0); })
        .ReadList()
        .PressEscape();
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(driver.Seen().size(), 1u);  // still open after the stray commands
    EXPECT_EQ(dialog.applyCalls, 1);
    EXPECT_EQ(dialog.okCalls, 0);  // a notification other than a click is no command
}
