// Row 4: from process start to the first paint of Install.exe's window on the demo mod, against
// a program that opens the same window and fills it with the same content through the platform's
// plainest calls, both started the same way from the same folder. Row 4b, for information, sets
// Install.exe against the same window and controls left unfilled.
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

#include "system/CodePage.h"
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

// Sends a message to another program's window, which must answer within ten seconds.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0, bool unicode = false)
{
    DWORD_PTR result = 0;
    const auto send = unicode ? SendMessageTimeoutW : SendMessageTimeoutA;
    if (!send(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result))
        throw std::runtime_error("a window of the program measured didn't answer within ten seconds");
    return static_cast<LRESULT>(result);
}

// What the user sees of a window: its text, its place and size (the top-level window's client
// size only: where the system puts a window varies), a list's entries and selection, and whether a
// picture control holds its picture.
std::string ContentsOf(HWND window, bool topLevel, const char* className)
{
    const auto is = [className](const char* name) { return lstrcmpiA(className, name) == 0; };
    std::string text(static_cast<size_t>(Ask(window, WM_GETTEXTLENGTH)) + 1, '\0');
    text.resize(static_cast<size_t>(Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    RECT rect;
    if (topLevel) {
        GetClientRect(window, &rect);
    } else {
        GetWindowRect(window, &rect);
        MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    }
    char place[96];
    std::snprintf(place, sizeof place, " at %ld,%ld size %ldx%ld", rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top);
    std::string contents = " text \"" + text + "\"" + place;
    const bool combo = is("ComboBox");
    if (combo || is("ListBox")) {
        const LRESULT count = Ask(window, combo ? CB_GETCOUNT : LB_GETCOUNT);
        char entries[64];
        std::snprintf(entries, sizeof entries, " %lld entries, selected %lld:", static_cast<long long>(count),
                      static_cast<long long>(Ask(window, combo ? CB_GETCURSEL : LB_GETCURSEL)));
        contents += entries;
        for (LRESULT i = 0; i < count; ++i) {
            // Asked for in UTF-16: across processes Wine hands an ANSI caller the UTF-16 text.
            std::wstring entry(static_cast<size_t>(Ask(window, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i)) + 1, L'\0');
            Ask(window, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry.data()), true);
            contents += " \"" + ToCodePageLossy(entry.c_str()) + "\"";
        }
    }
    if (is("Static") && (GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
        contents += Ask(window, STM_GETIMAGE, IMAGE_BITMAP) ? " with its picture" : " without a picture";
    return contents;
}

// What makes two programs' windows the same here: each window's class, styles and extended
// styles, its id and its parent's id, in the order they were made, and with `contents` what the
// window shows. The top-level window's class name is the program's own, and a list's scroll bar
// comes and goes with its entries, so neither is compared.
std::string Describe(HWND window, bool topLevel, bool contents)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    const auto style = static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE) & ~(WS_VSCROLL | WS_HSCROLL));
    const auto exStyle = static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE));
    char text[160];
    std::snprintf(text, sizeof text, "%s style %08lx exstyle %08lx id %d in %d", topLevel ? "" : className, style,
                  exStyle, GetDlgCtrlID(window), GetDlgCtrlID(GetParent(window)));
    return contents ? text + ContentsOf(window, topLevel, className) : text;
}

std::vector<std::string> WindowsOf(DWORD process, bool contents)
{
    std::vector<std::string> described;
    for (HWND window : VisibleWindowsOf(process)) {
        std::vector<HWND> children;
        EnumChildWindows(
            window,
            [](HWND child, LPARAM param) -> BOOL {
                reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&children));
        described.push_back(Describe(window, true, contents));
        for (HWND child : children)
            described.push_back(Describe(child, false, contents));
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
    // Install.exe starts as a player starts it for the first time: from the mod's folder, beside
    // its description, with no game location remembered (the install rows leave theirs behind).
    ForgetGameLocations();
    const std::string mod = setup.scratch + "\\startup-mod";
    MakeDirectory(mod);
    for (const char* file : {"modsettings.ini", "demo-mod.txt"}) {
        if (!CopyFileA((setup.demoMod + "\\" + file).c_str(), (mod + "\\" + file).c_str(), FALSE))
            ThrowLastError("Copy file", setup.demoMod + "\\" + file);
    }
    // Each program runs from the mod's folder, and the yardstick reads the description beside it.
    const auto placed = [&mod](const std::string& program) {
        const std::string copy = mod + program.substr(program.rfind('\\'));
        if (!CopyFileA(program.c_str(), copy.c_str(), FALSE))
            ThrowLastError("Copy file", program);
        return copy;
    };
    const std::string installer = placed(setup.installExe);
    const std::string filled = placed(setup.windowExe);
    const std::string unfilled = placed(setup.unfilledWindowExe);

    // The figures mean something only while the yardsticks show the windows Install.exe shows:
    // the filled one with the same texts, lists and picture, the unfilled one with the same
    // windows only.
    const auto windowsShown = [&mod](const std::string& program, bool contents) {
        Started started = StartAndWaitForFirstPaint(program, mod);
        const std::vector<std::string> windows = WindowsOf(started.id, contents);
        Close(started);
        return windows;
    };
    for (const auto& [yardstick, contents] : {std::pair{filled, true}, std::pair{unfilled, false}}) {
        const std::vector<std::string> installerWindows = windowsShown(installer, contents);
        const std::vector<std::string> yardstickWindows = windowsShown(yardstick, contents);
        if (installerWindows != yardstickWindows) {
            const auto differ = std::mismatch(installerWindows.begin(), installerWindows.end(),
                                              yardstickWindows.begin(), yardstickWindows.end());
            const auto shown = [](auto at, auto end) { return at == end ? std::string("nothing") : *at; };
            throw std::runtime_error("the windows of the start-up yardstick " + yardstick +
                                     " differ from Install.exe's: " + shown(differ.first, installerWindows.end()) +
                                     " against " + shown(differ.second, yardstickWindows.end()));
        }
    }

    // Each side is timed to its first paint; its window is closed untimed, before the next start.
    Started last;
    const auto side = [&last, &mod](const std::string& program) {
        return [&last, &mod, program] { last = StartAndWaitForFirstPaint(program, mod); };
    };
    const auto closeLast = [&last] { Close(last); };
    // Start-up times under Wine on a shared machine spread widely from one run to the next, so
    // these figures take more runs than the others.
    constexpr int kStartupRuns = 11;
    const Comparison times = Compare(kStartupRuns, side(installer), side(filled), closeLast);
    const Comparison unfilledTimes = Compare(kStartupRuns, side(installer), side(unfilled), closeLast);
    closeLast();
    return {{"4", "Start-up to first paint (demo mod)", "Install.exe " + FormatSeconds(times.program),
             "same window filled by plain platform calls " + FormatSeconds(times.baseline), FormatRatio(times.ratio),
             "<= 1.15", times.ratio <= 1.15},
            {"4b", "Start-up to first paint (demo mod), against the window unfilled",
             "Install.exe " + FormatSeconds(unfilledTimes.program),
             "same window and controls, unfilled " + FormatSeconds(unfilledTimes.baseline),
             FormatRatio(unfilledTimes.ratio), "", true}};
}
