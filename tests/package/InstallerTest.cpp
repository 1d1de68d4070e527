// The release installer under Wine, in a prefix of its own, since it writes
// the real HKEY_CURRENT_USER: silent install into a fresh host directory and
// the console loading the module, reinstalls over the module's own entry,
// an uninstall that leaves every other entry and the policy as they were, and pages whose texts fit.
// The logon run's policy stands under this prefix's real HKLM, which no other test sees.
#include "registry/RegistryKey.h"
#include "registry/SnapinPolicy.h"
#include "tests/hostile/RawLists.h"
#include "tests/support/Process.h"
#include "tests/support/Scratch.h"
#include "tests/support/Waits.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

namespace {
const char kModule[] = "PLUGWARD.DLL";
const char kUninstaller[] = "PLUGWARD-uninstall.exe";
const char* const kShipped[] = {"PLUGWARD.DLL", "snapinctl.exe", "README.TXT", "PLUGWARD-uninstall.exe",
                                "Policy\\PLUGWARD.ADM", "Policy\\PLUGWARD.ADMX", "Policy\\en-US\\PLUGWARD.ADML"};
const char* const kListNames[] = {"Snapin Object DLLs", "Disabled Snapin Object DLLs", "Snapin View DLLs",
                                  "Disabled Snapin View DLLs"};
enum List { kObjectOn, kObjectOff, kViewOn, kViewOff };
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run", kRunValue[] = "Velmark Snap-in Policy";

std::string RunValue() {  // the installer's logon command, or ""
    char data[1024] = {};
    DWORD size = sizeof data;
    return RegGetValueA(HKEY_LOCAL_MACHINE, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, data, &size) ? "" : data;
}

std::string Family() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT ? " WINNT" : " WIN95";
}
std::string OtherFamily() { return Family() == " WINNT" ? " WIN95" : " WINNT"; }

std::string ListKey(List list, const std::string& family) {
    return std::string("Software\\Velmark\\Parameters\\Velmark Administrator\\") + kListNames[list] + family;
}

// Every list of both families.
std::map<std::string, RawList> Snapshot() {
    std::map<std::string, RawList> lists;
    for (const std::string& family : {Family(), OtherFamily()})
        for (List list : {kObjectOn, kObjectOff, kViewOn, kViewOff})
            lists[ListKey(list, family)] = ReadRawList(ListKey(list, family).c_str());
    return lists;
}

// A Linux path from the test's environment as a path on Wine's Z: drive.
std::string FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    std::string path = std::string("Z:") + (value ? value : "");
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// Waits until the job's last process has ended, as its completion port tells.
bool WaitForEmptyJob(HANDLE port, DWORD baseGuardMs) {
    const DWORD guardMs = GuardMs(baseGuardMs), startedAt = GetTickCount();
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED overlapped = nullptr;
    while (message != JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) {
        const DWORD waited = GetTickCount() - startedAt;
        if (waited >= guardMs || !GetQueuedCompletionStatus(port, &message, &key, &overlapped, guardMs - waited))
            return false;
    }
    return true;
}

// Runs a command and waits for every process it starts, as the uninstaller
// runs from a copy of itself; returns the first process's exit code.
DWORD RunToTheEnd(const std::string& commandLine) {
    Handle job(CreateJobObjectA(nullptr, nullptr));
    Handle port(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association{job.get(), port.get()};
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    if (!job || !port ||
        !SetInformationJobObject(job.get(), JobObjectAssociateCompletionPortInformation, &association,
                                 sizeof association) ||
        !CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                        &process))
        return 0xFFFFFFFF;
    Handle processHandle(process.hProcess), thread(process.hThread);
    AssignProcessToJobObject(job.get(), processHandle.get());
    ResumeThread(thread.get());
    if (!WaitForEmptyJob(port.get(), 120000)) {
        ADD_FAILURE() << "gave up waiting for every process of: " << commandLine;
        TerminateJobObject(job.get(), 0xDEAD);
        WaitForSingleObject(processHandle.get(), INFINITE);
        return 0xFFFFFFFF;
    }
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(processHandle.get(), &code);
    return code;
}

