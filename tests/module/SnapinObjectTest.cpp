// The singleton rules of the module's snap-in object.
#include "module/Snapin.h"

#include <gtest/gtest.h>

namespace {
class TestSnapin : public CSnapin {
public:
    explicit TestSnapin(const char* name) : CSnapin(name) {}
    int OnInit() override { return 0; }
    void OnShutDown() override {}
};
}  // namespace

TEST(SnapinObject, FirstObjectIsTheSingletonAndASecondLeavesItAlone) {
    ASSERT_EQ(CSnapin::GetSnapin(), nullptr);
    {
        TestSnapin first("first");
        EXPECT_EQ(CSnapin::GetSnapin(), &first);
        {
            TestSnapin second("second");
            EXPECT_EQ(CSnapin::GetSnapin(), &first);
        }
        EXPECT_EQ(CSnapin::GetSnapin(), &first) << "destroying the second object must keep the first reachable";
    }
    EXPECT_EQ(CSnapin::GetSnapin(), nullptr);
}

TEST(SnapinObject, CopyTextIsIndependentOfItsSource) {
    char source[] = "Snap-in Configuration";
    auto copy = CopyText(source);
    source[0] = 'X';
    EXPECT_STREQ(copy.get(), "Snap-in Configuration");
}
