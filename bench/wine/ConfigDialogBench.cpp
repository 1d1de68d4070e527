// The configuration dialog's OnInitDialog with N rows whose files exist (each
// row's description read from its file), against its floor: RegEnumValueA
// over the four lists (and over the policy's lists, when one is set), the
// version calls for each row's description, and the rows added to a list box
// of the same styles. Each size runs without a policy and under a machine
// policy that blocks every tenth row and requires another tenth.
//
// OnInitDialog is timed from the moment WM_INITDIALOG reaches the dialog to
// the moment its handler returns (thread hooks before and after the window
// procedure); a dialog driver then reads the rows and presses Escape.
#include "bench/wine/BenchHost.h"
#include "registry/RegistryKey.h"
#include "registry/SnapinPolicy.h"
#include "tests/fixtures/Fixtures.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/SnapinLists.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {
const char kCaption[] = "Snapin Configuration";
const int kListId = 1003;
const char* const kLists[] = {kObjectOn, kObjectOff, kViewOn, kViewOff};

std::string RowName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "ROW%05d.DLL", index);
    return name;
}

// Time spent in the handler of WM_INITDIALOG of the dialog with kCaption.
struct InitDialogClock {
    LARGE_INTEGER start{}, stop{};
    HHOOK before = nullptr, after = nullptr;
} g_clock;

bool IsConfigDialog(HWND window, UINT message) {
    char caption[64] = "";
    return message == WM_INITDIALOG && GetWindowTextA(window, caption, sizeof caption) &&
           std::strcmp(caption, kCaption) == 0;
}

LRESULT CALLBACK BeforeProcedure(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && IsConfigDialog(call->hwnd, call->message)) QueryPerformanceCounter(&g_clock.start);
    return CallNextHookEx(g_clock.before, code, wParam, lParam);
}

LRESULT CALLBACK AfterProcedure(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && IsConfigDialog(call->hwnd, call->message)) QueryPerformanceCounter(&g_clock.stop);
    return CallNextHookEx(g_clock.after, code, wParam, lParam);
}

// One run of the dialog from the menu; the time of its OnInitDialog, or a
// negative value when the dialog did not show `rows` described rows.
double TimeOnInitDialog(const LoadedModule& module, int rows) {
    g_clock.start = g_clock.stop = LARGE_INTEGER{};
    DialogDriver driver(kCaption);
    driver.ReadList(kListId).PressEscape();
    module.MenuAction();
    const bool shown = driver.Finished() && !driver.Seen().empty() &&
                       driver.Seen()[0].rows.size() == static_cast<size_t>(rows) &&
                       driver.Seen()[0].rows[0].text == fixtures::kObjectDescription;
    return shown && g_clock.stop.QuadPart ? ElapsedMilliseconds(g_clock.start, g_clock.stop) : -1;
}

// The description of the file that a list entry's data names, as the
// version calls give it; the file name when it has none.
std::string Description(const char* file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file, &ignored);
    std::unique_ptr<char[]> block(new char[size * 2 + 2]);
    void* value = nullptr;
    UINT length = 0;
    if (size && GetFileVersionInfoA(file, 0, size, block.get()) &&
        VerQueryValueA(block.get(), "\\StringFileInfo\\040904B0\\FileDescription", &value, &length) && value)
        return static_cast<const char*>(value);
    return file;
}

// RegEnumValueA over every value of the key, data included; calls each(name, data).
template <typename Each>
void EnumerateValues(HKEY root, const std::string& key, Each each) {
    CRegistryKey opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened.Receive()) != 0) return;
    for (DWORD index = 0;; ++index) {
        char name[MAX_PATH], data[MAX_PATH + 1] = "";
        DWORD nameSize = sizeof name, dataSize = MAX_PATH, type = 0;
        if (RegEnumValueA(opened, index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize)) return;
        each(name, data);
    }
}

// The floor: the lists (and the policy's lists) enumerated, each row's
// description looked up, and the rows added to a list box.
double TimeFloor(int rows, bool policy) {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    HWND list = CreateWindowExA(0, "LISTBOX", "",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT |
                                    LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                                10, 10, 300, 200, parent, nullptr, nullptr, nullptr);
    int added = 0;
    LARGE_INTEGER start, stop;
    QueryPerformanceCounter(&start);
    if (policy)
        for (const char* setting : {"Blocked", "Allowed", "Required"})
            EnumerateValues(HKEY_LOCAL_MACHINE, std::string(kPolicyKey) + "\\" + setting, [](const char*, const char*) {});
    for (const char* key : kLists)
        EnumerateValues(HKEY_CURRENT_USER, key, [&](const char*, const char* data) {
            const LRESULT row = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Description(data).c_str()));
            SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(row), ++added);
        });
    QueryPerformanceCounter(&stop);
    DestroyWindow(parent);
    return added == rows ? ElapsedMilliseconds(start, stop) : -1;
}

// A machine policy that blocks every tenth row and requires the row after
// the fifth of each ten, or none.
void SetPolicy(int rows, bool policy) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPolicyKey);
    if (!policy) return;
    for (int i = 0; i < rows; ++i) {
        const char* setting = i % 10 == 0 ? "Blocked" : i % 10 == 5 ? "Required" : nullptr;
        if (!setting) continue;
        CRegistryKey key;
        const std::string path = std::string(kPolicyKey) + "\\" + setting;
        const std::string name = RowName(i), valueName = std::to_string(i);
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.Receive(), nullptr);
        RegSetValueExA(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                       static_cast<DWORD>(name.size() + 1));
    }
}

void AddRows(const std::string& binDirectory, int from, int to) {
    const std::string fixture = binDirectory + fixtures::kObjectDll;
    for (int i = from; i < to; ++i) {
        const std::string path = SnapinsDirectory() + RowName(i);
        if (!CreateHardLinkA(path.c_str(), fixture.c_str(), nullptr)) CopyFileA(fixture.c_str(), path.c_str(), FALSE);
        PutEntry(kLists[i % 4], RowName(i), "SNAPINS\\" + RowName(i));
    }
}

void RemoveRows(int count) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmark");
    for (int i = 0; i < count; ++i) DeleteFileA((SnapinsDirectory() + RowName(i)).c_str());
}
}  // namespace

void BenchConfigDialog(const BenchOptions& options, const LoadedModule& module, const std::string& binDirectory) {
    ScratchHklm hklm;
    g_clock.before = SetWindowsHookExA(WH_CALLWNDPROC, BeforeProcedure, nullptr, GetCurrentThreadId());
    g_clock.after = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterProcedure, nullptr, GetCurrentThreadId());
    int rows = 0;
    for (int count : {10, 100, 1000}) {
        if (options.brief && count > 10) break;
        AddRows(binDirectory, rows, count);
        rows = count;
        for (bool policy : {false, true}) {
            SetPolicy(count, policy);
            module.InitSnapin();  // every row is known: no dialog of new snap-ins
            const std::string name = "dialog/" + std::to_string(count) + (policy ? "/policy" : "");
            const std::vector<double> medians = InterleavedMedians(
                options.repetitions(), {[&] { return TimeOnInitDialog(module, count); }, [=] { return TimeFloor(count, policy); }});
            PrintFigure(name + " OnInitDialog", medians[0]);
            PrintFigure(name + " floor", medians[1]);
            module.ShutDown();
        }
    }
    RemoveRows(rows);
    UnhookWindowsHookEx(g_clock.before);
    UnhookWindowsHookEx(g_clock.after);
}