// Each visible static text that needs more room than its control has, as the control draws it in the DC's font.
struct TextMeasure { HDC dc; int texts; std::string cut; };
BOOL CALLBACK MeasureText(HWND control, LPARAM param) {
    auto& measure = *reinterpret_cast<TextMeasure*>(param);
    char className[8] = {}, text[1024] = {};
    const LONG style = GetWindowLongA(control, GWL_STYLE), type = style & SS_TYPEMASK;
    RECT has{}, needs{};
    if (!GetClassNameA(control, className, sizeof className) || lstrcmpiA(className, "Static") || !IsWindowVisible(control) ||
        !GetWindowTextA(control, text, sizeof text) || (type > SS_RIGHT && type != SS_LEFTNOWORDWRAP) || !GetClientRect(control, &has))
        return TRUE;
    needs.right = has.right;
    DrawTextA(measure.dc, text, -1, &needs, DT_CALCRECT | DT_WORDBREAK | (style & SS_NOPREFIX ? DT_NOPREFIX : 0));
    ++measure.texts;
    if (needs.right > has.right || needs.bottom > has.bottom)
        measure.cut += std::string(text) + " needs " + std::to_string(needs.right) + "x" + std::to_string(needs.bottom) +
                       ", has " + std::to_string(has.right) + "x" + std::to_string(has.bottom) + "\n";
    return TRUE;
}

// The installer's window once its default button reads `button` and is enabled.
HWND WaitForPage(const char* button) {
    for (const DWORD startedAt = GetTickCount(); GetTickCount() - startedAt < GuardMs(120000); Sleep(20)) {
        HWND page = FindWindowA("#32770", nullptr);
        char text[32] = {};
        if (GetDlgItemTextA(page, IDOK, text, sizeof text) && !lstrcmpA(text, button) && IsWindowEnabled(GetDlgItem(page, IDOK)))
            return page;
    }
    return nullptr;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        ClearLists();
        // Wine starts the desktop's process for the first window; started by an installer, it would stay in its job.
        ASSERT_TRUE(GetDesktopWindow());
        const char* expected = std::getenv("PLUGWARD_FAMILY");
        if (expected) {
            ASSERT_EQ(Family(), std::string(" ") + expected);
        }
        ASSERT_TRUE(CreateDirectoryA((m_host / "SNAPINS").c_str(), nullptr));
        for (const char* file : {"VMADMIN.EXE", "admext32.dll"})
            ASSERT_TRUE(CopyFileA((ExecutableDirectory() + file).c_str(), (m_host / file).c_str(), FALSE)) << file;
    }
    void TearDown() override { ClearLists(); }
    static void ClearLists() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) RegDeleteTreeA(root, "Software\\Policies\\Velmark");
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmark");
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
    }

    std::string HostDirectory() const { return m_host.path().substr(0, m_host.path().size() - 1); }
    DWORD Install(const std::string& directory) {
        return RunToTheEnd("\"" + FromEnvironment("PLUGWARD_SETUP") + "\" /S /D=" + directory);
    }
    DWORD Install() { return Install(HostDirectory()); }

    // The console's log of one scripted run in the host directory.
    std::string RunConsole() {
        const std::string log = m_host / "console.log";
        DeleteFileA(log.c_str());
        const ProcessResult result =
            RunProcess("\"" + (m_host / "VMADMIN.EXE") + "\" --log \"" + log + "\" --exit", m_host.path());
        EXPECT_EQ(result.exitCode, 0u) << result.output;
        return ReadFile(log);
    }

    TempDir m_host;
};

