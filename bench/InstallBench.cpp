// Row 1: pressing "Install Mod" with a 256 MiB patch archive, against the bare physical work of
// an install: copying the archive, forced to the disk, and running the archiver. Row 1b: putting
// a 256 MiB backup back, against the same copy. And the memory part of row 5: the peak working
// set of a process that does nothing but that install.
#include "bench/Fixtures.h"
#include "bench/Measure.h"
#include "bench/Press.h"
#include "bench/Rows.h"

#include "install/InstallScript.h"
#include "system/FileSystem.h"
#include "system/Module1.h"
#include "system/Win32Error.h"
#include "tests/TestSupport.h"
#include "window/Form1.h"

#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

constexpr uint64_t kArchiveSize = 256ull << 20;
constexpr size_t kScriptSize = 1 << 20;
constexpr size_t kScriptOccurrences = 10000;

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
    Installation paths = Paths(setup.scratch + "\\Mod Folder", setup.scratch + "\\Diablo II");
    MakeDirectory(paths.mod);
    MakeDirectory(paths.game);
    // A sound MPQ archive, as the game's is (one that isn't is never installed onto), filled out.
    WriteFilledFile(paths.archive, kArchiveSize, MpqArchive());
    // The archiver changes the archive it opens, by which the installer tells that it installed.
    const std::string open = "o " + std::string(kArchiveName) + "\r\n";
    const std::string script = open + ScriptWithOccurrences(kScriptSize - open.size(), kScriptOccurrences - 1);
    MakeModFolder(paths.mod, "mod-script.txt", script, setup.archiver);
    // The baseline's archiver reads the script the installer writes.
    WriteRewrittenScript(CorrectScriptIn(paths.mod), script, GetShortPath(paths.archive));
    return paths;
}

// Removes what the last install left, so that every run copies the archive afresh and the
// archiver's record starts empty.
void Reset(const Installation& paths)
{
    DeleteFileA(paths.backup.c_str());
    DeleteFileA((paths.mod + "\\mpq2k.log").c_str());
}

// The physical work of an install: the backup copy, and the archiver started on the script and
// waited for.
void CopyAndRunArchiver(const Installation& paths)
{
    FlushedCopy(paths.archive, paths.backup);
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
    const auto form = OpenOn(paths.mod, paths.game);
    const double atStart = PeakWorkingSet();
    PressInstall(*form);
    const double peak = PeakWorkingSet();
    WriteWholeFile(result, std::to_string(atStart) + " " + std::to_string(peak));
    return 0;
}

std::vector<Row> MeasureInstall(const BenchSetup& setup)
{
    const Installation paths = MakeInstallation(setup);
    const auto form = OpenOn(paths.mod, paths.game);
    const Comparison install = Compare(
        kInstallRuns, [&] { PressInstall(*form); },
        [&] {
            CopyAndRunArchiver(paths);
            ShowAnsweredBox(form->Handle(), kInstalledText, "Installed, Backup Created!", MB_OK);
        },
        [&] {
            Reset(paths);
            ClearStatus(*form);
        });
    // Each restore puts the same backup back over the archive, as the baseline copies it over.
    FlushedCopy(paths.archive, paths.backup);
    const Comparison restore = Compare(
        kInstallRuns, [&] { PressRestore(*form); },
        [&] {
            ShowAnsweredBox(form->Handle(),
                            "Copy the backup " + paths.backup + " over " + paths.archive +
                                "?\n\nThe changes the mod made to the game's archive will be lost.",
                            "Restore Backup", MB_YESNO | MB_ICONQUESTION);
            FlushedCopy(paths.backup, paths.archive);
        },
        [&] { ClearStatus(*form); });
    Reset(paths);
    const WorkingSet workingSet = PeakWorkingSetOfOneInstall(setup, paths);
    Reset(paths);
    DeleteFileA(paths.archive.c_str());

    constexpr double kMiB = 1024.0 * 1024.0;
    return {
        {"1", "Install Mod: 256 MiB archive, 1 MiB script with 10000 mentions",
         "InstallMod " + FormatSeconds(install.program),
         "CopyFileA + FlushFileBuffers + archiver run + the box " +
             FormatSeconds(install.baseline),
         FormatRatio(install.ratio), "<= 1.10", install.ratio <= 1.10},
        {"1b", "Restore: 256 MiB backup over the archive", "RestoreBackup " + FormatSeconds(restore.program),
         "the question + CopyFileA + FlushFileBuffers " + FormatSeconds(restore.baseline), FormatRatio(restore.ratio),
         "<= 1.10", restore.ratio <= 1.10},
        {"5c", "Peak working set of a 256 MiB install", FormatMiB(workingSet.peak),
         "window open before the install " + FormatMiB(workingSet.atStart), FormatMiB(workingSet.peak), "<= 48.00 MiB",
         workingSet.peak <= 48 * kMiB},
    };
}
