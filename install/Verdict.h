#pragma once
// What became of the game's archive while the archiver ran, decided in one place from what the
// installer saw of it before the archiver started and after it ended, what the mod's script adds
// to it, and the archiver's exit code. The archiver ends with exit code 0 whatever it skipped, so
// only the archive tells whether the mod is in it: entry by entry, a file of the mod counts where
// its entry after is new, or differs from the one before, at the mod file's size. Nothing here
// looks at a file or calls Windows: the installer gathers the facts, and reports and records the
// verdict.
#include "install/MpqArchive.h"
#include "install/ScriptAdditions.h"
#include "system/FileSystem.h"

#include <optional>
#include <string>
#include <vector>

// The archive as the installer saw it at one moment.
struct ArchiveFacts {
    std::optional<FileStamp> stamp;  // nothing: the archive is gone
    MpqSoundness soundness = MpqSoundness::Unknown;
    std::optional<MpqFileTable> table;  // nothing where it can't be read reliably, or wasn't needed
};

enum class ArchiveVerdict {
    Installed,         // changed, and what it holds of the mod can't be told
    HoldsAllFiles,     // every file the script adds is in it, new or replaced
    HoldsByCount,      // files not found under their names, but other entries changed to stand for them
    InstalledInPart,   // changed, but files of the mod are not in it
    NotChanged,        // as it was
    Gone,              // no archive any more
    Damaged,           // no sound MPQ archive: the game can't start with it
    ArchiverExitCode,  // the archiver ended with an exit code of its own
};

struct Verdict {
    ArchiveVerdict is = ArchiveVerdict::NotChanged;
    std::size_t files = 0;             // the files the script adds, each name once
    std::vector<std::string> leftOut;  // of them, those not in the archive as the mod has them
    DWORD exitCode = 0;
    bool changed = false;  // with ArchiverExitCode: whether the archive changed all the same
};

Verdict JudgeTheArchive(const ArchiveFacts& before, const ArchiveFacts& after, const ScriptAdditions& additions,
                        DWORD exitCode);
