// A thousand starts and stops of the real module in one process, each with
// both dialogs opened and closed, and a thousand cycles that also load and
// unload it: handles, objects and memory stay flat.
#include "tests/fixtures/Fixtures.h"
#include "tests/support/ProbeHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
struct Figures {
    unsigned long handleCount = 0, nextHandle = 0, nextGdi = 0, windows = 0, heap = 0, pagefile = 0;
};

bool ReadFigures(const std::string& output, const char* label, Figures& f) {
    const size_t at = output.find(std::string(label) + " handle-count=");
    return at != std::string::npos &&
           std::sscanf(output.c_str() + at + std::string(label).size(),
                       " handle-count=%lu next-handle=%lu next-gdi=%lu windows=%lu heap=%lu pagefile=%lu",
                       &f.handleCount, &f.nextHandle, &f.nextGdi, &f.windows, &f.heap, &f.pagefile) == 6;
}

// 1,000 rounds, or PLUGWARD_SOAK_ROUNDS (at least 40): the quick run of
// scripts/test takes 100, scripts/soak the full count.
int SoakRounds() {
    char text[16] = "";
    const DWORD length = GetEnvironmentVariableA("PLUGWARD_SOAK_ROUNDS", text, sizeof text);
    const int rounds = length > 0 && length < sizeof text ? std::atoi(text) : 1000;
    return rounds >= 40 ? rounds : 1000;
}

// Runs the probe's `mode` (--soak or --cycles) for SoakRounds() rounds; after
// the first 20, nothing may be left behind but 16 KB of heap per 980 rounds
// (under 17 bytes a round). Wine's own committed memory settles over some
// hundred rounds, and grows with every load and unload of any DLL, a C one
// too, so the process's committed memory is checked over the second half, and
// only where nothing is unloaded.
void ExpectNothingLeftBehind(const char* mode, const char* summary, bool unloads) {
    const int rounds = SoakRounds();
    const unsigned long heapAllowance = 16 * 1024UL * (rounds - 20) / 980;
    ScratchHkcu hkcu;
    ProbeHost host;
    ASSERT_TRUE(host.installed());
    ASSERT_TRUE(host.AddSnapin(fixtures::kObjectDll, "OBJECT.DLL"));
    ASSERT_TRUE(host.AddSnapin(fixtures::kViewDll, "VIEW.DLL"));

    const std::string output = host.Run(hkcu, std::string(mode) + " " + std::to_string(rounds));
    Figures before, middle, after;
    ASSERT_NE(output.find(std::string(summary) + " rounds=" + std::to_string(rounds)), std::string::npos) << output;
    ASSERT_TRUE(ReadFigures(output, "before", before) && ReadFigures(output, "middle", middle) &&
                ReadFigures(output, "after", after))
        << output;
    std::printf("%s", output.substr(output.find(summary)).c_str());
    EXPECT_EQ(output.find("dialog="), std::string::npos) << "every dialog was driven: " << output;
    EXPECT_EQ(output.find("module-left-loaded"), std::string::npos) << output;

    ASSERT_GT(before.nextHandle, 0u);
    ASSERT_GT(before.heap, 0u);
    EXPECT_LE(after.nextHandle, before.nextHandle) << "kernel handles leaked";
    EXPECT_LE(after.nextGdi, before.nextGdi) << "GDI objects leaked";
    EXPECT_LE(after.windows, before.windows) << "windows leaked";
    if (before.handleCount) {
        EXPECT_LE(after.handleCount, before.handleCount);
    }
    EXPECT_LE(after.heap, before.heap + heapAllowance) << "heap blocks leaked";
    // Wine's committed memory has not settled by the middle of a short run
    // (under emulation it still grows by megabytes): the full count checks it.
    if (!unloads && rounds >= 1000) {
        EXPECT_LT(after.pagefile, middle.pagefile + 1024 * 1024);
    }
}
}  // namespace

TEST(Soak, ThousandRoundsLeaveNothingBehind) { ExpectNothingLeftBehind("--soak", "soak", false); }

TEST(Soak, ThousandLoadToUnloadCyclesLeaveNothingBehind) { ExpectNothingLeftBehind("--cycles", "cycles", true); }
