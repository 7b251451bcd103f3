#include "install/Verdict.h"

#include <algorithm>
#include <unordered_set>

namespace {

Verdict Judged(ArchiveVerdict is, std::size_t files = 0, std::vector<std::string> leftOut = {})
{
    Verdict verdict;
    verdict.is = is;
    verdict.files = files;
    verdict.leftOut = std::move(leftOut);
    return verdict;
}

// The archive's own files, which the archivers write beside the mod's, by their keys: never a file
// of the mod.
constexpr std::string_view kOwnFiles[] = {"(LISTFILE)", "(ATTRIBUTES)", "(SIGNATURE)"};

bool IsTheArchivesOwnFile(std::string_view name)
{
    return std::find(std::begin(kOwnFiles), std::end(kOwnFiles), MpqNameKey(name)) != std::end(kOwnFiles);
}

// Each file of the mod once, by its name's key, the archive's own files left out. A file is looked
// up under the name the script first gives it, as the archive holds it.
std::vector<const AddedFile*> FilesOfTheMod(const ScriptAdditions& additions)
{
    std::vector<const AddedFile*> files;
    std::unordered_set<std::string> seen;
    for (const AddedFile& file : additions.files)
        if (!IsTheArchivesOwnFile(file.name) && seen.insert(MpqNameKey(file.name)).second)
            files.push_back(&file);
    return files;
}

// In the archive as the mod has it: an entry written by this archiver, new or other than the one
// before, at the mod file's size; a sound added with /wav is stored at another.
bool Installed(const AddedFile& file, const std::optional<MpqBlockEntry>& before,
               const std::optional<MpqBlockEntry>& after)
{
    return after && (!before || *before != *after) && (file.lossy || after->fileSize == file.size);
}

Verdict EntryByEntry(const MpqFileTable& before, const MpqFileTable& after, const ScriptAdditions& additions)
{
    const std::vector<const AddedFile*> files = FilesOfTheMod(additions);
    Verdict verdict = Judged(ArchiveVerdict::HoldsAllFiles, files.size());
    // The names whose entries the mod's files and the archive's own account for.
    std::vector<MpqName> explained;
    for (const std::string_view own : kOwnFiles)
        explained.push_back(MpqNameOf(own));
    for (const AddedFile* file : files) {
        const std::optional<MpqBlockEntry> held = after.Find(file->name);
        if (held)
            explained.push_back(MpqNameOf(file->name));
        if (!Installed(*file, before.Find(file->name), held))
            verdict.leftOut.push_back(file->name);
    }
    if (verdict.leftOut.empty())
        return verdict;
    // The archiver may name files otherwise than this reading of the script: as many entries
    // changed that nothing else accounts for stand for the files not found.
    std::sort(explained.begin(), explained.end());
    verdict.is = after.EntriesChangedSince(before, explained) >= verdict.leftOut.size()
                     ? ArchiveVerdict::HoldsByCount
                     : ArchiveVerdict::InstalledInPart;
    return verdict;
}

}  // namespace

Verdict JudgeTheArchive(const ArchiveFacts& before, const ArchiveFacts& after, const ScriptAdditions& additions,
                        DWORD exitCode)
{
    if (!after.stamp)
        return Judged(ArchiveVerdict::Gone);
    if (after.soundness == MpqSoundness::Damaged)
        return Judged(ArchiveVerdict::Damaged);
    // An archive that couldn't be looked at before is taken for unchanged: nothing can be claimed.
    const bool changed = before.stamp && *after.stamp != *before.stamp;
    if (exitCode != 0) {
        Verdict verdict = Judged(ArchiveVerdict::ArchiverExitCode);
        verdict.exitCode = exitCode;
        verdict.changed = changed;
        return verdict;
    }
    if (!changed)
        return Judged(ArchiveVerdict::NotChanged);
    // None of the mod's files was there to add: the archive holds only what the script does besides.
    if (additions.files.empty() && !additions.missing.empty())
        return Judged(ArchiveVerdict::InstalledInPart, additions.missing.size(), additions.missing);
    if (additions.files.empty() || !before.table || !after.table)
        return Judged(ArchiveVerdict::Installed);
    return EntryByEntry(*before.table, *after.table, additions);
}
