#pragma once
// Shared setting of the dialog tests: the templates come from the test
// program itself, and snap-in files sit in SNAPINS\ below a scratch current
// directory, where the relative path "SNAPINS\X.DLL" finds them.
#include "tests/support/DialogDriver.h"
#include "tests/support/Scratch.h"

#include <gtest/gtest.h>
#include <string>

class UiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

class SnapinsDirectory {
public:
    SnapinsDirectory();
    ~SnapinsDirectory();
    SnapinsDirectory(const SnapinsDirectory&) = delete;
    SnapinsDirectory& operator=(const SnapinsDirectory&) = delete;

    // Copies the fixture module to SNAPINS\<name>.
    bool Install(const char* fixture, const char* name) const;

private:
    TempDir m_dir;
    std::string m_previous;
};

// The dialog opened in the middle of the work area.
void ExpectCentred(const SeenDialog& seen);
