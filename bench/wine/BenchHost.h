#pragma once
// The scaffolding of the module benchmarks: a host directory with the real
// module in it, the module's exports, a clock, and the figure lines that
// scripts/bench reads ("figure NAME MILLISECONDS").
#include "tests/support/Scratch.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct BenchOptions {
    bool brief = false;  // one repetition of the small cases only
    bool dialogOnly = false;  // the configuration dialog's cases alone
    int repetitions() const { return brief ? 1 : 7; }
};

// PLUGWARD.DLL loaded from the directory of the running executable, which is
// the host directory: the module takes SNAPINS\ from there.
class LoadedModule {
public:
    LoadedModule();
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

// The host directory (of the running executable), with its backslash.
std::string HostDirectory();
std::string SnapinsDirectory();

// Copies the executable, admext32.dll and PLUGWARD.DLL into a fresh host
// directory and runs the copy there with `arguments`, passing its output on.
int RunInFreshHost(const std::string& arguments);

// The benchmarks, each run in the host directory.
void BenchStartup(const BenchOptions& options, const LoadedModule& module);
void BenchConfigDialog(const BenchOptions& options, const LoadedModule& module, const std::string& binDirectory);
void BenchCheckImage(const BenchOptions& options);
