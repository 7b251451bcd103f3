// Row 1: pressing "Install Mod" with a 256 MiB patch archive, against the bare physical work of
// an install: copying the archive and running the archiver. And the memory part of row 5: the
// peak working set of a process that does nothing but that install.
#include "bench/Fixtures.h"
#include "bench/Measure.h"
#include "bench/Rows.h"

#include "app/Form1.h"
#include "app/InstallScript.h"
#include "system/FileSystem.h"
#include "system/Module1.h"
#include "system/Win32Error.h"
#include "tests/TestSupport.h"

#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

constexpr uint64_t kArchiveSize = 256ull << 20;
constexpr size_t kScriptSize = 1 << 20;
constexpr size_t kScriptOccurrences = 10000;

// Answers each message box of the calling thread the moment it is shown, by pressing its OK
// button: the install's boxes cost the benchmark no waiting.
class BoxAnswerer {
public:
    BoxAnswerer() : hook_(SetWindowsHookExA(WH_CBT, Answer, nullptr, GetCurrentThreadId())) {}
    ~BoxAnswerer() { UnhookWindowsHookEx(hook_); }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

private:
    static LRESULT CALLBACK Answer(int code, WPARAM wParam, LPARAM lParam)
    {
        char className[16] = "";
        if (code == HCBT_ACTIVATE && GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof className) &&
            std::strcmp(className, "#32770") == 0)
            PostMessageA(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDOK, 0);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK hook_;
};

struct Installation {
    std::string mod;
    std::string game;
    std::string archive;
    std::string backup;
};

Installation Paths(const std::string& mod, const std::string& game)
{
    return {mod, game, game + "\\patch_d2.mpq", game + "\\patch_d2_backup.mpq"};
}

// What the install starts from: the game's archive, and a mod with its script and the archiver.
Installation MakeInstallation(const BenchSetup& setup)
{
    const Installation paths = Paths(setup.scratch + "\\Mod Folder", setup.scratch + "\\Diablo II");
    MakeDirectory(paths.mod);
    MakeDirectory(paths.game);
    WriteFilledFile(paths.archive, kArchiveSize);
    const std::string script = ScriptWithOccurrences(kScriptSize, kScriptOccurrences);
    MakeModFolder(paths.mod, "mod-script.txt", script, setup.archiver);
    // The baseline's archiver reads the script the installer writes.
    WriteRewrittenScript(paths.mod + "\\correctscript.tmp", script, GetShortPath(paths.archive));
    return paths;
}

// Removes what the last install left, so that every run copies the archive afresh and the
// archiver's record starts empty.
void Reset(const Installation& paths)
{
    DeleteFileA(paths.backup.c_str());
    DeleteFileA((paths.mod + "\\mpq2k.log").c_str());
}

// Presses "Install Mod" and returns when the install has ended: the archiver is done and the
// last box answered.
void PressInstall(Form1& form)
{
    const BoxAnswerer answerer;
    form.InstallMod();
    while (form.Installing()) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 60000, QS_ALLINPUT) == WAIT_TIMEOUT)
            throw std::runtime_error("the install did not end within a minute");
        PumpMessages();
    }
}

std::unique_ptr<Form1> OpenOn(const Installation& paths)
{
    auto form = std::make_unique<Form1>(paths.mod);
    if (!form->Create(GetModuleHandleA(nullptr)))
        throw std::runtime_error("Form1 did not start");
    ShowWindow(form->Handle(), SW_SHOWNOACTIVATE);
    form->Dir1().SetPath(paths.game);
    return form;
}

// The physical work of an install: one copy of the archive, and the archiver started on the
// script and waited for. `durable` also forces the copy to the disk before the archiver starts,
// as the installer does so that a power cut while the archiver rewrites the archive can't take
// the backup with it.
void CopyAndRunArchiver(const Installation& paths, bool durable)
{
    if (!CopyFileA(paths.archive.c_str(), paths.backup.c_str(), TRUE))
        ThrowLastError("Copy file", paths.archive);
    if (durable) {
        const FileHandle copy(
            CreateFileA(paths.backup.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!copy || !FlushFileBuffers(copy.Get()))
            ThrowLastError("Flush file", paths.backup);
    }
    std::string commandLine = ArchiverCommandLine(paths.mod);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, paths.mod.c_str(), &startup,
                        &started))
        ThrowLastError("Start program", commandLine);
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
}

struct WorkingSet {
    double atStart = 0;  // peak before the install: the window open on the game's folder
    double peak = 0;     // peak by the end of the install
};

WorkingSet PeakWorkingSetOfOneInstall(const BenchSetup& setup, const Installation& paths)
{
    const std::string result = setup.scratch + "\\working-set.txt";
    const std::string self = ThisProgram();
    std::string commandLine = QuoteIfSpaced(self);
    for (const std::string& argument : {std::string("--install-once"), paths.mod, paths.game, result})
        commandLine += " \"" + argument + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(self.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        ThrowLastError("Start program", self);
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.Get(), &exitCode);
    WorkingSet measured;
    if (exitCode != 0 || std::sscanf(ReadWholeFile(result).c_str(), "%lf %lf", &measured.atStart, &measured.peak) != 2)
        throw std::runtime_error("the install for the working set failed");
    return measured;
}

double PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize);
}

}  // namespace

int InstallOnce(const std::string& mod, const std::string& game, const std::string& result)
{
    const Installation paths = Paths(mod, game);
    Reset(paths);
    const auto form = OpenOn(paths);
    const double atStart = PeakWorkingSet();
    PressInstall(*form);
    const double peak = PeakWorkingSet();
    WriteWholeFile(result, std::to_string(atStart) + " " + std::to_string(peak));
    return 0;
}

std::vector<Row> MeasureInstall(const BenchSetup& setup)
{
    const Installation paths = MakeInstallation(setup);
    const auto form = OpenOn(paths);
    const auto install = [&] { PressInstall(*form); };
    const auto reset = [&] { Reset(paths); };
    const Comparison times = Compare(kRuns, install, [&] { CopyAndRunArchiver(paths, false); }, reset);
    const Comparison durable = Compare(kRuns, install, [&] { CopyAndRunArchiver(paths, true); }, reset);
    Reset(paths);
    const WorkingSet workingSet = PeakWorkingSetOfOneInstall(setup, paths);
    Reset(paths);
    DeleteFileA(paths.archive.c_str());

    constexpr double kMiB = 1024.0 * 1024.0;
    return {
        {"1", "Install Mod: 256 MiB archive, 1 MiB script with 10000 mentions",
         "InstallMod " + FormatSeconds(times.program),
         "CopyFileA + archiver run " + FormatSeconds(times.baseline), FormatRatio(times.ratio), "<= 1.10",
         times.ratio <= 1.10},
        {"1b", "The same, against a copy forced to the disk as the installer's backup is",
         "InstallMod " + FormatSeconds(durable.program),
         "CopyFileA + FlushFileBuffers + archiver run " + FormatSeconds(durable.baseline),
         FormatRatio(durable.ratio), "<= 1.10", durable.ratio <= 1.10},
        {"5c", "Peak working set of a 256 MiB install", FormatMiB(workingSet.peak),
         "window open before the install " + FormatMiB(workingSet.atStart), FormatMiB(workingSet.peak),
         "<= 48.00 MiB", workingSet.peak <= 48 * kMiB},
    };
}
