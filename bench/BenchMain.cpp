// installer_bench: measures Install.exe against the physical work it stands for, prints the
// table and writes it as CSV.
//   installer_bench CSV DEMO_MOD FOLDER_TREES
//   installer_bench --install-once MOD GAME RESULT   (what it starts to measure one install)
// Install.exe is taken from the build folder above this program, the start-up yardsticks and
// the stand-in archiver from beside it. Exits with 1 when a target is missed, 2 when the
// benchmark itself failed.
#include "bench/Fixtures.h"
#include "bench/Rows.h"

#include "settings/Location.h"
#include "system/ProcessSetup.h"
#include "tests/TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    const bool installOnce = argc == 5 && std::string(argv[1]) == "--install-once";
    if (argc != 4 && !installOnce) {
        std::fprintf(stderr, "usage: installer_bench CSV DEMO_MOD FOLDER_TREES\n");
        return 2;
    }
    // The same process set-up as Install.exe's own.
    const ProcessSetup process;
    if (installOnce) {
        try {
            return InstallOnce(argv[2], argv[3], argv[4]);
        } catch (const std::exception& failure) {
            std::fprintf(stderr, "The install failed: %s\n", failure.what());
            return 2;
        }
    }

    const std::string csv = argv[1];
    const std::string build = OwnFolder() + "\\..";
    TempDir scratch;
    const BenchSetup setup{scratch.Path(),
                           build + "\\Install.exe",
                           OwnFolder() + "\\bench_window.exe",
                           OwnFolder() + "\\bench_window_unfilled.exe",
                           build + "\\tests\\mpq2k.exe",
                           argv[2],
                           argv[3]};
    // Nothing remembered: every Form1 here starts as on a fresh machine.
    ForgetGameLocations();
    std::vector<Row> rows;
    try {
        for (const auto measure : {MeasureInstall, MeasureBigMods, MeasureRewrite, MeasureDirList, MeasureStartup,
                                   MeasureFootprint, MeasureArchive}) {
            for (Row& row : measure(setup))
                rows.push_back(std::move(row));
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "The benchmark failed: %s\n", failure.what());
        return 2;
    }
    ForgetGameLocations();
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.id < b.id; });
    PrintTable(rows);
    WriteCsv(csv, rows);
    std::printf("Written to %s\n", csv.c_str());
    return std::all_of(rows.begin(), rows.end(), [](const Row& row) { return row.met; }) ? 0 : 1;
}
