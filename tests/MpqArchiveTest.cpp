#include "install/MpqArchive.h"

#include "ArchiverLog.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

// The game's search, slot by slot: from the name's slot to the first never-used one, the first entry
// of the name or else the last of the neutral locale; found when its block exists within the archive.
std::optional<std::uint32_t> SearchedSize(const std::vector<MpqHashEntry>& hashes,
                                          const std::vector<MpqBlockEntry>& blocks, std::uint64_t archiveLength,
                                          const std::string& name)
{
    const std::size_t mask = hashes.size() - 1;
    std::optional<std::uint32_t> block;
    std::size_t slot = MpqHash(name, MpqHashType::TableIndex) & mask;
    for (std::size_t n = 0; n < hashes.size() && hashes[slot].block != kMpqNeverUsed; ++n, slot = (slot + 1) & mask) {
        const MpqHashEntry& entry = hashes[slot];
        if (entry.nameA == MpqHash(name, MpqHashType::NameA) && entry.nameB == MpqHash(name, MpqHashType::NameB) &&
            entry.block < blocks.size() && (!block || entry.locale == 0))
            block = entry.block;
    }
    if (!block || !(blocks[*block].flags & kMpqFileExists) || blocks[*block].offset > archiveLength)
        return std::nullopt;
    return blocks[*block].fileSize;
}

}  // namespace

// What the game's reader and StormLib's open: StormLib itself judges the same cases in the build
// (tests/StormLibReadsOurArchives.sh).
TEST(MpqArchive, IsSoundWhereTheReadersOpenIt)
{
    for (const MpqSoundnessCase& archive : MpqSoundnessCases())
        EXPECT_EQ(IsSoundMpq(archive.bytes, archive.bytes.size()), archive.sound) << archive.what;
}

// A scanner holds a file it checks for a moment: that is waited out. A file still held is unknown,
// not damaged.
TEST(MpqArchive, AFileHeldByAnotherProgramIsJudgedOnceReleasedAndUnknownWhileHeld)
{
    TempDir dir;
    const std::string path = dir / "patch_d2.mpq";
    WriteTextFile(path, MpqArchive());
    FileHandle held = HoldExclusively(path);
    std::thread release([&] {
        Sleep(500);
        held.Reset();
    });
    EXPECT_EQ(JudgeMpqFile(path).soundness, MpqSoundness::Sound);
    release.join();

    held = HoldExclusively(path);
    const MpqJudgement judgement = JudgeMpqFile(path);
    EXPECT_EQ(judgement.soundness, MpqSoundness::Unknown);
    EXPECT_EQ(judgement.error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    held.Reset();
    WriteTextFile(path, "MPQ");
    EXPECT_EQ(JudgeMpqFile(path).soundness, MpqSoundness::Damaged);
}

TEST(MpqFileTable, FindsEachFileByItsNameInAnyCaseAndCountsTheEntriesChanged)
{
    TempDir dir;
    const std::vector<MpqFile> files = GameLikeFiles(kD2LikeFiles);
    WriteTextFile(dir / "d2like.mpq", D2LikeArchive());
    const auto table = MpqFileTable::Read(dir / "d2like.mpq");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->EntriesInUse(), files.size());
    for (const MpqFile& file : files) {
        const auto found = table->Find(file.name);
        ASSERT_TRUE(found) << file.name;
        EXPECT_EQ(found->fileSize, file.bytes.size()) << file.name;
        EXPECT_EQ(found->flags, kMpqFileExists) << file.name;
    }
    EXPECT_TRUE(table->Find("DATA\\GLOBAL\\EXCEL\\FILE0.TXT"));
    EXPECT_FALSE(table->Find("data/global/excel/file0.txt"));
    EXPECT_FALSE(table->Find("data\\global\\excel\\file" + std::to_string(kD2LikeFiles) + ".txt"));

    // As an archiver changes an archive: a file's data written anew after the others, one added.
    std::vector<MpqFile> changed(files.begin(), files.begin() + 10);
    WriteTextFile(dir / "before.mpq", MpqArchiveOf(changed, 16, false));
    changed.back().bytes += "changed";
    changed.push_back({"data\\global\\excel\\added.txt", "added"});
    WriteTextFile(dir / "after.mpq", MpqArchiveOf(changed, 16, false));
    const auto before = MpqFileTable::Read(dir / "before.mpq");
    const auto after = MpqFileTable::Read(dir / "after.mpq");
    EXPECT_EQ(after->EntriesChangedSince(*before), 2u);
    EXPECT_EQ(after->EntriesChangedSince(*after), 0u);
}

