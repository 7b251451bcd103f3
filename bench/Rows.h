#pragma once
// The benchmark's rows, one function per target. Each makes what it measures on in `scratch`,
// times the program against its baseline, and gives back its rows of the table.
#include "bench/Table.h"

#include <string>
#include <vector>

struct BenchSetup {
    std::string scratch;            // a folder for the big files, on the real disk
    std::string installExe;         // the built Install.exe
    std::string windowExe;          // the start-up yardstick: the same window filled by the platform
    std::string unfilledWindowExe;  // the same window and controls, unfilled
    std::string archiver;           // the stand-in archiver
    std::string demoMod;            // the demo mod's folder
    // Holds folders-1000, folders-10000 and folders-50000, each with that many subfolders.
    // Under Wine they are made outside Windows: Wine looks through the whole folder for a name
    // that differs only in case before it creates each subfolder, which makes filling a folder
    // of 50,000 take many minutes.
    std::string folderTrees;
};

constexpr int kRuns = 11;
// An install or restore of 256 MiB is mostly its flush, whose time swings by a tenth from one run
// to the next on either side: the median of more of them is needed to see a few percent.
constexpr int kInstallRuns = 15;

// The install alone, in a process of its own, for its peak working set: opens Form1 on `mod`,
// presses "Install Mod" on `game`, writes the peak working sets before and after to `result`.
int InstallOnce(const std::string& mod, const std::string& game, const std::string& result);

std::vector<Row> MeasureInstall(const BenchSetup& setup);
std::vector<Row> MeasureBigMods(const BenchSetup& setup);
std::vector<Row> MeasureRewrite(const BenchSetup& setup);
std::vector<Row> MeasureDirList(const BenchSetup& setup);
std::vector<Row> MeasureStartup(const BenchSetup& setup);
std::vector<Row> MeasureFootprint(const BenchSetup& setup);
std::vector<Row> MeasureArchive(const BenchSetup& setup);
