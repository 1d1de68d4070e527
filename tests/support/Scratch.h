#pragma once
// Test isolation under Wine: a private HKEY_CURRENT_USER and a private
// temporary directory, both removed again when the test ends.
#include "registry/RegistryKey.h"

#include <windows.h>
#include <string>

// Redirects HKEY_CURRENT_USER of this process to a fresh scratch key below
// the real HKCU\Software\PlugwardTests, and deletes that key afterwards.
class ScratchHkcu {
public:
    ScratchHkcu() : ScratchHkcu(HKEY_CURRENT_USER) {}
    ~ScratchHkcu();
    ScratchHkcu(const ScratchHkcu&) = delete;
    ScratchHkcu& operator=(const ScratchHkcu&) = delete;

    // Path below the real HKCU, for handing to helper processes.
    const std::string& path() const { return m_path; }
    HKEY key() const { return m_key; }

protected:
    explicit ScratchHkcu(HKEY redirected);

private:
    HKEY m_redirected;
    std::string m_path;
    CRegistryKey m_key;
};

// ScratchHklm::UseAuthenticode for `machine`, to which it redirects HKEY_LOCAL_MACHINE.
bool UseAuthenticode(HKEY machine, bool trust = true);

// The same for HKEY_LOCAL_MACHINE, with its scratch key below the real
// HKLM\Software\PlugwardTests, where --hklm PATH of a helper process finds it.
class ScratchHklm : public ScratchHkcu {
public:
    ScratchHklm() : ScratchHkcu(HKEY_LOCAL_MACHINE) {}

    // Copies Authenticode's own registration in from the real
    // HKEY_LOCAL_MACHINE (without it nothing verifies), and with `trust` makes
    // the build's throwaway test publisher (signed_trusted.dll's signer)
    // trusted: its certificate into this machine's Trusted Publishers store,
    // where the registry keeps it.
    bool UseAuthenticode(bool trust = true) { return ::UseAuthenticode(key(), trust); }
};

// A fresh directory under the temporary directory, deleted with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory with a trailing backslash.
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

// Writes a file with the given bytes; returns false on failure.
bool WriteBytes(const std::string& path, const void* data, size_t size);
bool WriteBytes(const std::string& path, const std::string& bytes);

// Directory of the running test executable, with a trailing backslash
// (fixtures are built next to it).
std::string ExecutableDirectory();

// A copy of the bin directory's `binFile`, made once, in a scratch directory of
// this process: other test programs load and copy the files there meanwhile,
// so only a copy of its own can be checked for exclusive access.
std::string OwnCopy(const std::string& binFile);

// True when the file can be opened for exclusive access: nobody holds a handle to it.
bool CanOpenExclusively(const std::string& path);
