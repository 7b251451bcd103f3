#include "install/Obstacles.h"

#include "description/INIFunctions.h"
#include "install/GameFiles.h"
#include "install/LastInstall.h"
#include "install/MpqArchive.h"
#include "install/RecordUpdates.h"
#include "install/VirtualStore.h"
#include "system/CodePage.h"
#include "system/FileSystem.h"
#include "system/Platform.h"
#include "system/Win32Error.h"

// A mod made for other patches of the game usually stops the game from starting. Where the mod names
// its patches and the game's is known and not among them, the player decides, first; the command line
// goes on only with /ANYVERSION. An unknown version is never asked about, and a command handed over
// was asked about by the player's own installer.
std::optional<Outcome> Obstacles::AnotherGameVersion(const std::string& game, const GameVersion& version,
                                                     bool handedOver)
{
    const auto silently = [](auto&&...) {};
    const std::string listed = INIFunctions::ReadINI("MainSettings", "GameVersion", silently);
    const std::vector<std::string> patches = ListedPatches(listed);
    if (patches.empty() || !version.known || handedOver || MadeFor(patches, version))
        return std::nullopt;
    const std::string title = INIFunctions::ReadINI("MainSettings", "Title", silently);
    const auto told = [&](Unasked unasked) {
        return ::AnotherGameVersion(unasked, title, listed, game, version.Text());
    };
    if (!host_.Attended() && host_.AnyGameVersion()) {
        report_.Tell(told(Unasked::InstalledAnyway));
        return std::nullopt;
    }
    if (!host_.Attended()) {
        report_.Tell(told(Unasked::Refused));
        return Outcome::AnotherGameVersion;
    }
    if (report_.Ask(told(Unasked::No), IDNO) == IDYES)
        return std::nullopt;
    report_.ShowStatus(Status::Cancelled);
    return Outcome::Cancelled;
}

// The file calls end at MAX_PATH characters: beyond it the archive would pass for missing and its
// backup couldn't be made, so such a folder is told for what it is.
bool Obstacles::TellWhenTooLong(const std::string& game)
{
    if (PartialPathOf(BackupIn(game)).size() < MAX_PATH)
        return false;
    report_.Tell(FolderPathTooLong(game));
    return true;
}

bool Obstacles::TellWhenNoBackup(const std::string& game)
{
    if (AnyFileExists(BackupIn(game)))
        return false;
    report_.Tell(NoBackupToRestore(game));
    return true;
}

std::optional<Outcome> Obstacles::InTheWay(const std::string& game, Press press, const std::string& firstWritten,
                                           bool handedOver)
{
    hiddenCopy_.reset();
    needsAdministrator_ = false;
    const std::string archive = ArchiveIn(game);
    if (InstallAtWork(game))
        return TellAtWork(game, press);
    // Nothing may take a folder's place, and being refused it is no matter of rights.
    if (DirectoryExists(archive)) {
        report_.Tell(ArchiveIsAFolder(archive, press));
        report_.ShowStatus(Status::Folder);
        return Outcome::Failed;
    }
    // The player's own protection, or an old tool's: neither the installer nor the archiver may
    // write the archive, and no administrator's rights change that.
    const DWORD attributes = GetFileAttributesA(archive.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        report_.Tell(ReadOnly(archive, press));
        report_.ShowStatus(Status::ReadOnly);
        return Outcome::Failed;
    }
    // Refused rights are what they seem only without an administrator's; with them, the step that
    // fails reports it.
    const bool elevated = Platform().processElevated();
    const DWORD opened = TryOpeningForChange(archive);
    needsAdministrator_ = !elevated && (MissingRights(Platform().createRefusal(firstWritten)) || MissingRights(opened));
    if (const auto held = TellWhenHeld(opened, FromCodePage(archive), false, press))
        return held;
    // The copy is the player's own, under the player's profile: looked for here, before an
    // administrator's instance, which may run as another user, could miss it.
    if (!handedOver) {
        hiddenCopy_ = VirtualStoreCopyOf(archive);
        if (hiddenCopy_)
            return TellWhenHeld(TryOpeningForChange(*hiddenCopy_), *hiddenCopy_, true, press);
    }
    return std::nullopt;
}

