// A thousand starts and stops of the real module in one process, each with
// both dialogs opened and closed: handles and memory stay flat.
#include "tests/fixtures/Fixtures.h"
#include "tests/support/ProbeHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
struct Figures {
    unsigned long handleCount = 0, nextHandle = 0, heap = 0, pagefile = 0;
};

bool ReadFigures(const std::string& output, const char* label, Figures& f) {
    const size_t at = output.find(std::string(label) + " handle-count=");
    return at != std::string::npos &&
           std::sscanf(output.c_str() + at + std::string(label).size(),
                       " handle-count=%lu next-handle=%lu heap=%lu pagefile=%lu", &f.handleCount, &f.nextHandle,
                       &f.heap, &f.pagefile) == 4;
}
}  // namespace

TEST(Soak, ThousandRoundsLeakNoHandleAndNoMemory) {
    ScratchHkcu hkcu;
    ProbeHost host;
    ASSERT_TRUE(host.installed());
    ASSERT_TRUE(host.AddSnapin(fixtures::kObjectDll, "OBJECT.DLL"));
    ASSERT_TRUE(host.AddSnapin(fixtures::kViewDll, "VIEW.DLL"));

    const std::string output = host.Run(hkcu, "--soak 1000");
    Figures before, after;
    ASSERT_NE(output.find("soak rounds=1000"), std::string::npos) << output;
    ASSERT_TRUE(ReadFigures(output, "before", before) && ReadFigures(output, "after", after)) << output;
    std::printf("%s", output.substr(output.find("soak ")).c_str());
    EXPECT_EQ(output.find("dialog="), std::string::npos) << "every dialog was driven: " << output;

    ASSERT_GT(before.nextHandle, 0u);
    ASSERT_GT(before.heap, 0u);
    EXPECT_LE(after.nextHandle, before.nextHandle + 8) << "handles leaked";
    if (before.handleCount) {
        EXPECT_LE(after.handleCount, before.handleCount + 2);
    }
    // 990 rounds: a leak of even a few hundred bytes a round would show.
    EXPECT_LT(after.heap, before.heap + 64 * 1024) << "heap blocks leaked";
    EXPECT_LT(after.pagefile, before.pagefile + 1024 * 1024);
}
