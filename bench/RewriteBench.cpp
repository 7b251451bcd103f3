// Row 2: reading, rewriting and writing the mod's script as the install does, against reading
// and writing the same bytes unchanged; and how that cost grows with the script's size.
#include "bench/Fixtures.h"
#include "bench/Growth.h"
#include "bench/Measure.h"
#include "bench/Rows.h"

#include "install/InstallScript.h"
#include "system/FileSystem.h"
#include "system/Module1.h"
#include "tests/TestSupport.h"

namespace {

constexpr size_t kMiB = 1 << 20;
// A million mentions of the archive in 64 MiB, and as densely in the smaller scripts.
constexpr size_t kMentionsPer64MiB = 1000000;

}  // namespace

std::vector<Row> MeasureRewrite(const BenchSetup& setup)
{
    // The archive's short path as the install puts it in: of a real file in a long-named folder.
    const std::string game = setup.scratch + "\\Rewrite Game Folder";
    MakeDirectory(game);
    WriteTextFile(game + "\\patch_d2.mpq", "archive");
    const std::string shortPath = GetShortPath(game + "\\patch_d2.mpq");

    std::vector<SizedComparison> measured;
    for (int mib : {16, 32, 64}) {
        const std::string script = setup.scratch + "\\script.txt";
        WriteTextFile(script, ScriptWithOccurrences(mib * kMiB, kMentionsPer64MiB * mib / 64));
        const std::string rewritten = setup.scratch + "\\correctscript.tmp";
        const std::string copied = setup.scratch + "\\copied.txt";
        // As the install does it, and the same read and write with the bytes left as they are (not
        // forced to the disk either).
        const auto rewrite = [&] { WriteRewrittenScript(rewritten, ReadWholeFile(script), shortPath); };
        const auto copy = [&] {
            const std::string bytes = ReadWholeFile(script);
            WriteWholeFile(
                copied, [&bytes](const PieceSink& put) { put(bytes); }, Durability::Transient);
        };
        measured.push_back({mib, Compare(kRuns, rewrite, copy)});
        for (const std::string& file : {script, rewritten, copied})
            DeleteFileA(file.c_str());
    }

    std::vector<Row> rows;
    const SizedComparison& largest = measured.back();
    rows.push_back({"2", "Script rewrite: 64 MiB, 1000000 mentions",
                    "ReadWholeFile + WriteRewrittenScript " + FormatSeconds(largest.times.program),
                    "ReadWholeFile + WriteWholeFile unchanged " + FormatSeconds(largest.times.baseline),
                    FormatRatio(largest.times.ratio), "<= 2.0", largest.times.ratio <= 2.0});
    rows.push_back(GrowthRow("2b", "Script rewrite", "read + write", measured[0], measured[1], "MiB"));
    rows.push_back(GrowthRow("2c", "Script rewrite", "read + write", measured[1], measured[2], "MiB"));
    return rows;
}