TEST_F(Installer, SilentInstallRegistersTheModuleAndTheConsoleLoadsIt) {
    PutRaw(ListKey(kObjectOn, Family()).c_str(), "OTHER.DLL", REG_SZ, std::string("SNAPINS\\OTHER.DLL") + '\0');
    auto expected = Snapshot();
    expected[ListKey(kObjectOn, Family())][kModule] = SzValue(kModule);

    ASSERT_EQ(Install(), 0u);
    for (const char* file : {kModule, "snapinctl.exe"})
        EXPECT_EQ(ReadFile(m_host / file), ReadFile(FromEnvironment("PLUGWARD_SHIP_DIR") + "\\" + file)) << file;
    EXPECT_NE(ReadFile(m_host / "README.TXT").find("PLUGWARD"), std::string::npos);
    for (const char* file : kShipped) EXPECT_TRUE(Exists(m_host / file)) << file;
    // snapinctl's default host directory is its own; OTHER.DLL has no file.
    const ProcessResult list = RunProcess("\"" + (m_host / "snapinctl.exe") + "\" list --check", m_host.path());
    EXPECT_EQ(list.exitCode, 3u) << list.output;
    EXPECT_NE(list.output.find("enabled-object PLUGWARD.DLL: ok"), std::string::npos) << list.output;
    EXPECT_NE(list.output.find("enabled-object OTHER.DLL: missing"), std::string::npos) << list.output;
    EXPECT_EQ(Snapshot(), expected);

    const std::string log = RunConsole();
    EXPECT_NE(log.find("loaded PLUGWARD.DLL (InitSnapin returned 0)"), std::string::npos) << log;
    EXPECT_NE(log.find("menu item \"Snap-in Configuration\" of PLUGWARD.DLL added"), std::string::npos) << log;
}

TEST_F(Installer, LogonRunMovesABlockedEntryUnlessLeftOut) {
    ASSERT_EQ(RunToTheEnd("\"" + FromEnvironment("PLUGWARD_SETUP") + "\" /S /NOENFORCE /D=" + HostDirectory()), 0u);
    EXPECT_EQ(RunValue(), "");
    ASSERT_EQ(Install(), 0u);
    char shortPath[MAX_PATH] = {};
    GetShortPathNameA((m_host / kModule).c_str(), shortPath, sizeof shortPath);
    EXPECT_EQ(RunValue(), std::string("rundll32.exe ") + shortPath + ",EnforceSnapinPolicy");

    const std::string blocked = std::string(kPolicyKey) + "\\" + PolicySettingName(kBlockedSetting);
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, blocked.c_str(), "1", REG_SZ, "OTHER.DLL", 10), 0);
    PutRaw(ListKey(kObjectOn, Family()).c_str(), "OTHER.DLL", REG_SZ, SzValue("SNAPINS\\OTHER.DLL").bytes);
    EXPECT_EQ(RunToTheEnd(RunValue()), 0u);
    EXPECT_EQ(ReadRawList(ListKey(kObjectOff, Family()).c_str()), (RawList{{"OTHER.DLL", SzValue("SNAPINS\\OTHER.DLL")}}));
    EXPECT_EQ(ReadRawList(ListKey(kObjectOn, Family()).c_str()), (RawList{{kModule, SzValue(kModule)}}));
}

TEST_F(Installer, ReinstallLeavesTheModulesEntryAsItIs) {
    ASSERT_EQ(Install(), 0u);
    const auto installed = Snapshot();
    ASSERT_EQ(Install(), 0u);
    EXPECT_EQ(Snapshot(), installed) << "enabled stays enabled, once";

    // Switched off, as the configuration dialog does.
    RegDeleteKeyValueA(HKEY_CURRENT_USER, ListKey(kObjectOn, Family()).c_str(), kModule);
    PutRaw(ListKey(kObjectOff, Family()).c_str(), kModule, REG_SZ, SzValue(kModule).bytes);
    const auto disabled = Snapshot();
    ASSERT_EQ(Install(), 0u);
    EXPECT_EQ(Snapshot(), disabled);
    const std::string log = RunConsole();
    EXPECT_EQ(log.find("loaded PLUGWARD.DLL"), std::string::npos) << log;
}

