// The fault sweep: for each scenario, a run without faults counts the calls
// of every shimmed function; then each call k = 1 ... N of each function
// fails in one run of its own. Every run must leave the host alive, the
// lists intact and the handle and heap figures where they were.
//
// PLUGWARD_FAULTS=full sweeps every k of every scenario; otherwise the
// start-up is swept in full and the other two at sampled k.
#include "tests/faults/FaultScenarios.h"
#include "tests/support/ProbeHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace {
struct Range {
    std::string call;
    unsigned long from, to, step;
};

struct SweepResult {
    std::map<std::string, unsigned long> calls;     // from the counting run
    std::map<std::string, unsigned long> injected;  // runs in which the fault was injected
    std::vector<std::string> failures;              // "CALL K: what went wrong"
    std::string cleanRun;
};

class FaultRig {
public:
    explicit FaultRig(const FaultScenario& scenario) : m_scenario(scenario), m_host(scenario.moduleName, "fault_host.exe") {
        m_ready = m_host.installed();
        for (const auto& file : scenario.files) {
            if (file.second.rfind("SNAPINS\\", 0) == 0) m_ready = m_ready && m_host.AddSnapin(file.first, file.second.substr(8));
            else m_ready = m_ready && m_host.AddFile(file.first, file.second);
        }
    }
    bool ready() const { return m_ready; }
    std::string Run(const std::string& steps) const { return m_host.Run(m_hkcu, "--scenario " + m_scenario.name + " " + steps); }

    std::map<std::string, unsigned long> Count(std::string& cleanRun) const {
        const std::string output = Run("--count");
        std::map<std::string, unsigned long> calls;
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("end none", 0) == 0) cleanRun = line;
            if (line.rfind("calls ", 0) != 0) continue;
            std::istringstream words(line.substr(6));
            for (std::string word; words >> word;)
                calls[word.substr(0, word.find('='))] = std::strtoul(word.c_str() + word.find('=') + 1, nullptr, 10);
        }
        if (calls.empty()) cleanRun = output;
        return calls;
    }

    // Runs the ranges; a run that ends the process is a failure, and the
    // sweep goes on after it in a new process.
    void Sweep(std::vector<Range> ranges, SweepResult& result) const {
        while (!ranges.empty()) {
            std::string steps = "--sweep";
            for (const Range& r : ranges)
                steps += " " + r.call + " " + std::to_string(r.from) + " " + std::to_string(r.to) + " " + std::to_string(r.step);
            const std::string output = Run(steps);
            std::string begun;  // "CALL K" of a run without its end
            std::istringstream lines(output);
            for (std::string line; std::getline(lines, line);) {
                if (line.rfind("begin ", 0) == 0) begun = line.substr(6);
                if (line.rfind("end ", 0) != 0 || line.rfind("end none", 0) == 0) continue;
                const std::string run = line.substr(4, line.find(" injected=") - 4);
                begun.clear();
                if (line.find("injected=1") != std::string::npos) ++result.injected[run.substr(0, run.find(' '))];
                else result.failures.push_back(run + ": no fault injected");
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
    // The ranges left after the run "CALL K".
    static std::vector<Range> After(const std::vector<Range>& ranges, const std::string& run) {
        const std::string call = run.substr(0, run.find(' '));
        const unsigned long k = std::strtoul(run.c_str() + run.find(' ') + 1, nullptr, 10);
        std::vector<Range> rest;
        bool reached = false;
        for (Range r : ranges) {
            if (!reached && r.call == call && k >= r.from && k <= r.to) {
                reached = true;
                r.from = k + r.step;
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

bool FullSweep(const FaultScenario& scenario) {
    const char* mode = std::getenv("PLUGWARD_FAULTS");
    return scenario.name == "startup" || (mode && std::string(mode) == "full");
}

// Every k, or about eight spread over 1 ... N, the first and last included.
std::vector<Range> PlanRanges(const std::map<std::string, unsigned long>& calls, bool full) {
    std::vector<Range> ranges;
    for (const auto& call : calls) {
        if (call.second == 0) continue;
        const unsigned long step = full ? 1 : std::max(1ul, call.second / 8);
        ranges.push_back({call.first, 1, call.second, step});
        if ((call.second - 1) % step != 0) ranges.push_back({call.first, call.second, call.second, 1});
    }
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
    result.calls = rig.Count(result.cleanRun);
    ASSERT_FALSE(result.calls.empty()) << result.cleanRun;
    EXPECT_NE(result.cleanRun.find("problems=none"), std::string::npos) << result.cleanRun;
    const bool full = FullSweep(scenario);
    rig.Sweep(PlanRanges(result.calls, full), result);

    std::printf("%s (%s): injected faults per call of N\n", scenario.name.c_str(), full ? "every k" : "sampled k");
    unsigned long total = 0;
    for (const auto& call : result.calls) {
        if (call.second == 0) continue;
        std::printf("  %-24s %4lu of %4lu\n", call.first.c_str(), result.injected[call.first], call.second);
        total += result.injected[call.first];
    }
    std::printf("  %-24s %4lu\n", "total", total);
    for (const std::string& failure : result.failures) ADD_FAILURE() << scenario.name << " " << failure;
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultSweep, testing::ValuesIn(FaultScenarios()),
                         [](const testing::TestParamInfo<FaultScenario>& info) { return info.param.name; });
}  // namespace