// What "protected" mod archives do to keep tools out, and files that are no MPQ archive at all.
TEST(MpqFileTable, TablesThatCantBeReadReliablyMakeAnArchiveUnreadable)
{
    TempDir dir;
    const std::string sound = MpqArchive();
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"no archive", "MPQ"},
        {"another signature", "MPQ\x1C" + sound.substr(4)},
        {"a table past the end", sound.substr(0, sound.size() - 1)},
        {"format version 1", WithMpqField(sound, 12, 1 | 3 << 16)},
        {"a header size of 44", MpqArchive(4, 44)},
        {"a hash table within the header", WithMpqField(sound, 16, 32)},
        {"a block table at the header", WithMpqField(sound, 20, 0)},
        {"a hash table of 3 entries", MpqArchive(3)},
    };
    for (const auto& archive : cases) {
        WriteTextFile(dir / "patch_d2.mpq", archive.bytes);
        EXPECT_FALSE(MpqFileTable::Read(dir / "patch_d2.mpq")) << archive.what;
    }
    WriteTextFile(dir / "patch_d2.mpq", MpqUserDataHeader(512) + sound);
    EXPECT_TRUE(MpqFileTable::Read(dir / "patch_d2.mpq"));
}

// StormLib is the other reader: where it and the installer disagree, StormLib is right. Its
// archives, made as the game's are, come from the build (tests/MakeStormLibArchives.sh).
TEST(MpqFileTable, FindsEveryFileOfArchivesStormLibMade)
{
    const char* const folder = std::getenv("STORMLIB_ARCHIVES");
    ASSERT_NE(folder, nullptr) << "STORMLIB_ARCHIVES names no folder of archives made by smpq";
    for (const std::string archive : {"few", "many"}) {
        const auto table = MpqFileTable::Read(folder + ("\\" + archive + ".mpq"));
        ASSERT_TRUE(table) << archive;
        std::istringstream files(ReadTextFile(folder + ("\\" + archive + ".files")));
        std::size_t found = 0;
        for (std::string size, name; files >> size && std::getline(files >> std::ws, name); ++found) {
            const auto file = table->Find(name);
            ASSERT_TRUE(file) << name;
            EXPECT_EQ(file->fileSize, std::stoul(size)) << name;
        }
        EXPECT_GE(found, 4u) << archive;
    }
}

