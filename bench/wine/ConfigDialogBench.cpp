// The configuration dialog's OnInitDialog with N rows whose files exist (each
// row's description read from its file), against the same rows added to a
// list box of the same styles without any look-up.
//
// OnInitDialog is timed from the moment WM_INITDIALOG reaches the dialog to
// the moment its handler returns (thread hooks before and after the window
// procedure); a dialog driver then reads the rows and presses Escape.
#include "bench/wine/BenchHost.h"
#include "tests/fixtures/Fixtures.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/SnapinLists.h"

#include <cstdio>
#include <cstring>

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

// The same rows in a bare list box: text and user value, nothing looked up.
double TimeBareListBox(int rows) {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    HWND list = CreateWindowExA(0, "LISTBOX", "",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT |
                                    LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                                10, 10, 300, 200, parent, nullptr, nullptr, nullptr);
    LARGE_INTEGER start, stop;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < rows; ++i) {
        const LRESULT row = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fixtures::kObjectDescription));
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(row), i + 1);
    }
    QueryPerformanceCounter(&stop);
    DestroyWindow(parent);
    return ElapsedMilliseconds(start, stop);
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
    g_clock.before = SetWindowsHookExA(WH_CALLWNDPROC, BeforeProcedure, nullptr, GetCurrentThreadId());
    g_clock.after = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterProcedure, nullptr, GetCurrentThreadId());
    int rows = 0;
    for (int count : {10, 100, 1000}) {
        if (options.brief && count > 10) break;
        AddRows(binDirectory, rows, count);
        rows = count;
        module.InitSnapin();  // every row is known: no dialog of new snap-ins
        const std::string name = "dialog/" + std::to_string(count);
        const std::vector<double> medians = InterleavedMedians(
            options.repetitions(), {[&] { return TimeOnInitDialog(module, count); }, [=] { return TimeBareListBox(count); }});
        PrintFigure(name + " OnInitDialog", medians[0]);
        PrintFigure(name + " listbox", medians[1]);
        module.ShutDown();
    }
    RemoveRows(rows);
    UnhookWindowsHookEx(g_clock.before);
    UnhookWindowsHookEx(g_clock.after);
}
