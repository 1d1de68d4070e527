#include "tests/support/ProbeHost.h"

#include "tests/support/Process.h"

namespace {
bool CopyFromBin(const std::string& binFile, const std::string& target) {
    return CopyFileA((ExecutableDirectory() + binFile).c_str(), target.c_str(), FALSE) != FALSE;
}
}  // namespace

ProbeHost::ProbeHost(const std::string& moduleName) : m_moduleName(moduleName) {
    m_installed = CopyFromBin("host_probe.exe", m_dir / "host_probe.exe") &&
                  CopyFromBin("admext32.dll", m_dir / "admext32.dll") &&
                  CopyFromBin("PLUGWARD.DLL", m_dir / moduleName);
}

bool ProbeHost::AddSnapinsDirectory(const std::string& name) {
    CreateDirectoryA((m_dir / "SNAPINS").c_str(), nullptr);
    return name.empty() || CreateDirectoryA((m_dir / ("SNAPINS\\" + name)).c_str(), nullptr) != FALSE;
}

bool ProbeHost::AddSnapin(const std::string& binFile, const std::string& name) {
    AddSnapinsDirectory("");
    return CopyFromBin(binFile, m_dir / ("SNAPINS\\" + name));
}

std::string ProbeHost::Run(const ScratchHkcu& hkcu, const std::string& steps) const {
    ProcessResult run = RunProcess("\"" + (m_dir / "host_probe.exe") + "\" --hkcu \"" + hkcu.path() + "\" --load " +
                                       m_moduleName + " " + steps,
                                   m_dir.path());
    return run.started ? run.output : "not started";
}
