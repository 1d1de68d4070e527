#include "tests/support/ProbeHost.h"

#include "tests/support/Process.h"

namespace {
bool CopyFromBin(const std::string& binFile, const std::string& target) {
    return CopyFileA((ExecutableDirectory() + binFile).c_str(), target.c_str(), FALSE) != FALSE;
}
}  // namespace

ProbeHost::ProbeHost(const std::string& moduleName, const std::string& hostProgram)
    : m_moduleName(moduleName), m_program(hostProgram) {
    m_installed = CopyFromBin(hostProgram, m_dir / hostProgram) &&
                  CopyFromBin("admext32.dll", m_dir / "admext32.dll") &&
                  CopyFromBin("PLUGWARD.DLL", m_dir / moduleName);
}

bool ProbeHost::AddSnapinsDirectory(const std::string& name) {
    CreateDirectoryA((m_dir / "SNAPINS").c_str(), nullptr);
    return name.empty() || CreateDirectoryA((m_dir / ("SNAPINS\\" + name)).c_str(), nullptr) != FALSE;
}

bool ProbeHost::AddFile(const std::string& binFile, const std::string& name) const {
    return CopyFromBin(binFile, m_dir / name);
}

bool ProbeHost::AddSnapin(const std::string& binFile, const std::string& name) {
    AddSnapinsDirectory("");
    return CopyFromBin(binFile, m_dir / ("SNAPINS\\" + name));
}

std::string ProbeHost::Run(const ScratchHkcu& hkcu, const std::string& steps) const {
    ProcessResult run = RunProcess("\"" + (m_dir / m_program) + "\" --hkcu \"" + hkcu.path() + "\" --load " +
                                       m_moduleName + " " + steps,
                                   m_dir.path());
    return run.started ? run.output : "not started";
}
