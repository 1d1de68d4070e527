// The fault sweep: for each scenario, a run without faults counts the calls
// of every shimmed function; then each call k = 1 ... N of each function
// fails in one run of its own. Every run must leave the host alive, the
// lists intact and the handle and heap figures where they were.
#include "tests/faults/FaultScenarios.h"
#include "tests/support/ProbeHost.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {
struct Range {
    std::string call;
    unsigned long from, to;
};

struct SweepResult {
    std::map<std::string, unsigned long> calls;     // from the counting run
    std::map<std::string, unsigned long> injected;  // runs in which the fault was injected
    std::vector<std::string> failures;              // "CALL K: what went wrong"
    std::string cleanRun;
    std::string notImported;
    unsigned long notReached = 0;  // runs that ended before the k-th call
    unsigned long repeated = 0;   // runs whose figures moved once and were flat when run again
    std::string largestFirstUse;  // "heap=+N handle=+M" of the largest such move
    long largestHeap = -1;
};

class FaultRig {
public:
    explicit FaultRig(const FaultScenario& scenario)
        : m_scenario(scenario), m_host(scenario.moduleName, "fault_host.exe") {
        m_ready = m_host.installed();
        for (const auto& file : scenario.files) {
            const bool inSnapins = file.second.rfind("SNAPINS\\", 0) == 0;
            m_ready = m_ready && (inSnapins ? m_host.AddSnapin(file.first, file.second.substr(8))
                                            : m_host.AddFile(file.first, file.second));
        }
        CRegistryKey machine;  // the host's HKEY_LOCAL_MACHINE, below its HKEY_CURRENT_USER
        if (scenario.trustsPublisher)
            m_ready = m_ready && RegCreateKeyExA(m_hkcu.key(), "Machine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &machine.Receive(), nullptr) == 0 &&
                      UseAuthenticode(machine) && RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr) == 0;
    }
    bool ready() const { return m_ready; }
    std::string Run(const std::string& steps) const {
        return m_host.Run(m_hkcu, "--scenario " + m_scenario.name + " " + steps);
    }

    // The counting run: the calls of each function, the clean run's line and
    // the shimmed functions the module does not import.
    void Count(SweepResult& result) const {
        const std::string output = Run("--count");
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("end none", 0) == 0) result.cleanRun = line;
            if (line.rfind("not-imported", 0) == 0) result.notImported = line.substr(12);
            if (line.rfind("calls ", 0) != 0) continue;
            std::istringstream words(line.substr(6));
            for (std::string word; words >> word;) {
                const size_t equals = word.find('=');
                result.calls[word.substr(0, equals)] = std::strtoul(word.c_str() + equals + 1, nullptr, 10);
            }
        }
        if (result.calls.empty()) result.cleanRun = output;
    }

    // Runs the ranges; a run that ends the process is a failure, and the
    // sweep goes on after it in a new process.
    void Sweep(std::vector<Range> ranges, SweepResult& result) const {
        while (!ranges.empty()) {
            std::string steps = "--sweep";
            for (const Range& r : ranges)
                steps += " " + r.call + " " + std::to_string(r.from) + " " + std::to_string(r.to);
            const std::string output = Run(steps);
            std::string begun;  // "CALL K" of a run without its end
            std::istringstream lines(output);
            for (std::string line; std::getline(lines, line);) {
                if (line.rfind("begin ", 0) == 0) begun = line.substr(6);
                if (line.rfind("first ", 0) == 0) NoteFirstUse(line.substr(6), result);
                if (line.rfind("end ", 0) != 0 || line.rfind("end none", 0) == 0) continue;
                const std::string run = line.substr(4, line.find(" injected=") - 4);
                begun.clear();
                if (line.find("injected=1") != std::string::npos) ++result.injected[run.substr(0, run.find(' '))];
                else ++result.notReached;  // painting varies the calls of a run: this one came fewer than k times
                if (line.find("problems=none") == std::string::npos) result.failures.push_back(run + ": " + line);
            }
            if (begun.empty()) return;
            const std::string tail = output.substr(output.rfind("begin " + begun) + 6 + begun.size());
            ++result.injected[begun.substr(0, begun.find(' '))];
            result.failures.push_back(begun + ": process ended:" + tail);
            ranges = After(ranges, begun);
        }
    }

private:
    static void NoteFirstUse(const std::string& figures, SweepResult& result) {
        ++result.repeated;
        const long heap = std::strtol(figures.c_str() + figures.find('=') + 1, nullptr, 10);
        if (heap > result.largestHeap) result.largestHeap = heap, result.largestFirstUse = figures;
    }

    // The ranges left after the run "CALL K".
    static std::vector<Range> After(const std::vector<Range>& ranges, const std::string& run) {
        const std::string call = run.substr(0, run.find(' '));
        const unsigned long k = std::strtoul(run.c_str() + run.find(' ') + 1, nullptr, 10);
        std::vector<Range> rest;
        bool reached = false;
        for (Range r : ranges) {
            if (!reached && r.call == call && k >= r.from && k <= r.to) {
                reached = true;
                r.from = k + 1;
                if (r.from > r.to) continue;
            } else if (!reached) {
                continue;
            }
            rest.push_back(r);
        }
        return rest;
    }

    const FaultScenario& m_scenario;
    ScratchHkcu m_hkcu;
    ProbeHost m_host;
    bool m_ready = false;
};

