#pragma once
// The scaffolding of the module benchmarks: a host directory with the real
// module in it, the module's exports, a clock, and the figure lines that
// scripts/bench reads ("figure NAME MILLISECONDS").
#include "tests/support/Scratch.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The host directory (of the running executable), with its backslash.
std::string HostDirectory();
std::string SnapinsDirectory();

struct BenchOptions {
    bool brief = false;       // one repetition of the small cases only
    bool dialogOnly = false;  // the configuration dialog's cases alone
    std::string baseline;     // --baseline DLL: an earlier PLUGWARD.DLL, timed in turn with this one
    int repetitions() const { return brief ? 1 : 7; }
};

// PLUGWARD.DLL loaded from the directory of the running executable, which is
// the host directory: the module takes SNAPINS\ from there.
class LoadedModule {
public:
    explicit LoadedModule(const std::string& path = HostDirectory() + "PLUGWARD.DLL");
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    bool loaded() const { return m_module != nullptr; }
    int InitSnapin() const;
    void ShutDown() const;
    void MenuAction() const;

private:
    HMODULE m_module = nullptr;
};

// Medians of `repetitions` figures from each of `measures`, taken in turn
// (one of each, then again) so that a change in the machine's load falls on
// all of them alike; one round before is not counted. A median is negative
// when any of its figures was (a run that went wrong).
using Measure = std::function<double()>;
std::vector<double> InterleavedMedians(int repetitions, const std::vector<Measure>& measures);
// A measure: the wall time of one run of `work`, in milliseconds.
Measure WallMilliseconds(std::function<void()> work);

double ElapsedMilliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& stop);

// Prints "figure NAME MILLISECONDS"; a negative figure marks a run that went
// wrong and makes FiguresFailed() true.
void PrintFigure(const std::string& name, double milliseconds);
bool FiguresFailed();


// Copies the executable, admext32.dll, PLUGWARD.DLL and the trusted
// publisher's signed snap-in, Blob and thumbprint into a fresh host
// directory, and `baseline` (when given) into its BASELINE\ directory, and
// runs the copy there with `arguments`, passing its output on.
int RunInFreshHost(const std::string& arguments, const std::string& baseline);
// Where RunInFreshHost puts the baseline module, below the host directory.
extern const char kBaselineModule[];

// The benchmarks, each run in the host directory.
// `baseline`, when not null, is timed in turn with `module` in each start-up case.
void BenchStartup(const BenchOptions& options, const LoadedModule& module, const LoadedModule* baseline);
void BenchConfigDialog(const BenchOptions& options, const LoadedModule& module, const std::string& binDirectory);
void BenchCheckImage(const BenchOptions& options);