TEST_F(Installer, SilentUninstallRemovesOnlyTheModule) {
    ASSERT_EQ(Install(), 0u);
    ASSERT_TRUE(WriteBytes(m_host / "SNAPINS\\OTHER.DLL", "other"));
    for (const std::string& family : {Family(), OtherFamily()})
        for (List list : {kObjectOn, kObjectOff, kViewOn, kViewOff}) {
            const std::string key = ListKey(list, family);
            PutRaw(key.c_str(), "OTHER.DLL", REG_SZ, SzValue("SNAPINS\\OTHER.DLL").bytes);
            PutRaw(key.c_str(), "KEEPER.DLL", REG_SZ, SzValue(kModule).bytes);  // another module's data
            PutRaw(key.c_str(), "PLUGWARD.DLL.OLD", REG_BINARY, "\x01\x02");
            if (family != Family() || list != kObjectOn) PutRaw(key.c_str(), kModule, REG_DWORD, std::string("\x07\0\0\0", 4));
        }
    const std::string policy = std::string(kPolicyKey) + "\\" + PolicySettingName(kRequiredSetting);
    PutRaw(policy.c_str(), "1", REG_SZ, SzValue("OTHER.DLL").bytes);
    auto expected = Snapshot();
    for (List list : {kObjectOn, kObjectOff, kViewOn, kViewOff}) expected[ListKey(list, Family())].erase(kModule);

    EXPECT_EQ(RunToTheEnd("\"" + (m_host / kUninstaller) + "\" /S"), 0u);
    EXPECT_EQ(RunValue(), "");
    EXPECT_EQ(Snapshot(), expected);
    EXPECT_EQ(ReadRawList(policy.c_str()), (RawList{{"1", SzValue("OTHER.DLL")}}));
    for (const char* file : kShipped) EXPECT_FALSE(Exists(m_host / file)) << file;
    for (const char* file : {"VMADMIN.EXE", "admext32.dll", "SNAPINS\\OTHER.DLL"}) EXPECT_TRUE(Exists(m_host / file));
}

TEST_F(Installer, EveryTextOfEveryPageFitsItsControl) {
    // The installer's dialog font, made here from its outer dialog's template (NSIS's 105, whose font its pages
    // share), since a font handle stays in its process.
    HMODULE setup = LoadLibraryExA(FromEnvironment("PLUGWARD_SETUP").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HWND dialog = CreateDialogParamA(setup, MAKEINTRESOURCEA(105), nullptr, nullptr, 0);
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    DestroyWindow(dialog);
    FreeLibrary(setup);
    ASSERT_NE(font.lfHeight, 0) << "no dialog font in " << FromEnvironment("PLUGWARD_SETUP");
    TextMeasure measure{GetDC(nullptr), 0, {}};
    HGDIOBJ old = SelectObject(measure.dc, CreateFontIndirectA(&font));
    const std::string install = "\"" + FromEnvironment("PLUGWARD_SETUP") + "\" /D=" + HostDirectory();
    for (const std::string& command : {install, "\"" + (m_host / kUninstaller) + "\""}) {
        std::thread run([command] { EXPECT_EQ(RunToTheEnd(command), 0u) << command; });
        for (const char* button : {command == install ? "&Install" : "&Uninstall", "&Close"}) {
            HWND page = WaitForPage(button);
            const int before = measure.texts;
            EnumChildWindows(page, &MeasureText, reinterpret_cast<LPARAM>(&measure));
            EXPECT_TRUE(page && measure.texts > before) << "no text measured on a page whose button reads " << button;
            PostMessageA(GetDlgItem(page, IDOK), BM_CLICK, 0, 0);
        }
        run.join();
    }
    DeleteObject(SelectObject(measure.dc, old));
    ReleaseDC(nullptr, measure.dc);
    EXPECT_EQ(measure.cut, "");
}

TEST_F(Installer, SilentInstallWithoutAHostDirectoryFailsAndChangesNothing) {
    const auto before = Snapshot();
    EXPECT_EQ(Install(m_host / "MISSING"), 2u);
    EXPECT_FALSE(Exists(m_host / "MISSING"));
    EXPECT_EQ(RunToTheEnd("\"" + FromEnvironment("PLUGWARD_SETUP") + "\" /S"), 2u) << "no /D=";
    EXPECT_EQ(Snapshot(), before);
}
TEST_F(Installer, FailedRegistrationTakesBackWhatItCopied) {
    // Under a volatile key, the list key cannot be created.
    CRegistryKey parent;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Velmark\\Parameters\\Velmark Administrator", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &parent.Receive(), nullptr),
              0);
    parent.Close();
    ASSERT_TRUE(WriteBytes(m_host / kModule, "the module before"));
    const auto before = Snapshot();

    EXPECT_EQ(Install(), 2u);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(RunValue(), "");
    EXPECT_EQ(ReadFile(m_host / kModule), "the module before");
    for (const char* file : kShipped) {
        if (file != std::string(kModule)) {
            EXPECT_FALSE(Exists(m_host / file)) << file;
        }
    }
}
}  // namespace
