#include "tests/ui/UiTest.h"

#include "framework/WinApp.h"

void UiTest::SetUp() { AfxSetResourceHandle(GetModuleHandleA(nullptr)); }

void UiTest::TearDown() { AfxSetResourceHandle(nullptr); }

SnapinsDirectory::SnapinsDirectory() {
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    m_previous = previous;
    CreateDirectoryA((m_dir / "SNAPINS").c_str(), nullptr);
    SetCurrentDirectoryA(m_dir.path().c_str());
}

SnapinsDirectory::~SnapinsDirectory() { SetCurrentDirectoryA(m_previous.c_str()); }

bool SnapinsDirectory::Install(const char* fixture, const char* name) const {
    return CopyFileA((ExecutableDirectory() + fixture).c_str(), (m_dir / "SNAPINS\\" + name).c_str(), FALSE) != FALSE;
}

void ExpectCentred(const SeenDialog& seen) {
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_NEAR((seen.window.left + seen.window.right) / 2, (area.left + area.right) / 2, 1) << seen.caption;
    EXPECT_NEAR((seen.window.top + seen.window.bottom) / 2, (area.top + area.bottom) / 2, 1) << seen.caption;
}
