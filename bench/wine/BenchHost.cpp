#include "bench/wine/BenchHost.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Runs a program to its end with its output in a file, then prints the file.
// Not a pipe: the desktop process that the program's windows start would
// hold a pipe open until this process ended.
int RunWithOutputFile(const std::string& commandLine, const std::string& directory, const std::string& outputPath) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) return 1;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    const bool started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(),
                                        &startup, &process) != FALSE;
    CloseHandle(output);
    DWORD code = 1;
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (FILE* printed = std::fopen(outputPath.c_str(), "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, printed)) > 0) std::fwrite(buffer, 1, got, stdout);
        std::fclose(printed);
    }
    return static_cast<int>(code);
}

std::string ExecutablePath() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}
}  // namespace

LoadedModule::LoadedModule(const std::string& path) { m_module = LoadLibraryA(path.c_str()); }

LoadedModule::~LoadedModule() {
    if (m_module) FreeLibrary(m_module);
}

int LoadedModule::InitSnapin() const {
    auto init = Export<int(__cdecl*)()>(m_module, "InitSnapin");
    return init ? init() : -100;
}

void LoadedModule::ShutDown() const {
    if (auto shutDown = Export<void(__cdecl*)()>(m_module, "ShutDown")) shutDown();
}

void LoadedModule::MenuAction() const {
    if (auto action = Export<void(__cdecl*)()>(m_module, "?MenuAction@CSnapinSetupMenu@@SAXXZ")) action();
}

std::vector<double> InterleavedMedians(int repetitions, const std::vector<Measure>& measures) {
    std::vector<std::vector<double>> figures(measures.size());
    for (int round = 0; round <= repetitions; ++round) {
        for (size_t i = 0; i < measures.size(); ++i) {
            const double figure = measures[i]();
            if (round > 0) figures[i].push_back(figure);
        }
    }
    std::vector<double> medians;
    for (std::vector<double>& of : figures) {
        std::sort(of.begin(), of.end());
        medians.push_back(of.front() < 0 ? -1 : of[of.size() / 2]);
    }
    return medians;
}

double ElapsedMilliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& stop) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

Measure WallMilliseconds(std::function<void()> work) {
    return [work] {
        LARGE_INTEGER start, stop;
        QueryPerformanceCounter(&start);
        work();
        QueryPerformanceCounter(&stop);
        return ElapsedMilliseconds(start, stop);
    };
}

namespace {
bool g_failed = false;
}

void PrintFigure(const std::string& name, double milliseconds) {
    if (milliseconds < 0) g_failed = true;
    std::printf("figure %s %.4f\n", name.c_str(), milliseconds);
    std::fflush(stdout);
}

bool FiguresFailed() { return g_failed; }

std::string HostDirectory() {
    const std::string path = ExecutablePath();
    return path.substr(0, path.find_last_of('\\') + 1);
}

std::string SnapinsDirectory() { return HostDirectory() + "SNAPINS\\"; }

const char kBaselineModule[] = "BASELINE\\PLUGWARD.DLL";

int RunInFreshHost(const std::string& arguments, const std::string& baseline) {
    TempDir host;
    const std::string bin = HostDirectory();
    for (const char* file : {"admext32.dll", "PLUGWARD.DLL", "signed_trusted.dll", "trusted.blob", "trusted.thumbprint"}) {
        if (!CopyFileA((bin + file).c_str(), (host / file).c_str(), FALSE)) {
            std::fprintf(stderr, "module_bench: cannot copy %s\n", file);
            return 1;
        }
    }
    if (!CopyFileA(ExecutablePath().c_str(), (host / "module_bench.exe").c_str(), FALSE) ||
        !CreateDirectoryA((host / "SNAPINS").c_str(), nullptr) ||
        (!baseline.empty() && (!CreateDirectoryA((host / "BASELINE").c_str(), nullptr) ||
                               !CopyFileA(baseline.c_str(), (host / kBaselineModule).c_str(), FALSE)))) {
        std::fprintf(stderr, "module_bench: cannot set up the host directory\n");
        return 1;
    }
    return RunWithOutputFile("\"" + (host / "module_bench.exe") + "\" " + arguments, host.path(),
                             host / "output.txt");
}
