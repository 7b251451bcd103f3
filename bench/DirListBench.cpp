// Row 3: opening Dir1 on a folder full of subfolders, against the bare listing of that folder.
#include "bench/Fixtures.h"
#include "bench/Growth.h"
#include "bench/Measure.h"
#include "bench/Rows.h"

#include "system/ScopedHandle.h"
#include "tests/TestSupport.h"
#include "window/Form1.h"

#include <stdexcept>

namespace {

// What any program must do at least to show a folder's subfolders: read the folder.
size_t BareListing(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &found));
    size_t entries = 0;
    if (find) {
        do
            ++entries;
        while (FindNextFileA(find.Get(), &found));
    }
    return entries;
}

}  // namespace

std::vector<Row> MeasureDirList(const BenchSetup& setup)
{
    const std::string mod = setup.scratch + "\\dirlist-mod";
    MakeDirectory(mod);
    WriteTextFile(mod + "\\modsettings.ini", "[MainSettings]\r\nTitle=Benchmark Mod\r\n");
    Form1 form(mod);
    if (!form.Create(GetModuleHandleA(nullptr)))
        throw std::runtime_error("Form1 did not start");
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    PumpMessages();

    std::vector<SizedComparison> measured;
    for (int folders : {1000, 10000, 50000}) {
        const std::string folder = setup.folderTrees + "\\folders-" + std::to_string(folders);
        const auto open = [&] {
            form.Dir1().SetPath(folder);
            UpdateWindow(form.Dir1().Handle());
        };
        const auto list = [&] { BareListing(folder); };
        // Between runs the list goes back to a small folder, so that every run fills it anew.
        const auto reset = [&] { form.Dir1().SetPath(mod); };
        measured.push_back({folders, Compare(kRuns, open, list, reset)});
    }

    const SizedComparison& tenThousand = measured[1];
    std::vector<Row> rows;
    rows.push_back({"3", "Dir1 open, 10000 subfolders", FormatSeconds(tenThousand.times.program),
                    "FindFirstFileA/FindNextFileA " + FormatSeconds(tenThousand.times.baseline),
                    FormatRatio(tenThousand.times.ratio), "<= 2.0", tenThousand.times.ratio <= 2.0});
    rows.push_back(GrowthRow("3b", "Dir1 open", "bare listing", measured[0], measured[1], "folders"));
    rows.push_back(GrowthRow("3c", "Dir1 open", "bare listing", measured[1], measured[2], "folders"));
    return rows;
}
