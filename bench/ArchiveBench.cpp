// Row 6: the archive's file table as the install will take it, once before the archiver and once
// after (read and decrypted twice), with 10,000 names looked up, against reading the same bytes
// from the disk twice. The hash table is a big mod's, 262,144 entries: its bytes are enough work
// for the ratio to hold on a shared machine.
#include "bench/Measure.h"
#include "bench/Rows.h"

#include "install/MpqArchive.h"
#include "system/ScopedHandle.h"
#include "system/Win32Error.h"
#include "tests/TestSupport.h"

#include <stdexcept>
#include <utility>

namespace {

constexpr std::uint32_t kHashEntries = 1 << 18;
constexpr std::size_t kNames = 10000;

// The file's first bytes and both tables, read as the reader reads them, with nothing done to them.
void ReadTheSameBytes(const std::string& path, std::uint64_t hashTableAt)
{
    const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_RANDOM_ACCESS, nullptr));
    if (!file)
        ThrowLastError("Open", path);
    std::string bytes(kHashEntries * 16, '\0');
    for (const auto& [at, length] : {std::pair<std::uint64_t, std::size_t>{0, kMpqSearchLength},
                                     {hashTableAt, kHashEntries * 16},
                                     {hashTableAt + kHashEntries * 16, kNames * 16}}) {
        OVERLAPPED place{};
        place.Offset = static_cast<DWORD>(at);
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(length), &read, &place) || read != length)
            ThrowLastError("Read", path);
    }
}

}  // namespace

std::vector<Row> MeasureArchive(const BenchSetup& setup)
{
    const std::vector<MpqFile> files = GameLikeFiles(kNames);
    const std::string archive = MpqArchiveOf(files, kHashEntries, false);
    const std::string path = setup.scratch + "\\patch_d2.mpq";
    WriteTextFile(path, archive);
    // The stored files come first; the tables fill the rest of the archive.
    const std::uint64_t hashTableAt = archive.size() - (kHashEntries + kNames) * 16;

    std::size_t found = 0;
    const auto program = [&] {
        const auto before = MpqFileTable::Read(path);
        const auto after = MpqFileTable::Read(path);
        if (!before || !after || after->EntriesChangedSince(*before) != 0)
            throw std::runtime_error("the archive's tables were not read");
        found = 0;
        for (const MpqFile& file : files)
            found += after->Find(file.name).has_value();
    };
    const auto baseline = [&] {
        ReadTheSameBytes(path, hashTableAt);
        ReadTheSameBytes(path, hashTableAt);
    };
    const Comparison times = Compare(kRuns, program, baseline);
    if (found != files.size())
        throw std::runtime_error("the archive's names were not all found");
    DeleteFileA(path.c_str());
    return {
        {"6",
         "Archive file table: " + std::to_string(kHashEntries) + "-entry hash table read twice, 10000 names looked up",
         "MpqFileTable::Read x2 + Find x10000 " + FormatSeconds(times.program),
         "ReadFile of the same bytes x2 " + FormatSeconds(times.baseline), FormatRatio(times.ratio), "<= 3.0",
         times.ratio <= 3.0}};
}
