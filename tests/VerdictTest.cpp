#include "install/Verdict.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

const MpqFile kMisc{"data\\global\\excel\\misc.txt", "Name\tcode\r\n"};
const MpqFile kA{"data\\a.txt", "file a"};
const MpqFile kB{"data\\b.txt", "file b"};
const MpqFile kC{"data\\c.txt", "file c"};

// The archive holding `files` and a "(listfile)" naming them, as it stands at `time`.
ArchiveFacts Holding(const std::vector<MpqFile>& files, ULONGLONG time = 2)
{
    const std::string bytes = MpqArchiveOf(files, 16);
    return {FileStamp{bytes.size(), time}, MpqSoundness::Sound, MpqFileTable::FromBytes(bytes)};
}
const ArchiveFacts kBefore = Holding({kMisc}, 1);

ArchiveFacts Stamped(ULONGLONG time, MpqSoundness soundness = MpqSoundness::Sound)
{
    return {FileStamp{100, time}, soundness, std::nullopt};
}

AddedFile Adding(const MpqFile& file, bool lossy = false) { return {file.name, "", file.bytes.size(), lossy}; }

}  // namespace

// Each row: what the archive was before the archiver and after it, what the script adds, the
// archiver's exit code, and the verdict with the files it names left out.
TEST(Verdict, JudgesTheArchiveEntryByEntryBeforeAndAfter)
{
    const ScriptAdditions abc{{Adding(kA), Adding(kB), Adding(kC)}, {}};
    const MpqFile staleArmor{"data\\armor.txt", "armor v1.0 table"};
    const MpqFile otherName{"data\\C.TXT_", kC.bytes};
    const MpqFile wav{"sound\\x.wav", std::string(400, 'w')};
    const struct {
        const char* what;
        ArchiveFacts before;
        ArchiveFacts after;
        ScriptAdditions adds;
        DWORD exitCode;
        ArchiveVerdict is;
        std::vector<std::string> leftOut;
    } rows[] = {
        {"all new", kBefore, Holding({kMisc, kA, kB, kC}), abc, 0, ArchiveVerdict::HoldsAllFiles, {}},
        {"one left out, the (listfile) rewritten",
         kBefore,
         Holding({kMisc, kA, kB}),
         abc,
         0,
         ArchiveVerdict::InstalledInPart,
         {kC.name}},
        {"one named otherwise",
         kBefore,
         Holding({kMisc, kA, kB, otherName}),
         abc,
         0,
         ArchiveVerdict::HoldsByCount,
         {kC.name}},
        {"a stale copy of the same size",
         Holding({kMisc, staleArmor}, 1),
         Holding({kMisc, staleArmor}),
         {{Adding({staleArmor.name, "armor v1.1 table"})}, {}},
         0,
         ArchiveVerdict::InstalledInPart,
         {staleArmor.name}},
        {"stored at another size",
         kBefore,
         Holding({kMisc, {kA.name, "file"}}),
         {{Adding(kA)}, {}},
         0,
         ArchiveVerdict::InstalledInPart,
         {kA.name}},
        {"a sound stored smaller",
         kBefore,
         Holding({kMisc, wav}),
         {{{wav.name, "", 4000, true}}, {}},
         0,
         ArchiveVerdict::HoldsAllFiles,
         {}},
        {"one file named twice",
         kBefore,
         Holding({kMisc, kA}),
         {{Adding(kA), Adding({"DATA/A.TXT", kA.bytes})}, {}},
         0,
         ArchiveVerdict::HoldsAllFiles,
         {}},
        {"none in the mod's folder",
         kBefore,
         Holding({kMisc}),
         {{}, {"a.txt", "b.txt"}},
         0,
         ArchiveVerdict::InstalledInPart,
         {"a.txt", "b.txt"}},
        {"nothing added", kBefore, Holding({kMisc}), {}, 0, ArchiveVerdict::Installed, {}},
        {"a table unreadable", kBefore, Stamped(2), abc, 0, ArchiveVerdict::Installed, {}},
        {"damaged before and after",
         Stamped(1, MpqSoundness::Damaged),
         Stamped(2, MpqSoundness::Damaged),
         abc,
         0,
         ArchiveVerdict::Damaged,
         {}},
        {"damaged, with an exit code", kBefore, Stamped(2, MpqSoundness::Damaged), abc, 1, ArchiveVerdict::Damaged, {}},
        {"an exit code", kBefore, Holding({kMisc, kA}), abc, 2, ArchiveVerdict::ArchiverExitCode, {}},
        {"unchanged", kBefore, kBefore, abc, 0, ArchiveVerdict::NotChanged, {}},
        {"gone", kBefore, {}, abc, 0, ArchiveVerdict::Gone, {}},
    };
    for (const auto& row : rows) {
        const Verdict verdict = JudgeTheArchive(row.before, row.after, row.adds, row.exitCode);
        EXPECT_EQ(verdict.is, row.is) << row.what;
        EXPECT_EQ(verdict.leftOut, row.leftOut) << row.what;
    }
    EXPECT_EQ(JudgeTheArchive(kBefore, Holding({kMisc, kA, kB, kC}), abc, 0).files, 3u);
    EXPECT_EQ(JudgeTheArchive(kBefore, Holding({kMisc, kA}), {{Adding(kA), Adding({"DATA/A.TXT", ""})}, {}}, 0).files,
              1u);
    EXPECT_TRUE(JudgeTheArchive(kBefore, Holding({kMisc, kA}), abc, 2).changed);
    EXPECT_FALSE(JudgeTheArchive(kBefore, kBefore, abc, 2).changed);
}
