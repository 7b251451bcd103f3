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
    using enum ArchiveVerdict;
    const ScriptAdditions abc{{Adding(kA), Adding(kB), Adding(kC)}, {}, {}};
    const ArchiveFacts withA = Holding({kMisc, kA});
    const ArchiveFacts withAB = Holding({kMisc, kA, kB});
    const ArchiveFacts withABC = Holding({kMisc, kA, kB, kC});
    const ArchiveFacts cRenamed = Holding({kMisc, kA, kB, {"data\\C2.TXT", kC.bytes}});
    const MpqFile armor{"data\\armor.txt", "armor v1.0 table"};
    const ArchiveFacts armorBefore = Holding({kMisc, armor}, 1);
    const ArchiveFacts armorAfter = Holding({kMisc, armor});
    const ScriptAdditions armorUpdate{{Adding({armor.name, "armor v1.1 table"})}, {}, {}};
    const ArchiveFacts aShort = Holding({kMisc, {kA.name, "file"}});
    const MpqFile wav{"sound\\x.wav", std::string(400, 'w')};
    const ScriptAdditions wavAdded{{{wav.name, "", 4000, true}}, {}, {}};
    const ScriptAdditions aTwice{{Adding(kA), Adding({"DATA/A.TXT", kA.bytes})}, {}, {}};
    const ScriptAdditions aAndListfile{{Adding(kA), Adding({"(listfile)", "data\\a.txt"})}, {}, {}};
    const ArchiveFacts damaged = Stamped(2, MpqSoundness::Damaged);
    const std::vector<std::string> c{kC.name};
    const struct {
        const char* what;
        ArchiveFacts before;
        ArchiveFacts after;
        ScriptAdditions adds;
        DWORD exitCode;
        ArchiveVerdict is;
        std::vector<std::string> leftOut;
    } rows[] = {
        {"all new", kBefore, withABC, abc, 0, HoldsAllFiles, {}},
        {"one left out, the (listfile) new", kBefore, withAB, abc, 0, InstalledInPart, c},
        {"one named otherwise", kBefore, cRenamed, abc, 0, HoldsByCount, c},
        {"a stale copy", armorBefore, armorAfter, armorUpdate, 0, InstalledInPart, {armor.name}},
        {"at another size", kBefore, aShort, {{Adding(kA)}, {}, {}}, 0, InstalledInPart, {kA.name}},
        {"a sound stored smaller", kBefore, Holding({kMisc, wav}), wavAdded, 0, HoldsAllFiles, {}},
        {"one file named twice", kBefore, withA, aTwice, 0, HoldsAllFiles, {}},
        {"a (listfile) of the mod's own", kBefore, withA, aAndListfile, 0, HoldsAllFiles, {}},
        {"none in the mod's folder", kBefore, withA, {{}, {"a.txt"}, {}}, 0, InstalledInPart, {"a.txt"}},
        {"nothing added", kBefore, withA, {}, 0, Installed, {}},
        {"a table unreadable", kBefore, Stamped(2), abc, 0, Installed, {}},
        {"damaged before and after", Stamped(1, MpqSoundness::Damaged), damaged, abc, 0, Damaged, {}},
        {"damaged, with an exit code", kBefore, damaged, abc, 1, Damaged, {}},
        {"an exit code", kBefore, withA, abc, 2, ArchiverExitCode, {}},
        {"unchanged", kBefore, kBefore, abc, 0, NotChanged, {}},
        {"gone", kBefore, {}, abc, 0, Gone, {}},
    };
    for (const auto& row : rows) {
        const Verdict verdict = JudgeTheArchive(row.before, row.after, row.adds, row.exitCode);
        EXPECT_EQ(verdict.is, row.is) << row.what;
        EXPECT_EQ(verdict.leftOut, row.leftOut) << row.what;
    }
    EXPECT_EQ(JudgeTheArchive(kBefore, withABC, abc, 0).files, 3u);
    EXPECT_EQ(JudgeTheArchive(kBefore, withA, aTwice, 0).files, 1u);
    EXPECT_TRUE(JudgeTheArchive(kBefore, withA, abc, 2).changed);
    EXPECT_FALSE(JudgeTheArchive(kBefore, kBefore, abc, 2).changed);
}
