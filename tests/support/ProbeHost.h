#pragma once
// A temporary host directory with the probe host, the host library and the
// module, for tests that start the module as the host console does.
#include "tests/support/Scratch.h"

#include <string>

class ProbeHost {
public:
    // Copies the host program, admext32.dll and PLUGWARD.DLL (as `moduleName`).
    explicit ProbeHost(const std::string& moduleName = "PLUGWARD.DLL",
                       const std::string& hostProgram = "host_probe.exe");

    // Copies a file from the build's bin directory into SNAPINS\ as `name`.
    bool AddSnapin(const std::string& binFile, const std::string& name);
    bool AddSnapinsDirectory(const std::string& name);

    // Copies a file from the build's bin directory into the host directory.
    bool AddFile(const std::string& binFile, const std::string& name) const;

    // Runs the probe in the host directory with the given steps after
    // "--hkcu <scratch> --load <module>"; returns what it printed.
    std::string Run(const ScratchHkcu& hkcu, const std::string& steps) const;

    const TempDir& dir() const { return m_dir; }
    bool installed() const { return m_installed; }

private:
    TempDir m_dir;
    std::string m_moduleName;
    std::string m_program;
    bool m_installed = false;
};

// Steps that start the module and stop it again.
constexpr char kStartAndStop[] = "--init --shutdown";