// The game holds its archive while it runs, and neither the archive nor Windows' copy of it can be
// changed then: told, with the program that holds it where Windows names it.
std::optional<Outcome> Obstacles::TellWhenHeld(DWORD opened, const std::wstring& path, bool hiddenCopy, Press press)
{
    if (!HeldByAnotherProgram(opened))
        return std::nullopt;
    return TellInUse(hiddenCopy, path, Platform().programsHolding(path), press);
}

Outcome Obstacles::TellInUse(bool hiddenCopy, const std::wstring& path, const std::vector<std::wstring>& programs,
                             Press press)
{
    report_.Tell(InUse(hiddenCopy, path, programs, press));
    report_.ShowStatus(Status::InUse);
    return Outcome::InUse;
}

Outcome Obstacles::TellAtWork(const std::string& game, Press press)
{
    return TellInUse(false, FromCodePage(ArchiveIn(game)), {L"Install.exe"}, press);
}

// An archive that is no sound MPQ archive (the archiver left it so, or anything else did) is replaced
// by the original from the backup first, or not installed onto at all: the game can't start with it,
// whatever is added. Where the record lists mods, a player at the window chooses.
std::optional<Outcome> Obstacles::ChooseWhatToInstallOnto(const std::string& game, Onto& onto, bool handedOver)
{
    const bool backedUp = AnyFileExists(BackupIn(game));
    const ModsRecord record = ReadModsRecord(game);
    const MpqSoundness soundness = JudgeMpqFile(ArchiveIn(game)).soundness;
    if (record.damaged && soundness == MpqSoundness::Sound)
        UpdateRecord(report_, [&] { RecordDamaged(game, false); });
    // One that can't be read now is damaged when the record says so.
    const bool damaged = soundness == MpqSoundness::Damaged || (record.damaged && soundness == MpqSoundness::Unknown);
    const LastInstall last = LastInstallIn(game, record);
    const bool interrupted = last == LastInstall::Interrupted || last == LastInstall::InterruptedWithoutBackup;
    if (interrupted && onto != Onto::TheOriginal && !handedOver) {
        // Without a backup there is nothing to put back: told once, the note would refuse every install for good.
        if (!backedUp)
            UpdateRecord(report_, [&] { RecordInstallEnded(game); });
        return OriginalFirst(Interrupted(*record.underWay, game, backedUp ? report_.Describe("Title") : ""), game,
                             backedUp, onto);
    }
    if (damaged && onto != Onto::TheOriginal && !handedOver)
        return OriginalFirst(Damaged(record.damaged, game, backedUp ? report_.Describe("Title") : ""), game, backedUp,
                             onto);
    if (onto == Onto::AskWhenModsRecorded) {
        const int answer = backedUp && !handedOver && !record.mods.empty()
                               ? report_.Ask(InstalledModsQuestion(record, game, report_.Describe("Title")), IDNO)
                               : IDNO;
        if (answer == IDCANCEL) {
            report_.ShowStatus(Status::Cancelled);
            return Outcome::Cancelled;
        }
        onto = answer == IDYES ? Onto::TheOriginal : Onto::TheArchiveAsItIs;
    }
    if (onto == Onto::TheOriginal && TellWhenNoBackup(game))
        return Outcome::ArchiveNotFound;
    return std::nullopt;
}

// An archive not to be installed onto as it stands: where a backup is beside it, the player may have
// it put back first, and the install goes onto the original; the command line says that /CLEAN does.
std::optional<Outcome> Obstacles::OriginalFirst(const NotToInstallOnto& archive, const std::string& game, bool backedUp,
                                                Onto& onto)
{
    if (!backedUp) {
        report_.Tell(NoBackupToPutBack(archive));
        report_.ShowStatus(Status::Damaged);
        return Outcome::ArchiveDamaged;
    }
    if (report_.Ask(archive.question, IDNO) == IDYES) {
        onto = Onto::TheOriginal;
        return std::nullopt;
    }
    if (!host_.Attended()) {
        report_.Tell(OriginalFirstRefused(archive, game));
        return Outcome::ArchiveDamaged;
    }
    report_.ShowStatus(Status::Cancelled);
    return Outcome::Cancelled;
}

