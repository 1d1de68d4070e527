#include "tests/support/Scratch.h"

#include <fstream>
#include <iterator>

#include <atomic>
#include <cstdio>

namespace {
const char kScratchRoot[] = "Software\\PlugwardTests";

std::string UniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    char text[64];
    std::snprintf(text, sizeof text, "%lu-%lu-%u", GetCurrentProcessId(), GetTickCount(), counter++);
    return text;
}

void DeleteDirectoryTree(const std::string& dir) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteDirectoryTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}
}  // namespace

ScratchHkcu::ScratchHkcu(HKEY redirected)
    : m_redirected(redirected), m_path(std::string(kScratchRoot) + "\\" + UniqueSuffix()) {
    RegCreateKeyExA(m_redirected, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key.Receive(), nullptr);
    RegOverridePredefKey(m_redirected, m_key);
}

ScratchHkcu::~ScratchHkcu() {
    RegOverridePredefKey(m_redirected, nullptr);
    m_key.Close();
    RegDeleteTreeA(m_redirected, m_path.c_str());
    RegDeleteKeyA(m_redirected, kScratchRoot);  // fails while other scratch keys remain
}

bool UseAuthenticode(HKEY machine, bool trust) {
    const auto read = [](const char* name) {
        std::ifstream file(ExecutableDirectory() + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    const std::string blob = read("trusted.blob");
    const std::string certificate = "Software\\Microsoft\\SystemCertificates\\TrustedPublisher\\Certificates\\" + read("trusted.thumbprint");
    CRegistryKey real, copy, store;
    const auto create = [machine](const std::string& path, CRegistryKey& made) {
        return RegCreateKeyExA(machine, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &made.Receive(), nullptr) == 0;
    };
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Cryptography", 0, KEY_READ, &real.Receive());
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine);
    if (blob.empty() || !create("Software\\Microsoft\\Cryptography", copy) ||
        RegCopyTreeA(real, nullptr, copy) != 0)
        return false;
    return !trust || (create(certificate, store) &&
                      RegSetValueExA(store, "Blob", 0, REG_BINARY, reinterpret_cast<const BYTE*>(blob.data()),
                                     static_cast<DWORD>(blob.size())) == 0);
}

TempDir::TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    m_path = std::string(base) + "plugward-" + UniqueSuffix() + "\\";
    CreateDirectoryA(m_path.c_str(), nullptr);
}

TempDir::~TempDir() { DeleteDirectoryTree(m_path); }

bool WriteBytes(const std::string& path, const void* data, size_t size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = size == 0 || WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    return WriteBytes(path, bytes.data(), bytes.size());
}

std::string ExecutableDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, length);
    return text.substr(0, text.find_last_of('\\') + 1);
}

std::string OwnCopy(const std::string& binFile) {
    static TempDir copies;
    const std::string path = copies / binFile;
    CopyFileA((ExecutableDirectory() + binFile).c_str(), path.c_str(), TRUE);  // fails once it is there
    return path;
}

bool CanOpenExclusively(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}