// The stand-in archiver adds files as the real one does, so that the reader sees what a mod added.
TEST(MpqFileTable, FindsTheFilesTheStandInArchiverAdded)
{
    TempDir mod;
    for (const char* folder : {"data", "data\\sub"})
        MakeDirectory(mod / folder);
    WriteTextFile(mod / "data\\one.txt", "one");
    WriteTextFile(mod / "data\\sub\\two.txt", "two!");
    WriteTextFile(mod / "data\\sub\\left out.txt", "no");
    WriteTextFile(mod / "data\\sub\\three.dat", "three");
    WriteTextFile(mod / "patch_d2.mpq", MpqArchive(16));
    WriteTextFile(mod / "mod.txt",
                  "o patch_d2.mpq\r\na data\\one.txt\r\na data\\one.txt Renamed\\One.txt /c\r\n"
                  "a data\\*.txt more /r\r\na data\\sub\\*.dat\r\n");
    WriteTextFile(mod / "mpq2k-skip.txt", "MORE\\sub\\left out.txt\r\n");
    ASSERT_TRUE(CopyFileA(ArchiverStandIn().c_str(), (mod / "mpq2k.exe").c_str(), FALSE));
    ASSERT_TRUE(RunProgram('"' + (mod / "mpq2k.exe") + "\" s mod.txt", mod.Path()).ended);

    const auto table = MpqFileTable::Read(mod / "patch_d2.mpq");
    ASSERT_TRUE(table);
    for (const auto& [name, size] :
         std::vector<std::pair<std::string, std::uint32_t>>{{"data\\global\\excel\\misc.txt", 21},
                                                            {"data\\one.txt", 3},
                                                            {"renamed\\one.txt", 3},
                                                            {"more\\one.txt", 3},
                                                            {"more\\sub\\two.txt", 4},
                                                            {"data\\sub\\three.dat", 5}}) {
        const auto found = table->Find(name);
        ASSERT_TRUE(found) << name;
        EXPECT_EQ(found->fileSize, size) << name;
    }
    EXPECT_FALSE(table->Find("more\\sub\\left out.txt"));
    EXPECT_EQ(table->EntriesInUse(), 3u + 5u);
    EXPECT_EQ(JudgeMpqFile(mod / "patch_d2.mpq").soundness, MpqSoundness::Sound);
}

// A table as an archive is left after years of changes: names of several locales, entries deleted,
// blocks without the file-exists flag or outside the archive, and slots never used or none.
TEST(MpqFileTable, FindsWhatTheGamesSearchFindsInTablesWithAndWithoutNeverUsedSlots)
{
    TempDir dir;
    std::vector<MpqBlockEntry> blocks;
    for (std::uint32_t i = 0; i < 64; ++i)
        blocks.push_back({i % 8 == 5 ? 0x7FFFFFFFu : 32u, 0, i + 1, i % 8 == 3 ? 0u : kMpqFileExists});
    std::vector<MpqHashEntry> hashes(1024, {kMpqNeverUsed, kMpqNeverUsed, 0xFFFF, 0xFF, 0xFF, kMpqNeverUsed});
    const auto add = [&](const std::string& name, std::uint16_t locale, std::uint32_t block) {
        std::size_t slot = MpqHash(name, MpqHashType::TableIndex) & 1023;
        while (hashes[slot].block != kMpqNeverUsed)
            slot = (slot + 1) & 1023;
        hashes[slot] = {MpqHash(name, MpqHashType::NameA), MpqHash(name, MpqHashType::NameB), locale, 0, 0, block};
    };
    for (std::uint32_t i = 0; i < 600; ++i) {
        const std::string name = "data\\file" + std::to_string(i);
        add(name, i % 3 ? 0 : 0x407, i % 64);
        if (i % 3 != 1)
            add(name, i % 2 ? 0 : 0x409, i % 5 ? (i + 7) % 64 : 1000);
    }
    for (std::size_t slot = 0; slot < hashes.size(); slot += 4)
        hashes[slot].block = hashes[slot].block == kMpqNeverUsed ? kMpqNeverUsed : kMpqDeleted;
    for (const bool full : {false, true}) {
        if (full)
            for (MpqHashEntry& entry : hashes)
                entry.block = entry.block == kMpqNeverUsed ? kMpqDeleted : entry.block;
        const std::string archive = MpqArchiveFrom("stored", hashes, blocks);
        WriteTextFile(dir / "patch_d2.mpq", archive);
        const auto table = MpqFileTable::Read(dir / "patch_d2.mpq");
        ASSERT_TRUE(table);
        for (std::uint32_t i = 0; i < 650; ++i) {
            const std::string name = "data\\file" + std::to_string(i);
            const auto found = table->Find(name);
            EXPECT_EQ(found ? std::optional(found->fileSize) : std::nullopt,
                      SearchedSize(hashes, blocks, archive.size(), name))
                << name << (full ? " in the full table" : "");
        }
    }
}
