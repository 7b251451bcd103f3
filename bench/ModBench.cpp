// Rows 1c and 1d: "Install Mod" on a mod of 10,000 files, as the big mods of the game's modding
// scene ship them: one pattern line with /r, the files in folders of the mod's own, a real archive
// of format version 0 with room for them, the stand-in archiver adding them for real. Timed is the
// installer's own part of the press: the whole press less the archiver's run (from its start to
// its process's end) and the copy of the archive (from its start to the backup's rename), both
// timed through the platform calls that make them. Baseline: listing the same folders and reading
// the archive's tables once, and the success box, which stands on both sides as in row 1. And how
// the installer's own part grows from 1,000 files to 10,000.
#include "bench/Fixtures.h"
#include "bench/Measure.h"
#include "bench/Press.h"
#include "bench/Rows.h"

#include "system/Platform.h"
#include "system/ScopedHandle.h"
#include "system/Win32Error.h"
#include "tests/TestSupport.h"

#include <atomic>
#include <stdexcept>

namespace {

constexpr std::size_t kFilesAFolder = 100;

struct BigMod {
    std::size_t files;
    std::string mod;
    std::string game;
    std::string archive;   // the game's patch_d2.mpq
    std::string original;  // its bytes before the install
};

BigMod MakeBigMod(const BenchSetup& setup, std::size_t files)
{
    const std::string name = std::to_string(files);
    BigMod made{files, setup.scratch + "\\Mod of " + name, setup.scratch + "\\Game for " + name, "", ""};
    made.archive = made.game + "\\patch_d2.mpq";
    for (const std::string& folder : {made.mod, made.game, made.mod + "\\data", made.mod + "\\data\\global"})
        MakeDirectory(folder);
    MakeModFolder(made.mod, "mod.txt", "o patch_d2.mpq\r\na data\\* data /r\r\n", setup.archiver);
    for (std::size_t i = 0; i < files; ++i) {
        const std::string folder = made.mod + "\\data\\global\\folder" + std::to_string(i / kFilesAFolder);
        if (i % kFilesAFolder == 0)
            MakeDirectory(folder);
        WriteTextFile(folder + "\\file" + std::to_string(i) + ".txt", "the mod's file " + std::to_string(i));
    }
    // A hash table three quarters full at most once the mod is in, as archivers keep theirs.
    std::uint32_t hashEntries = 1024;
    while (hashEntries * 3 / 4 < files + 100)
        hashEntries *= 2;
    made.original = MpqArchiveOf(GameLikeFiles(100), hashEntries, false);
    return made;
}

// Each run starts from the game's archive as it was, with no backup, record or archiver's log.
void Reset(const BigMod& made)
{
    WriteTextFile(made.archive, made.original);
    for (const std::string& left : {made.game + "\\patch_d2_backup.mpq", made.game + "\\patch_d2_mods.txt",
                                    made.mod + "\\mpq2k.log", made.mod + "\\Install.log"})
        DeleteFileA(left.c_str());
}

ULONGLONG Ticks(const FILETIME& time) { return ULONGLONG{time.dwHighDateTime} << 32 | time.dwLowDateTime; }

// The parts of a press that are not the installer's own, timed through the platform calls that make
// them, for as long as it lives: the archiver from the call that starts it to its process's end (on
// the system clock, which Wine keeps to the microsecond), the copy on the copy's own thread.
class OtherParts {
public:
    explicit OtherParts(const std::string& backup)
    {
        Platform().shellExecuteEx = [this](SHELLEXECUTEINFOA* info) {
            GetSystemTimeAsFileTime(&archiverStart_);
            const BOOL started = ::ShellExecuteExA(info);
            HANDLE process = nullptr;
            if (started && info->hProcess &&
                DuplicateHandle(GetCurrentProcess(), info->hProcess, GetCurrentProcess(), &process, 0, FALSE,
                                DUPLICATE_SAME_ACCESS))
                archiver_.Reset(process);
            return started;
        };
        Platform().copyFileEx = [this](LPCSTR from, LPCSTR to, LPPROGRESS_ROUTINE progress, LPVOID context,
                                       LPBOOL cancel, DWORD flags) {
            copyStart_ = Now();
            return ::CopyFileExA(from, to, progress, context, cancel, flags);
        };
        Platform().moveFileEx = [this, backup](LPCSTR from, LPCSTR to, DWORD flags) {
            const BOOL moved = ::MoveFileExA(from, to, flags);
            if (to && lstrcmpiA(to, backup.c_str()) == 0)
                copy_ = Now() - copyStart_;
            return moved;
        };
    }

