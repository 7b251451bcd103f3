// Row 4: from process start to the first paint of Install.exe's window on the demo mod, against
// a minimal window program of our own, both started the same way.
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

    // Each side is timed to its first paint; its window is closed untimed, before the next start.
    Started last;
    const auto side = [&last](const std::string& program, const std::string& folder) {
        return [&last, program, folder] { last = StartAndWaitForFirstPaint(program, folder); };
    };
    const auto closeLast = [&last] { Close(last); };
    // Start-up times under Wine on a shared machine spread widely from one run to the next, so
    // this figure takes more runs than the others.
    constexpr int kStartupRuns = 11;
    const Comparison times = Compare(kStartupRuns, side(installer, mod), side(setup.windowExe, windowFolder), closeLast);
    closeLast();
    return {{"4", "Start-up to first paint (demo mod)", "Install.exe " + FormatSeconds(times.program),
             "minimal window " + FormatSeconds(times.baseline), FormatRatio(times.ratio), "<= 1.5",
             times.ratio <= 1.5}};
}
