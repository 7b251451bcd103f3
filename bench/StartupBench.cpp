// Row 4: from process start to the first paint of Install.exe's window on the demo mod, against
// a program that opens the same window with the same controls and fills none of them, both
// started the same way.
//
// The time is taken from outside both programs, so that neither has to be built to report it:
// from just before CreateProcessA to the moment the process has a visible top-level window and
// neither that window nor any of its child windows has anything left to paint (an empty update
// region). Showing a window gives it and its children an update region in the same step that
// makes it visible, and only the program's own WM_PAINT handling empties it again.
// The benchmark doesn't poll for that moment, which would take the Wine server's time from the
// program it measures (polling every millisecond slowed Install.exe by half): WaitForInputIdle
// returns when the program first waits for input with nothing left to do, which comes after
// every pending WM_PAINT, and the update regions are then checked once.
#include "bench/Fixtures.h"
#include "bench/Measure.h"
#include "bench/Rows.h"

#include "system/ScopedHandle.h"
#include "system/Win32Error.h"
#include "tests/TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

std::vector<HWND> VisibleWindowsOf(DWORD process)
{
    struct Search {
        DWORD process;
        std::vector<HWND> windows;
    } search{process, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* search = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == search->process && IsWindowVisible(window))
                search->windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

bool NothingLeftToPaint(HWND window)
{
    if (GetUpdateRect(window, nullptr, FALSE))
        return false;
    bool painted = true;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
                *reinterpret_cast<bool*>(param) = false;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&painted));
    return painted;
}

bool FirstPaintDone(DWORD process)
{
    const std::vector<HWND> windows = VisibleWindowsOf(process);
    if (windows.empty())
        return false;
    for (HWND window : windows) {
        if (!NothingLeftToPaint(window))
            return false;
    }
    return true;
}

// What makes two programs' windows the same here: each window's class, styles and extended
// styles, its id and its parent's id, in the order they were made. The top-level window's class
// name is the program's own, and a list's scroll bar comes and goes with its entries, so neither
// is compared.
std::string Describe(HWND window, bool topLevel)
{
    char className[64] = "";
    if (!topLevel)
        GetClassNameA(window, className, sizeof className);
    const auto style = static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE) & ~(WS_VSCROLL | WS_HSCROLL));
    const auto exStyle = static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE));
    char text[160];
    std::snprintf(text, sizeof text, "%s style %08lx exstyle %08lx id %d in %d", className, style, exStyle,
                  GetDlgCtrlID(window), GetDlgCtrlID(GetParent(window)));
    return text;
}

std::vector<std::string> WindowsOf(DWORD process)
{
    std::vector<std::string> described;
    for (HWND window : VisibleWindowsOf(process)) {
        described.push_back(Describe(window, true));
        EnumChildWindows(
            window,
            [](HWND child, LPARAM param) -> BOOL {
                reinterpret_cast<std::vector<std::string>*>(param)->push_back(Describe(child, false));
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&described));
    }
    return described;
}

struct Started {
    UniqueHandle process;
    DWORD id = 0;
};

// Closes the program's windows as a user would, and makes sure it is gone before the next run.
void Close(Started& program)
{
    if (!program.process)
        return;
    for (HWND window : VisibleWindowsOf(program.id))
        PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(program.process.Get(), 10000) != WAIT_OBJECT_0) {
        TerminateProcess(program.process.Get(), 1);
        WaitForSingleObject(program.process.Get(), 10000);
    }
    program = Started{};
    // Wine's server and desktop finish their side of a program's exit after it has gone; the
    // next start waits for that rather than pay for it.
    Sleep(1000);
}

// Returns when the program's first paint is done; the program is still running then.
Started StartAndWaitForFirstPaint(const std::string& program, const std::string& folder)
{
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info))
        ThrowLastError("Start program", program);
    const UniqueHandle thread(info.hThread);
    Started started{UniqueHandle(info.hProcess), info.dwProcessId};
    // A program that went idle before showing its window is then watched every 5 ms.
    if (WaitForInputIdle(started.process.Get(), 60000) != 0) {
        Close(started);
        throw std::runtime_error(program + " did not get to wait for input within a minute");
    }
    const double deadline = Now() + 60;
    while (!FirstPaintDone(started.id)) {
        if (WaitForSingleObject(started.process.Get(), 5) == WAIT_OBJECT_0)
            throw std::runtime_error(program + " ended before it painted a window");
        if (Now() > deadline) {
            Close(started);
            throw std::runtime_error(program + " painted no window within a minute");
        }
    }
    return started;
}

}  // namespace

std::vector<Row> MeasureStartup(const BenchSetup& setup)
{
    // Install.exe starts as a player starts it: from the mod's folder, beside its description.
    const std::string mod = setup.scratch + "\\startup-mod";
    MakeDirectory(mod);
    for (const char* file : {"modsettings.ini", "demo-mod.txt"}) {
        if (!CopyFileA((setup.demoMod + "\\" + file).c_str(), (mod + "\\" + file).c_str(), FALSE))
            ThrowLastError("Copy file", setup.demoMod + "\\" + file);
    }
    const std::string installer = mod + "\\Install.exe";
    if (!CopyFileA(setup.installExe.c_str(), installer.c_str(), FALSE))
        ThrowLastError("Copy file", setup.installExe);
    const std::string windowFolder = OwnFolder();

    // The figure means something only while the yardstick shows the windows Install.exe shows.
    const auto windowsShown = [](const std::string& program, const std::string& folder) {
        Started started = StartAndWaitForFirstPaint(program, folder);
        const std::vector<std::string> windows = WindowsOf(started.id);
        Close(started);
        return windows;
    };
    const std::vector<std::string> installerWindows = windowsShown(installer, mod);
    const std::vector<std::string> yardstickWindows = windowsShown(setup.windowExe, windowFolder);
    if (installerWindows != yardstickWindows) {
        const auto differ = std::mismatch(installerWindows.begin(), installerWindows.end(), yardstickWindows.begin(),
                                          yardstickWindows.end());
        const auto shown = [](auto at, auto end) { return at == end ? std::string("nothing") : *at; };
        throw std::runtime_error("the start-up yardstick's windows differ from Install.exe's: " +
                                 shown(differ.first, installerWindows.end()) + " against " +
                                 shown(differ.second, yardstickWindows.end()));
    }

    // Each side is timed to its first paint; its window is closed untimed, before the next start.
    Started last;
    const auto side = [&last](const std::string& program, const std::string& folder) {
        return [&last, program, folder] { last = StartAndWaitForFirstPaint(program, folder); };
    };
    const auto closeLast = [&last] { Close(last); };
    // Start-up times under Wine on a shared machine spread widely from one run to the next, so
    // this figure takes more runs than the others.
    constexpr int kStartupRuns = 11;
    const Comparison times =
        Compare(kStartupRuns, side(installer, mod), side(setup.windowExe, windowFolder), closeLast);
    closeLast();
    return {{"4", "Start-up to first paint (demo mod)", "Install.exe " + FormatSeconds(times.program),
             "same window and controls, unfilled " + FormatSeconds(times.baseline), FormatRatio(times.ratio), "<= 1.25",
             times.ratio <= 1.25}};
}