    double Archiver() const
    {
        FILETIME created, exited, kernel, user;
        if (!archiver_ || !GetProcessTimes(archiver_.Get(), &created, &exited, &kernel, &user) ||
            Ticks(exited) < Ticks(archiverStart_))
            throw std::runtime_error("the archiver's run could not be timed");
        return static_cast<double>(Ticks(exited) - Ticks(archiverStart_)) / 1e7;
    }
    double Copy() const { return copy_; }

private:
    PlatformOverride restored_;
    FILETIME archiverStart_{};
    UniqueHandle archiver_;
    double copyStart_ = 0;
    std::atomic<double> copy_{0};
};

std::size_t ListedFiles(const std::string& folder)
{
    std::size_t files = 0;
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileExA((folder + "\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.Get(), &found)) {
        const std::string name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++files;
        else if (name != "." && name != "..")
            files += ListedFiles(folder + "\\" + name);
    }
    return files;
}

// The archive's header and both of its tables, read as they stand, once.
void ReadTablesOnce(const std::string& archive)
{
    const FileHandle file(CreateFileA(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_RANDOM_ACCESS, nullptr));
    std::uint32_t fields[8] = {};
    DWORD read = 0;
    if (!file || !ReadFile(file.Get(), fields, sizeof fields, &read, nullptr))
        ThrowLastError("Read", archive);
    // The hash table and the block table follow one another.
    std::string tables((fields[6] + fields[7]) * 16, '\0');
    OVERLAPPED place{};
    place.Offset = fields[4];
    if (!ReadFile(file.Get(), tables.data(), static_cast<DWORD>(tables.size()), &read, &place) || read != tables.size())
        ThrowLastError("Read", archive);
}

struct Measured {
    Comparison own;
    double press = 0;
    double archiver = 0;
    double copy = 0;
};

Measured MeasureBigMod(const BigMod& made, const std::unique_ptr<Form1>& form)
{
    std::vector<double> presses;
    std::vector<double> archivers;
    std::vector<double> copies;
    const auto own = [&] {
        const OtherParts parts(made.game + "\\patch_d2_backup.mpq");
        const double press = TimeOnce([&] { PressInstall(*form); });
        presses.push_back(press);
        archivers.push_back(parts.Archiver());
        copies.push_back(parts.Copy());
        return press - archivers.back() - copies.back();
    };
    const auto yardstick = [&] {
        if (ListedFiles(made.mod + "\\data") != made.files)
            throw std::runtime_error("the mod's files were not all listed");
        ReadTablesOnce(made.archive);
        ShowAnsweredBox(form->Handle(), kInstalledText, "Installed, Backup Created!", MB_OK);
    };
    const auto prepare = [&] {
        Reset(made);
        ClearStatus(*form);
    };
    const Comparison times = CompareOwnTime(kRuns, own, yardstick, prepare);
    Reset(made);
    // The first of each is the warm-up's.
    const auto timed = [](const std::vector<double>& runs) { return Median({runs.begin() + 1, runs.end()}); };
    return {times, timed(presses), timed(archivers), timed(copies)};
}

}  // namespace

std::vector<Row> MeasureBigMods(const BenchSetup& setup)
{
    std::vector<Measured> measured;
    for (const std::size_t files : {1000u, 10000u}) {
        const BigMod made = MakeBigMod(setup, files);
        Reset(made);
        const auto form = OpenOn(made.mod, made.game);
        measured.push_back(MeasureBigMod(made, form));
    }
    const Measured& big = measured[1];
    const double growth = big.own.program / measured[0].own.program;
    return {
        {"1c", "Install Mod: a mod of 10000 files (a pattern with /r), the installer's own part",
         "the press less the archiver and the copy " + FormatSeconds(big.own.program) + " (press " +
             FormatSeconds(big.press) + ", archiver " + FormatSeconds(big.archiver) + ", copy " +
             FormatSeconds(big.copy) + ")",
         "the mod's folders listed + the archive's tables read once + the box " + FormatSeconds(big.own.baseline),
         FormatRatio(big.own.ratio), "<= 2.0", big.own.ratio <= 2.0},
        {"1d", "Install Mod, the installer's own part, 1000 -> 10000 files (growth)",
         FormatSeconds(measured[0].own.program) + " -> " + FormatSeconds(big.own.program), "", FormatRatio(growth),
         "growth <= 12", growth <= 12},
    };
}
