// The release installer under Wine, in a prefix of its own, since it writes
// the real HKEY_CURRENT_USER: silent install into a fresh host directory and
// the console loading the module, reinstalls over the module's own entry,
// an uninstall that leaves every other entry and the policy byte for byte as
// it was, and pages whose every text fits its control.
#include "registry/RegistryKey.h"
#include "registry/SnapinPolicy.h"
#include "tests/hostile/RawLists.h"
#include "tests/support/Process.h"
#include "tests/support/Scratch.h"
#include "tests/support/Waits.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>

namespace {
const char kModule[] = "PLUGWARD.DLL";
const char kUninstaller[] = "PLUGWARD-uninstall.exe";
const char* const kTemplates[] = {"PLUGWARD.ADM", "PLUGWARD.ADMX", "en-US\\PLUGWARD.ADML"};
const char* const kShipped[] = {"PLUGWARD.DLL",          "snapinctl.exe",         "README.TXT",
                                "PLUGWARD-uninstall.exe", "Policy\\PLUGWARD.ADM", "Policy\\PLUGWARD.ADMX",
                                "Policy\\en-US\\PLUGWARD.ADML"};
const char* const kListNames[] = {"Snapin Object DLLs", "Disabled Snapin Object DLLs", "Snapin View DLLs",
                                  "Disabled Snapin View DLLs"};
enum List { kObjectOn, kObjectOff, kViewOn, kViewOff };

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

std::string PolicyKey(PolicySetting setting) {
    return std::string(kPolicyKey) + (setting == kNewSnapinsSetting ? "" : "\\" + std::string(PolicySettingName(setting)));
}

// Every list of both families, and the user's policy.
std::map<std::string, RawList> Snapshot() {
    std::map<std::string, RawList> lists;
    for (const std::string& family : {Family(), OtherFamily()})
        for (List list : {kObjectOn, kObjectOff, kViewOn, kViewOff})
            lists[ListKey(list, family)] = ReadRawList(ListKey(list, family).c_str());
    for (int setting = 0; setting < kPolicySettingCount; ++setting)
        lists[PolicyKey(PolicySetting(setting))] = ReadRawList(PolicyKey(PolicySetting(setting)).c_str());
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

// The font of the installer's dialogs, as the dialog manager makes it from
// the installer's own templates in this process: a font handle does not cross
// processes. Every template must ask for the same font; else none is given.
using FontKey = std::tuple<LONG, LONG, BYTE, std::string>;
BOOL CALLBACK AddTemplateFont(HMODULE setup, LPCSTR, LPSTR name, LONG_PTR fonts) {
    const auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(setup, FindResourceA(setup, name, RT_DIALOG))));
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, nullptr, nullptr, 0);
    LOGFONTA font{};
    if (dialog && GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font))
        reinterpret_cast<std::map<FontKey, LOGFONTA>*>(fonts)->emplace(
            FontKey(font.lfHeight, font.lfWeight, font.lfItalic, font.lfFaceName), font);
    if (dialog) DestroyWindow(dialog);
    return TRUE;
}
HFONT InstallerFont() {
    InitCommonControls();
    std::map<FontKey, LOGFONTA> fonts;
    HMODULE setup = LoadLibraryExA(FromEnvironment("PLUGWARD_SETUP").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EnumResourceNamesA(setup, RT_DIALOG, &AddTemplateFont, reinterpret_cast<LONG_PTR>(&fonts));
    FreeLibrary(setup);
    return fonts.size() == 1 ? CreateFontIndirectA(&fonts.begin()->second) : nullptr;
}

// Measures each visible static text within a window as the control draws it
// (DrawText, word breaks unless the control has none) against its client
// area, and names each that needs more room than it has.
struct TextMeasure {
    HDC dc;
    int measured = 0;
    std::string cut;
};
BOOL CALLBACK MeasureText(HWND control, LPARAM param) {
    auto& measure = *reinterpret_cast<TextMeasure*>(param);
    char className[16] = {}, text[1024] = {};
    const LONG style = GetWindowLongA(control, GWL_STYLE), type = style & SS_TYPEMASK;
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Static") || !IsWindowVisible(control) || !GetWindowTextA(control, text, sizeof text) ||
        (type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP))
        return TRUE;
    RECT has{}, needs{};
    GetClientRect(control, &has);
    needs.right = has.right;
    DrawTextA(measure.dc, text, -1, &needs,
              DT_CALCRECT | DT_EXPANDTABS | (type <= SS_RIGHT ? DT_WORDBREAK : DT_SINGLELINE) |
                  (style & SS_NOPREFIX ? DT_NOPREFIX : 0));
    ++measure.measured;
    if (needs.right > has.right || needs.bottom > has.bottom)
        measure.cut += "\"" + std::string(text) + "\" needs " + std::to_string(needs.right) + "x" +
                       std::to_string(needs.bottom) + ", has " + std::to_string(has.right) + "x" + std::to_string(has.bottom) + "\n";
    return TRUE;
}