// Files the script adds that the mod's folder lacks leave the mod half-installed: at the window the
// player decides before anything changes; on the command line each is a line, and the install goes
// on, as a script may name files it can do without, unless none of them is there.
std::optional<Outcome> Obstacles::ModFilesMissing(const ScriptAdditions& additions, const std::string& modFolder)
{
    if (additions.missing.empty())
        return std::nullopt;
    const bool none = additions.files.empty();
    if (!host_.Attended()) {
        for (const std::string& name : additions.missing)
            report_.Tell(MissingFromTheModsFolder(name));
        if (!none)
            return std::nullopt;
        report_.Tell(NoModFiles(modFolder));
        return Outcome::NoModFiles;
    }
    if (report_.Ask(ModFilesMissingQuestion(additions.missing, none), IDYES) == IDYES)
        return std::nullopt;
    report_.ShowStatus(Status::Cancelled);
    return Outcome::Cancelled;
}

// Windows keeps a private copy of a file for the older programs (the game among them) that wrote
// it under Program Files without an administrator's rights, and gives them that copy from then
// on: an archive changed beside it would never be seen by the game.
bool Obstacles::HiddenCopyToBeMoved()
{
    return !hiddenCopy_ || report_.Ask(HiddenCopyQuestion(*hiddenCopy_), IDYES) == IDYES;
}

std::optional<Outcome> Obstacles::ClearedToChange(const std::string& game, Press press, bool handedOver)
{
    if (needsAdministrator_ && !handedOver)
        return OfferAdministrator(game, press);
    MoveHiddenCopyAside();
    return std::nullopt;
}

// Only an administrator may change the game's folder: at the window the player may start the
// installer again as one, which carries out the same press, its questions answered; on the
// command line nothing is done. An administrator's instance that is still refused goes on, and the
// step that fails reports it.
Outcome Obstacles::OfferAdministrator(const std::string& game, Press press)
{
    if (!host_.Attended()) {
        report_.Tell(AdministratorRefused(game));
        return Outcome::NeedsAdministrator;
    }
    // A drive letter mapped to a network share is the player's own: an administrator's process
    // doesn't have it, and is handed the share's own path instead.
    const std::optional<std::string> reachable = Platform().folderForAdministrator(game);
    if (!reachable) {
        report_.Tell(AdministratorUnreachable(game));
        return Outcome::NeedsAdministrator;
    }
    const bool yes = report_.Ask(AdministratorQuestion(game, press), IDNO) == IDYES;
    if (yes)
        MoveHiddenCopyAside();
    const DWORD started = yes ? host_.ContinueAsAdministrator(press, *reachable) : ERROR_CANCELLED;
    if (started == ERROR_CANCELLED) {
        if (press != Press::Restore)
            report_.ShowStatus(Status::Cancelled);
        return Outcome::Cancelled;
    }
    if (started != ERROR_SUCCESS)
        throw Win32Error(kStartAsAdministratorStep, game, started);
    return Outcome::NeedsAdministrator;
}

// Renamed, never deleted: the player may want it back.
void Obstacles::MoveHiddenCopyAside()
{
    if (!hiddenCopy_)
        return;
    const std::wstring moved = MoveVirtualStoreCopyAside(*hiddenCopy_);
    hiddenCopy_.reset();
    if (!host_.Attended())
        report_.Tell(HiddenCopyMoved(moved));
}

// The backup is the player's own archive as it was, and it goes back whatever it looks like to the
// installer.
Wording UnsoundBackupNoteIn(const std::string& game)
{
    const MpqJudgement backup = JudgeMpqFile(BackupIn(game));
    if (backup.soundness == MpqSoundness::Unknown)
        throw Win32Error(kRestoreStep, BackupIn(game), backup.error);
    if (backup.soundness == MpqSoundness::Sound)
        return nullptr;
    return UnsoundBackupNote(BackupIn(game));
}