std::vector<Range> EveryK(const std::map<std::string, unsigned long>& calls) {
    std::vector<Range> ranges;
    for (const auto& call : calls)
        if (call.second > 0) ranges.push_back({call.first, 1, call.second});
    return ranges;
}
}  // namespace

void PrintTo(const FaultScenario& scenario, std::ostream* out) { *out << scenario.name; }

namespace {
class FaultSweep : public testing::TestWithParam<FaultScenario> {};

TEST_P(FaultSweep, EveryFailingCallLeavesHostListsAndFiguresIntact) {
    const FaultScenario& scenario = GetParam();
    FaultRig rig(scenario);
    ASSERT_TRUE(rig.ready());
    SweepResult result;
    rig.Count(result);
    ASSERT_FALSE(result.calls.empty()) << result.cleanRun;
    EXPECT_NE(result.cleanRun.find("problems=none"), std::string::npos) << result.cleanRun;
    rig.Sweep(EveryK(result.calls), result);

    std::printf("%s: injected faults per call of N; %lu runs repeated for a first-use cost (largest %s);"
                " not imported:%s\n",
                scenario.name.c_str(), result.repeated, result.largestFirstUse.c_str(), result.notImported.c_str());
    unsigned long total = 0;
    for (const auto& call : result.calls) {
        if (call.second == 0) continue;
        std::printf("  %-24s %4lu of %4lu\n", call.first.c_str(), result.injected[call.first], call.second);
        total += result.injected[call.first];
    }
    std::printf("  %-24s %4lu (%lu runs ended before their k-th call)\n", "total", total, result.notReached);
    for (const std::string& failure : result.failures) ADD_FAILURE() << scenario.name << " " << failure;
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultSweep, testing::ValuesIn(FaultScenarios()),
                         [](const testing::TestParamInfo<FaultScenario>& info) { return info.param.name; });

// What the sweep found, each kept as a case of its own: the run that showed
// it, by scenario, failing call and k as counted on this build. (Should the
// calls move, the full sweep above still covers every k.)
struct Finding {
    const char* name;
    const char* scenario;
    const char* call;
    unsigned long k;
    const char* untrusted = nullptr;  // an entry the failure must move off its enabled list
};

const Finding kFindings[] = {
    {"StartupFailedAllocationInInitSnapin", "startup", "malloc", 1},
    {"StartupFailedAllocationInNewSnapinsDialog", "startup", "malloc", 54},
    {"StartupRowWithoutCheckStateWrittenDisabled", "startup", "malloc", 59},
    {"StartupUnreadListReoffersDisabledSnapin", "startup", "RegEnumValueA", 6},
    {"StartupUncopiedNameReoffersDisabledSnapin", "startup", "malloc", 27},
    {"RegisterFailedAllocationInInitSnapin", "register", "malloc", 1},
    {"RegisterFailedProbeLosesCanonicalData", "register", "FindFirstFileA", 1},
    {"ConfigureFailedAllocationInConfigurationDialog", "configure", "malloc", 1},
    // Each failure of Authenticode's calls counts as untrusted: its libraries, its first entry point,
    // the verification, either store (the Group Policy one's, k 2, was passed over when the other held the signer).
    {"TrustWithoutWintrust", "trust", "LoadLibraryA", 1, "SIGNED.DLL"},
    {"TrustWithoutCrypt32", "trust", "LoadLibraryA", 2, "SIGNED.DLL"},
    {"TrustWithoutWinVerifyTrustEntry", "trust", "GetProcAddress", 1, "SIGNED.DLL"},
    {"TrustVerificationFailing", "trust", "WinVerifyTrust", 1, "SIGNED.DLL"},
    {"TrustStoreNotOpening", "trust", "CertOpenStore", 1, "SIGNED.DLL"},
    {"TrustGroupPolicyStoreNotOpening", "trust", "CertOpenStore", 2, "SIGNED.DLL"},
};

void PrintTo(const Finding& finding, std::ostream* out) { *out << finding.name; }

class FaultFinding : public testing::TestWithParam<Finding> {};

TEST_P(FaultFinding, RunsClean) {
    const Finding& finding = GetParam();
    FaultRig rig(*FindFaultScenario(finding.scenario));
    ASSERT_TRUE(rig.ready());
    SweepResult result;
    rig.Sweep({{finding.call, finding.k, finding.k}}, result);
    EXPECT_EQ(result.injected[finding.call], 1u);
    for (const std::string& failure : result.failures) ADD_FAILURE() << finding.scenario << " " << failure;
    // The host's lists, as its last run left them.
    EXPECT_TRUE(!finding.untrusted ||
                (!ReadList(kObjectOn).count(finding.untrusted) && ReadList(kObjectOff).count(finding.untrusted)));
}

INSTANTIATE_TEST_SUITE_P(Regressions, FaultFinding, testing::ValuesIn(kFindings),
                         [](const testing::TestParamInfo<Finding>& info) { return std::string(info.param.name); });
}  // namespace