// A visible installer or uninstaller window whose default button reads `button`, enabled.
BOOL CALLBACK MatchPage(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<std::pair<const char*, HWND>*>(param);
    char caption[64] = {}, button[32] = {};
    GetWindowTextA(window, caption, sizeof caption);
    GetDlgItemTextA(window, IDOK, button, sizeof button);
    if (!IsWindowVisible(window) || std::string(caption).rfind("PLUGWARD ", 0) != 0 || lstrcmpA(button, search.first) ||
        !IsWindowEnabled(GetDlgItem(window, IDOK)))
        return TRUE;
    search.second = window;
    return FALSE;
}

// Walks the pages whose default buttons read `buttons`, in turn: measures
// each page's texts, then presses its button. Returns what did not fit.
std::string WalkPages(std::initializer_list<const char*> buttons, HFONT font) {
    std::string cut;
    for (const char* button : buttons) {
        std::pair<const char*, HWND> page(button, nullptr);
        for (const DWORD startedAt = GetTickCount(); !page.second && GetTickCount() - startedAt < GuardMs(120000); Sleep(20))
            EnumWindows(&MatchPage, reinterpret_cast<LPARAM>(&page));
        if (!page.second) return cut + "no page with the button " + button + "\n";
        TextMeasure measure{GetDC(nullptr), 0, {}};
        HGDIOBJ old = SelectObject(measure.dc, font);
        EnumChildWindows(page.second, &MeasureText, reinterpret_cast<LPARAM>(&measure));
        SelectObject(measure.dc, old);
        ReleaseDC(nullptr, measure.dc);
        if (measure.measured == 0) cut += std::string("no text measured on the page of ") + button + "\n";
        cut += measure.cut;
        PostMessageA(GetDlgItem(page.second, IDOK), BM_CLICK, 0, 0);
    }
    return cut;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        ClearLists();
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
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmark");
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Policies\\Velmark");
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
    for (const char* file : kTemplates)
        EXPECT_EQ(ReadFile(m_host / "Policy\\" + file), ReadFile(FromEnvironment("PLUGWARD_POLICY_DIR") + "\\" + file));
    EXPECT_TRUE(Exists(m_host / kUninstaller));
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
    PutRaw(PolicyKey(kRequiredSetting).c_str(), "1", REG_SZ, SzValue(kModule).bytes);
    PutRaw(PolicyKey(kNewSnapinsSetting).c_str(), "NewSnapins", REG_DWORD, std::string("\x02\0\0\0", 4));
    auto expected = Snapshot();
    for (List list : {kObjectOn, kObjectOff, kViewOn, kViewOff}) expected[ListKey(list, Family())].erase(kModule);

    EXPECT_EQ(RunToTheEnd("\"" + (m_host / kUninstaller) + "\" /S"), 0u);
    EXPECT_EQ(Snapshot(), expected);
    for (const char* file : kShipped) EXPECT_FALSE(Exists(m_host / file)) << file;
    for (const char* file : {"VMADMIN.EXE", "admext32.dll", "SNAPINS\\OTHER.DLL"}) EXPECT_TRUE(Exists(m_host / file));
}

TEST_F(Installer, EveryTextOfEveryPageFitsItsControl) {
    HFONT font = InstallerFont();
    ASSERT_TRUE(font) << "the installer's dialog templates ask for more than one font, or none";
    DWORD installed = 0, uninstalled = 0;
    std::thread install([&] { installed = RunToTheEnd("\"" + FromEnvironment("PLUGWARD_SETUP") + "\" /D=" + HostDirectory()); });
    EXPECT_EQ(WalkPages({"&Install", "&Close"}, font), "");
    install.join();
    std::thread uninstall([&] { uninstalled = RunToTheEnd("\"" + (m_host / kUninstaller) + "\""); });
    EXPECT_EQ(WalkPages({"&Uninstall", "&Close"}, font), "");
    uninstall.join();
    DeleteObject(font);
    EXPECT_EQ(installed, 0u);
    EXPECT_EQ(uninstalled, 0u);
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
    EXPECT_EQ(ReadFile(m_host / kModule), "the module before");
    for (const char* file : kShipped) {
        if (file != std::string(kModule)) {
            EXPECT_FALSE(Exists(m_host / file)) << file;
        }
    }
}
}  // namespace
