#include "install/Installer.h"

#include "description/INIFunctions.h"
#include "install/Failure.h"
#include "install/GameFiles.h"
#include "install/InstallScript.h"
#include "install/MpqArchive.h"
#include "install/ScriptAdditions.h"
#include "install/VirtualStore.h"
#include "settings/Location.h"
#include "system/CodePage.h"
#include "system/FileSystem.h"
#include "system/Module1.h"
#include "system/Platform.h"
#include "system/ShellRun.h"
#include "system/Texts.h"
#include "system/Win32Error.h"

#include <exception>

namespace {

// The first ten names, one a line, and how many more there are.
std::string UpToTen(const std::vector<std::string>& names)
{
    std::string list;
    for (std::size_t i = 0; i < names.size() && i < 10; ++i)
        list += names[i] + "\n";
    if (names.size() > 10)
        list += "and " + std::to_string(names.size() - 10) + " more\n";
    list.pop_back();
    return list;
}

// "1 file", "3 files".
std::string CountOf(std::size_t count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// "the 1 file", "all 3 files".
std::string AllFiles(std::size_t count) { return (count == 1 ? "the " : "all ") + CountOf(count, "file"); }

// The archive as it stands: its stamp, its soundness, and its file table when `withTable`.
ArchiveFacts FactsOf(const std::string& archive, bool withTable)
{
    ArchiveFacts facts;
    facts.stamp = StampOf(archive);
    if (!facts.stamp)
        return facts;
    facts.soundness = JudgeMpqFile(archive).soundness;
    try {
        if (withTable)
            facts.table = MpqFileTable::Read(archive);
    } catch (const Win32Error&) {
    }
    return facts;
}

const char* const kBackUp = "Back up the game's patch archive";
const char* const kRestore = "Restore patch_d2.mpq from its backup";

// The backup is the player's own archive as it was, and it goes back whatever it looks like to the
// installer: what to say of one that is no sound MPQ archive, or nothing. One that can't be read at
// all can't be copied either: that is told by why.
std::string UnsoundBackupNote(const std::string& game)
{
    const MpqJudgement backup = JudgeMpqFile(BackupIn(game));
    if (backup.soundness == MpqSoundness::Unknown)
        throw Win32Error(kRestore, BackupIn(game), backup.error);
    if (backup.soundness == MpqSoundness::Sound)
        return "";
    return "The backup " + BackupIn(game) +
           " is no sound MPQ archive itself, so the game may not start with it either. It is put back all the same: "
           "it is the game's archive as it was when the backup was made. If the game then doesn't start, run the "
           "game's own patch again, which repairs patch_d2.mpq.";
}

// What became of the archive while the archiver ran, for the log: its size and soundness before and after.
std::string ArchiveJudgement(const ArchiveFacts& before, const ArchiveFacts& after)
{
    const auto state = [](const ArchiveFacts& facts) {
        return !facts.stamp ? std::string("missing")
                            : std::to_string(facts.stamp->size) + " bytes, " +
                                  (facts.soundness == MpqSoundness::Sound     ? "a sound MPQ archive"
                                   : facts.soundness == MpqSoundness::Damaged ? "no sound MPQ archive"
                                                                              : "not readable");
    };
    return "before: " + state(before) + "; after: " + state(after) + "; " +
           (!after.stamp                                    ? "gone."
            : before.stamp && *after.stamp == *before.stamp ? "unchanged."
                                                            : "changed.");
}

// Runs one step of the install; a failure in it is reported as that step's, on its path.
template <typename Action>
auto Step(const char* operation, const std::string& path, Action action) -> decltype(action())
{
    try {
        return action();
    } catch (const Win32Error& failure) {
        throw Win32Error(operation, path, failure.Code());
    }
}

}  // namespace

Installer::Installer(std::string applicationDirectory, InstallHost& host)
    : applicationDirectory_(std::move(applicationDirectory)), host_(host), log_(applicationDirectory_ + "\\Install.log")
{
}

Installer::~Installer() = default;

std::string Installer::RewrittenScript() const { return RewriteScript(scriptAsRead_, archiveShortPath_); }

void Installer::Begin(Phase phase)
{
    phase_ = phase;
    host_.EnableCommands(false);
}

void Installer::Finish(Outcome outcome)
{
    scriptAhead_.reset();
    atWork_.reset();
    phase_ = Phase::Idle;
    outcome_ = outcome;
    host_.EnableCommands(true);
}

void Installer::FinishInstall(Outcome outcome)
{
    Finish(outcome);
    SaveLocation(game_, drive_);
}

// The file calls end at MAX_PATH characters: beyond it the archive would pass for missing and its
// backup couldn't be made, so such a folder is told for what it is.
bool Installer::TellWhenTooLong(const std::string& game)
{
    if (PartialPathOf(BackupIn(game)).size() < MAX_PATH)
        return false;
    Tell(FromCodePage("The path of the folder " + game +
                      " is too long: Windows can't back up or change the game's files there. Choose the game's "
                      "folder again, or move the game to a folder with a shorter path."),
         "Folder Path Too Long", MB_OK | MB_ICONEXCLAMATION);
    return true;
}

template <typename Action>
void Installer::FailingEnds(Action action)
{
    try {
        action();
    } catch (...) {
        LetGo();
        phase_ = Phase::Idle;
        outcome_ = Outcome::Failed;
        ReportEnd(std::current_exception());
        throw;
    }
    ReportEnd(nullptr);
}

void Installer::Install(const std::string& game, const std::string& drive, Onto onto, Origin origin)
{
    if (Busy())
        return;
    handedOver_ = origin == Origin::HandedOver;
    BeginReport(onto == Onto::TheOriginal ? "Install onto the original patch_d2.mpq" : "Install Mod", game);
    FailingEnds([&] {
        if (MadeForThisGame(game, drive))
            StartInstall(game, drive, onto);
    });
}

// A mod made for other patches of the game usually stops the game from starting. Where the mod names
// its patches and the game's is known and not among them, the player decides, first; the command line
// goes on only with /ANYVERSION. An unknown version is never asked about, and a command handed over
// was asked about by the player's own installer.
bool Installer::MadeForThisGame(const std::string& game, const std::string& drive)
{
    Begin(Phase::Starting);
    game_ = game;
    drive_ = drive;
    const auto silently = [](auto&&...) {};
    const std::string listed = INIFunctions::ReadINI("MainSettings", "GameVersion", silently);
    const std::vector<std::string> patches = ListedPatches(listed);
    if (patches.empty() || !gameVersion_.known || handedOver_ || MadeFor(patches, gameVersion_))
        return true;
    std::string title = INIFunctions::ReadINI("MainSettings", "Title", silently);
    if (title.empty())
        title = "This mod";
    const std::string both =
        title + " is made for Diablo II " + listed + ", and the game in " + game + " is " + gameVersion_.Text() + ".";
    const char* const question = "Another Version of Diablo II";
    if (!host_.Attended() && host_.AnyGameVersion()) {
        Tell(FromCodePage(both + " It is installed all the same (/ANYVERSION)."), question, MB_OK | MB_ICONEXCLAMATION);
        return true;
    }
    if (!host_.Attended()) {
        Tell(FromCodePage(both + " Nothing was changed. Install.exe /S /ANYVERSION installs it all the same."),
             question, MB_OK | MB_ICONEXCLAMATION);
        FinishInstall(Outcome::AnotherGameVersion);
        return false;
    }
    if (Ask(FromCodePage(both + "\n\nA mod made for another version of the game usually stops the game from "
                                "starting.\n\nInstall it anyway?"),
            question, MB_YESNO | MB_ICONEXCLAMATION, IDNO) == IDYES)
        return true;
    ShowStatus("Install cancelled.");
    FinishInstall(Outcome::Cancelled);
    return false;
}

void Installer::StartInstall(const std::string& game, const std::string& drive, Onto onto)
{
    // Busy from the first moment: the shell may ask the user about a downloaded archiver and run
    // the window's messages meanwhile, and a second press must not start a second install.
    Begin(Phase::Starting);
    game_ = game;
    drive_ = drive;
    abandoned_ = false;
    if (TellWhenTooLong(game)) {
        FinishInstall(Outcome::Failed);
        return;
    }
    const std::string archive = ArchiveIn(game);
    if (!FileExists(archive)) {
        Tell(L"The file patch_d2.mpq was not found, make sure you have selected the correct directory for Diablo 2.",
             "File Not Found", MB_OK);
        ShowStatus("patch_d2.mpq not found.");
        FinishInstall(Outcome::ArchiveNotFound);
        return;
    }
    if (const auto stopped =
            Obstacle(onto == Onto::TheOriginal ? Press::Clean : Press::Install, PartialPathOf(BackupIn(game)))) {
        FinishInstall(*stopped);
        return;
    }
    // The script names the archive in the ANSI code page; a '?' stands where it couldn't, and no
    // archiver could open that name. Nothing has been changed yet.
    archiveShortPath_ = GetShortPath(archive);
    if (archiveShortPath_.find('?') != std::string::npos)
        throw Win32Error("Name the game's patch archive in the mod's script", archiveShortPath_,
                         ERROR_NO_UNICODE_TRANSLATION);
    const std::optional<Onto> chosen = ChooseWhatToInstallOnto(onto);
    if (!chosen)
        return;
    ReadScriptAhead();
    additions_ = scriptAhead_ ? WhatTheScriptAdds(scriptAhead_->bytes, applicationDirectory_) : ScriptAdditions{};
    if (const auto stopped = handedOver_ ? std::nullopt : ModFilesMissing()) {
        FinishInstall(*stopped);
        return;
    }
    if (const std::string unsound = *chosen == Onto::TheOriginal ? UnsoundBackupNote(game) : ""; !unsound.empty())
        Tell(FromCodePage(unsound), "Restore Backup", MB_OK | MB_ICONEXCLAMATION);
    if (!HiddenCopyToBeMoved()) {
        ShowStatus("Install cancelled.");
        FinishInstall(Outcome::Cancelled);
        return;
    }
    if (const auto stopped = ClearedToChange(*chosen == Onto::TheOriginal ? Press::Clean : Press::Install)) {
        FinishInstall(*stopped);
        return;
    }
    // Onto the original, the backup is put back first, and the install starts again once it is back.
    if (*chosen == Onto::TheOriginal) {
        phase_ = Phase::Cleaning;
        CopyInBackground(BackupIn(game), archive, CopiedAttributes::Normal, "Restoring patch_d2.mpq... ");
        return;
    }
    // An existing backup may be the only copy of the unmodded archive: copying over it on a
    // second install would store an archive the first run already changed. It is kept.
    if (AnyFileExists(BackupIn(game))) {
        RewriteAndStartTheArchiver();
        return;
    }
    phase_ = Phase::BackingUp;
    CopyInBackground(archive, BackupIn(game), CopiedAttributes::Kept, "Backing up patch_d2.mpq... ");
    PrepareScriptAhead();
}

// What the install goes onto. An archive that is no sound MPQ archive (the archiver left it so, or
// anything else did) is replaced by the original from the backup first, or not installed onto at
// all: the game can't start with it, whatever is added. Where the record lists mods, a player at
// the window chooses. Nothing when the command ends here, having told why.
std::optional<Onto> Installer::ChooseWhatToInstallOnto(Onto onto)
{
    const bool backedUp = AnyFileExists(BackupIn(game_));
    const ModsRecord record = ReadModsRecord(game_);
    const MpqSoundness soundness = JudgeMpqFile(ArchiveIn(game_)).soundness;
    if (record.damaged && soundness == MpqSoundness::Sound)
        UpdateRecord([this] { RecordDamaged(game_, false); });
    // One that can't be read now is damaged when the record says so.
    const bool damaged = soundness == MpqSoundness::Damaged || (record.damaged && soundness == MpqSoundness::Unknown);
    const LastInstall last = LastInstallIn(game_, record);
    const bool interrupted = last == LastInstall::Interrupted || last == LastInstall::InterruptedWithoutBackup;
    if (interrupted && onto != Onto::TheOriginal && !handedOver_) {
        // Without a backup there is nothing to put back: told once, the note would refuse every install for good.
        if (!backedUp)
            UpdateRecord([this] { RecordInstallEnded(game_); });
        const InstallUnderWay& install = *record.underWay;
        const std::string title = "Last Install Interrupted";
        return OriginalFirst("The last install of " + install.title + " in " + game_ + ", started " + install.date +
                                 ", was cut short before it ended: patch_d2.mpq may be half-written, and the game "
                                 "may not start with it.",
                             title, backedUp, Text(host_.TextLanguage(), IDS_LAST_INSTALL_INTERRUPTED_TITLE),
                             [&](const std::string& mod) {
                                 return Text(
                                     host_.TextLanguage(), IDS_LAST_INSTALL_INTERRUPTED,
                                     {FromCodePage(install.title), FromCodePage(game_), FromCodePage(install.date),
                                      FromCodePage(BackupIn(game_)), FromCodePage(mod)});
                             });
    }
    if (damaged && onto != Onto::TheOriginal && !handedOver_) {
        const std::string what = record.damaged ? "An earlier install left patch_d2.mpq in " + game_ + " damaged"
                                                : "patch_d2.mpq in " + game_ + " is damaged";
        const std::string damagedText = what + ": the game can't start with it.";
        const std::string title = "patch_d2.mpq Is Damaged";
        return OriginalFirst(damagedText, title, backedUp, FromCodePage(title), [&](const std::string& mod) {
            return FromCodePage(damagedText + "\n\nPut the backup " + BackupIn(game_) + " back first, then install " +
                                mod + "?");
        });
    }
    if (onto == Onto::AskWhenModsRecorded) {
        const int answer = backedUp && !handedOver_ && !record.mods.empty() ? AskAboutTheInstalledMods(record) : IDNO;
        if (answer == IDCANCEL) {
            ShowStatus("Install cancelled.");
            FinishInstall(Outcome::Cancelled);
            return std::nullopt;
        }
        onto = answer == IDYES ? Onto::TheOriginal : Onto::TheArchiveAsItIs;
    }
    if (onto == Onto::TheOriginal && TellWhenNoBackup(game_)) {
        FinishInstall(Outcome::ArchiveNotFound);
        return std::nullopt;
    }
    return onto;
}

// An archive not to be installed onto as it stands (`what` says why): where a backup is beside it,
// the player may have it put back first, and the install goes onto the original; the command line
// says that /CLEAN does. Nothing when the command ends here, having changed nothing.
std::optional<Onto> Installer::OriginalFirst(const std::string& what, const std::string& title, bool backedUp,
                                             const std::wstring& questionTitle,
                                             const std::function<std::wstring(const std::string& mod)>& question)
{
    if (!backedUp) {
        Tell(FromCodePage(what + " There is no backup patch_d2_backup.mpq beside it to put back. Nothing was "
                                 "changed.\n\nRun the game's own patch again, which repairs patch_d2.mpq; then "
                                 "install the mod."),
             title, MB_OK | MB_ICONEXCLAMATION);
        ShowStatus("patch_d2.mpq is damaged.");
        FinishInstall(Outcome::ArchiveDamaged);
        return std::nullopt;
    }
    std::string mod = Describe("Title");
    if (mod.empty())
        mod = "the mod";
    if (Ask(question(mod), questionTitle, MB_YESNO | MB_ICONEXCLAMATION, IDNO) == IDYES)
        return Onto::TheOriginal;
    if (!host_.Attended()) {
        Tell(FromCodePage(what + " Nothing was changed. Install.exe /S /CLEAN puts the backup " + BackupIn(game_) +
                          " back first, then installs; Install.exe /RESTORE puts it back."),
             title, MB_OK | MB_ICONEXCLAMATION);
        FinishInstall(Outcome::ArchiveDamaged);
        return std::nullopt;
    }
    ShowStatus("Install cancelled.");
    FinishInstall(Outcome::Cancelled);
    return std::nullopt;
}

int Installer::AskAboutTheInstalledMods(const ModsRecord& record)
{
    const auto titles = [&](std::size_t from, std::size_t to) {
        std::string list;
        for (std::size_t i = from; i < to; ++i)
            list += (list.empty() ? "" : ", ") + RecordedName(record.mods[i]);
        return list;
    };
    std::string title = Describe("Title");
    if (title.empty())
        title = "this mod";
    // A backup made after mods were installed holds them: putting it back doesn't take them out.
    const std::string inBackup = record.inBackup == 0 ? ""
                                                      : "\n\nThe backup was made after " + titles(0, record.inBackup) +
                                                            " had been installed, so it holds them too.";
    return Ask(FromCodePage("patch_d2.mpq in " + game_ + " already holds " + titles(0, record.mods.size()) + "." +
                            inBackup + "\n\nInstall " + title +
                            " onto the original archive from the backup? This is recommended, unless " + title +
                            " is an add-on for the installed mod.\n\nYes: the backup is put back first, then " + title +
                            " is installed.\nNo: " + title +
                            " is installed on top of what the archive holds.\nCancel: nothing is changed."),
               "A Mod Is Already Installed", MB_YESNOCANCEL | MB_ICONQUESTION, IDNO);
}

bool Installer::TellWhenNoBackup(const std::string& game)
{
    if (AnyFileExists(BackupIn(game)))
        return false;
    Tell(FromCodePage("There is no patch_d2_backup.mpq in " + game + " to restore."), "Restore Backup",
         MB_OK | MB_ICONEXCLAMATION);
    return true;
}

void Installer::Restore(const std::string& game, bool ask, Origin origin)
{
    if (Busy())
        return;
    handedOver_ = origin == Origin::HandedOver;
    BeginReport("Restore patch_d2.mpq from backup", game);
    FailingEnds([&] { StartRestore(game, ask && !handedOver_); });
}

void Installer::StartRestore(const std::string& game, bool ask)
{
    game_ = game;
    abandoned_ = false;
    if (TellWhenTooLong(game)) {
        outcome_ = Outcome::Failed;
        return;
    }
    const std::string archive = ArchiveIn(game);
    const std::string backup = BackupIn(game);
    if (TellWhenNoBackup(game)) {
        outcome_ = Outcome::ArchiveNotFound;
        return;
    }
    if (const auto stopped = Obstacle(Press::Restore, PartialPathOf(archive))) {
        outcome_ = *stopped;
        return;
    }
    const std::string unsound = UnsoundBackupNote(game);
    if (!ask && !unsound.empty())
        Tell(FromCodePage(unsound), "Restore Backup", MB_OK | MB_ICONEXCLAMATION);
    if ((ask && Ask(FromCodePage("Copy the backup " + backup + " over " + archive +
                                 "?\n\nThe changes the mod made to the game's archive will be lost." +
                                 (unsound.empty() ? "" : "\n\n" + unsound)),
                    "Restore Backup", MB_YESNO | MB_ICONQUESTION, IDYES) != IDYES) ||
        !HiddenCopyToBeMoved()) {
        outcome_ = Outcome::Cancelled;
        return;
    }
    if (const auto stopped = ClearedToChange(Press::Restore)) {
        outcome_ = *stopped;
        return;
    }
    Begin(Phase::Restoring);
    CopyInBackground(backup, archive, CopiedAttributes::Normal, "Restoring patch_d2.mpq... ");
}

namespace {

std::wstring ChooseAgain(Press press)
{
    return press == Press::Restore ? L"choose \"Restore patch_d2.mpq from backup...\" again"
           : press == Press::Clean ? L"choose \"Install onto the original patch_d2.mpq\" again"
                                   : L"press \"Install Mod\" again";
}

}  // namespace

// What would keep the command from changing the game's files, found before anything is changed:
// the outcome when the command stops here, having told the player why. Notes meanwhile whether
// only an administrator may change the folder, and Windows' private copy of the archive.
std::optional<Outcome> Installer::Obstacle(Press press, const std::string& firstWritten)
{
    hiddenCopy_.reset();
    needsAdministrator_ = false;
    const std::string archive = ArchiveIn(game_);
    if (InstallAtWork(game_))
        return TellInUse(FromCodePage("The game's archive " + archive), {L"Install.exe"}, press);
    // The player's own protection, or an old tool's: neither the installer nor the archiver may
    // write the archive, and no administrator's rights change that.
    const DWORD attributes = GetFileAttributesA(archive.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        Tell(FromCodePage("The game's archive " + archive +
                          " is marked read-only, so it can't be changed. Nothing was changed.\n\nTo clear the mark, "
                          "right-click patch_d2.mpq, choose Properties and untick \"Read-only\"; then ") +
                 ChooseAgain(press) + L".",
             "patch_d2.mpq Is Read-Only", MB_OK | MB_ICONEXCLAMATION);
        ShowStatus("patch_d2.mpq is read-only.");
        return Outcome::Failed;
    }
    // Refused rights are what they seem only without an administrator's; with them, the step that
    // fails reports it.
    const bool elevated = Platform().processElevated();
    const DWORD opened = TryOpeningForChange(archive);
    needsAdministrator_ = !elevated && (MissingRights(Platform().createRefusal(firstWritten)) || MissingRights(opened));
    if (const auto held =
            TellWhenHeld(opened, FromCodePage(archive), FromCodePage("The game's archive " + archive), press))
        return held;
    // The copy is the player's own, under the player's profile: looked for here, before an
    // administrator's instance, which may run as another user, could miss it.
    if (!handedOver_) {
        hiddenCopy_ = VirtualStoreCopyOf(archive);
        if (hiddenCopy_)
            return TellWhenHeld(
                TryOpeningForChange(*hiddenCopy_), *hiddenCopy_,
                L"The copy of patch_d2.mpq that Windows keeps for older programs, " + *hiddenCopy_ + L",", press);
    }
    return std::nullopt;
}

// The game holds its archive while it runs, and neither the archive nor Windows' copy of it can be
// changed then: told, with the program that holds it where Windows names it.
std::optional<Outcome> Installer::TellWhenHeld(DWORD opened, const std::wstring& path, const std::wstring& what,
                                               Press press)
{
    if (!HeldByAnotherProgram(opened))
        return std::nullopt;
    return TellInUse(what, Platform().programsHolding(path), press);
}

Outcome Installer::TellInUse(const std::wstring& what, const std::vector<std::wstring>& programs, Press press)
{
    std::wstring holders;
    for (const std::wstring& program : programs)
        holders += (holders.empty() ? L": " : L", ") + program;
    Tell(what + L" is in use by another program" + holders + L", so it can't be changed now. Nothing was changed.\n\n" +
             L"Close that program, then " + ChooseAgain(press) + L".",
         "patch_d2.mpq In Use", MB_OK | MB_ICONEXCLAMATION);
    ShowStatus("patch_d2.mpq is in use.");
    return Outcome::InUse;
}

// Windows keeps a private copy of a file for the older programs (the game among them) that wrote
// it under Program Files without an administrator's rights, and gives them that copy from then
// on: an archive changed beside it would never be seen by the game. False when the player would
// rather keep it.
bool Installer::HiddenCopyToBeMoved()
{
    return !hiddenCopy_ ||
           Ask(L"Windows keeps a second copy of the game's archive for older programs, at:\n\n" + *hiddenCopy_ +
                   L"\n\nThe game reads that copy and would not see this mod. Move it aside and go on?",
               "Hidden Copy of patch_d2.mpq", MB_YESNO | MB_ICONQUESTION, IDYES) == IDYES;
}

// The player has answered every question; the command changes the game's files from here on, here
// or in Install.exe started as administrator. The outcome when it ends here.
std::optional<Outcome> Installer::ClearedToChange(Press press)
{
    if (needsAdministrator_ && !handedOver_)
        return OfferAdministrator(press);
    MoveHiddenCopyAside();
    return std::nullopt;
}

// Only an administrator may change the game's folder: at the window the player may start the
// installer again as one, which carries out the same press, its questions answered; on the
// command line nothing is done. An administrator's instance that is still refused goes on, and the
// step that fails reports it.
Outcome Installer::OfferAdministrator(Press press)
{
    const std::wstring folder = FromCodePage(game_);
    if (!host_.Attended()) {
        Tell(L"Run it as administrator: the game's folder " + folder +
                 L" can only be changed by an administrator, and Install.exe runs without an administrator's "
                 L"rights. Nothing was changed.",
             "Administrator Rights Needed", MB_OK | MB_ICONEXCLAMATION);
        return Outcome::NeedsAdministrator;
    }
    // A drive letter mapped to a network share is the player's own: an administrator's process
    // doesn't have it, and is handed the share's own path instead.
    const std::optional<std::string> reachable = Platform().folderForAdministrator(game_);
    if (!reachable) {
        Tell(L"The game's folder " + folder +
                 L" can only be changed by an administrator, and it is on a network drive that Install.exe started "
                 L"as administrator could not reach. Nothing was changed.\n\nCopy the game to a folder on this "
                 L"computer, or have the network share's owner give you the rights to change it.",
             "Administrator Rights Needed", MB_OK | MB_ICONEXCLAMATION);
        return Outcome::NeedsAdministrator;
    }
    const std::wstring what = press == Press::Restore ? L"restore patch_d2.mpq"
                              : press == Press::Clean ? L"install the mod onto the original patch_d2.mpq"
                                                      : L"install the mod";
    const bool yes = Ask(L"The game's folder " + folder +
                             L" can only be changed by an administrator.\n\nStart the "
                             L"installer as administrator to " +
                             what + L" there?",
                         "Administrator Rights Needed", MB_YESNO | MB_ICONQUESTION, IDNO) == IDYES;
    if (yes)
        MoveHiddenCopyAside();
    const DWORD started = yes ? host_.ContinueAsAdministrator(press, *reachable) : ERROR_CANCELLED;
    if (started == ERROR_CANCELLED) {
        if (press != Press::Restore)
            ShowStatus("Install cancelled.");
        return Outcome::Cancelled;
    }
    if (started != ERROR_SUCCESS)
        throw Win32Error("Start the installer as administrator", game_, started);
    return Outcome::NeedsAdministrator;
}

// Renamed, never deleted: the player may want it back.
void Installer::MoveHiddenCopyAside()
{
    if (!hiddenCopy_)
        return;
    const std::wstring moved = MoveVirtualStoreCopyAside(*hiddenCopy_);
    hiddenCopy_.reset();
    if (!host_.Attended())
        Tell(
            L"The copy of patch_d2.mpq that Windows kept for older programs, which the game would have read "
            L"instead, was moved aside to: " +
                moved,
            "Hidden Copy of patch_d2.mpq", MB_OK);
}

// The record follows the archive. One that can't be written is told, and what was done to the
// archive stands: the player reads what it holds, not a failure of the bookkeeping.
void Installer::UpdateRecord(const std::function<void()>& change)
{
    try {
        change();
    } catch (const Win32Error& failure) {
        Tell(FromCodePage(ErrorDescription(failure) +
                          "\n\npatch_d2.mpq is as told; only the record of the mods it holds could not be updated."),
             "Record of Installed Mods Not Updated", MB_OK | MB_ICONEXCLAMATION);
    }
}

void Installer::CopyInBackground(const std::string& from, const std::string& to, CopiedAttributes attributes,
                                 const std::string& label)
{
    progressLabel_ = label;
    host_.ShowProgress(label + "0%");
    // The backup never replaces a file; the archive put back always does, and with attributes of
    // its own: a read-only backup must not give a read-only archive, nor a hidden one a missing one.
    const bool restoring = attributes == CopiedAttributes::Normal;
    copy_.emplace(
        from, to, restoring, attributes,
        [this](int percent) { host_.Post(kCopyProgress, static_cast<WPARAM>(percent)); },
        [this] { host_.Post(kCopyEnded, 0); });
}

bool Installer::HandleMessage(UINT message, WPARAM wParam)
{
    switch (message) {
    case kCopyProgress:
        if (copy_)
            host_.ShowProgress(progressLabel_ + std::to_string(wParam) + "%");
        return true;
    case kCopyEnded:
        if (copy_)
            FailingEnds([this] { CopyEnded(); });
        return true;
    case kArchiverEnded:
        if (phase_ == Phase::ArchiverRunning)
            FailingEnds([this] { ArchiverEnded(); });
        return true;
    default:
        return false;
    }
}

void Installer::CopyEnded()
{
    const std::exception_ptr failure = copy_->Failure();
    copy_.reset();
    const bool backup = phase_ == Phase::BackingUp;
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const Win32Error& error) {
            // Cancelled as the window closed: nothing was changed.
            if (abandoned_ && error.Code() == ERROR_REQUEST_ABORTED) {
                if (phase_ == Phase::Restoring)
                    Finish(Outcome::Cancelled);
                else
                    FinishInstall(Outcome::Cancelled);
                return;
            }
            throw Win32Error(backup ? kBackUp : kRestore, ArchiveIn(game_), error.Code());
        }
    }
    if (backup) {
        UpdateRecord([this] { RecordBackupMade(game_); });
        if (abandoned_)
            FinishInstall(Outcome::Cancelled);
        else
            RewriteAndStartTheArchiver();
        return;
    }
    UpdateRecord([this] { RecordBackupPutBack(game_); });
    if (phase_ == Phase::Cleaning) {
        // The install goes on with its questions answered.
        handedOver_ = true;
        if (abandoned_)
            FinishInstall(Outcome::Cancelled);
        else
            StartInstall(game_, drive_, Onto::TheArchiveAsItIs);
        return;
    }
    ShowStatus("Original patch_d2.mpq restored.");
    Finish(Outcome::Done);
}

void Installer::RewriteAndStartTheArchiver()
{
    phase_ = Phase::Starting;
    const std::string scriptName = Describe("ScriptFile");
    const std::string scriptPath = applicationDirectory_ + "\\" + scriptName;
    const char* const readScript = "Read the mod's script (ScriptFile in modsettings.ini)";
    if (scriptName.empty())
        throw Win32Error(readScript, scriptPath, ERROR_FILE_NOT_FOUND);
    const bool ahead = scriptAhead_ && scriptAhead_->path == scriptPath && StampOf(scriptPath) == scriptAhead_->stamp;
    if (ahead)
        scriptAsRead_ = std::move(scriptAhead_->bytes);
    else
        scriptAsRead_ = Step(readScript, scriptPath, [&] { return ReadWholeFile(scriptPath); });

    const std::string correctScript = CorrectScriptIn(applicationDirectory_);
    Step("Write the rewritten script", correctScript, [&] {
        if (ahead && scriptAhead_->rewritten)
            scriptAhead_->rewritten->RenameTo(correctScript, MOVEFILE_REPLACE_EXISTING);
        else
            WriteRewrittenScript(correctScript, scriptAsRead_, archiveShortPath_);
    });
    scriptAhead_.reset();

    // The archiver ends with exit code 0 whatever happens; only the archive itself tells whether
    // it was changed, and what it holds of the mod.
    before_ = FactsOf(ArchiveIn(game_), !additions_.files.empty());
    if (!NoteTheInstall())
        return;
    const std::string commandLine = ArchiverCommandLine(applicationDirectory_);
    log_.Line("The archiver's command line: " + commandLine);
    UniqueHandle process;
    try {
        Step("Start the archiver", commandLine, [&] {
            std::string line = commandLine;
            ShellRun(line, SW_SHOWNOACTIVATE, applicationDirectory_, &process, host_.Owner());
        });
    } catch (const Win32Error& failure) {
        UpdateRecord([this] { RecordInstallEnded(game_); });
        if (failure.Code() != ERROR_CANCELLED)
            throw;
        // The user said no to starting the archiver: nothing failed, and nothing was installed.
        ShowStatus("Install cancelled.");
        FinishInstall(Outcome::Cancelled);
        return;
    }
    // The shell may hand the start to another process and give back nothing to wait on; then the
    // archiver's end can't be awaited, nor its outcome told, and nothing is claimed or recorded.
    if (!process) {
        UpdateRecord([this] { RecordInstallEnded(game_); });
        ShowStatus("Install not confirmed.");
        Tell(FromCodePage("The archiver was started, but Windows gave no way to wait for its end, so whether the mod "
                          "was installed can't be told. Your backup is at: " +
                          BackupIn(game_)),
             "Install Not Confirmed", MB_OK | MB_ICONEXCLAMATION);
        FinishInstall(Outcome::ArchiverFailed);
        return;
    }
    HANDLE wait = nullptr;
    if (!RegisterWaitForSingleObject(&wait, process.Get(), PostArchiverEnded, this, INFINITE, WT_EXECUTEONLYONCE))
        ThrowLastError("Wait for the archiver", commandLine);
    archiver_ = std::move(process);
    archiverEnded_.Reset(wait);
    phase_ = Phase::ArchiverRunning;
    host_.ShowProgress("Installing...");
}

// From here until its end is judged, the record notes the install under way and the game folder's
// mutex tells every other Install.exe that this one is at work: a note found without the mutex is
// an install cut short. The note is on the disk before the archiver starts. False when another
// Install.exe got to work here meanwhile, and the command ended.
bool Installer::NoteTheInstall()
{
    atWork_ = TakeAtWork(game_);
    if (!atWork_) {
        FinishInstall(
            TellInUse(FromCodePage("The game's archive " + ArchiveIn(game_)), {L"Install.exe"}, Press::Install));
        return false;
    }
    const std::string title = Describe("Title");
    Step("Note the install under way", InstalledModsRecordIn(game_),
         [&] { RecordInstallUnderWay(game_, title, applicationDirectory_, before_.stamp.value_or(FileStamp{})); });
    return true;
}

// Runs on a thread-pool thread: the installer learns of the end through its host's thread.
void CALLBACK Installer::PostArchiverEnded(void* installer, BOOLEAN)
{
    static_cast<Installer*>(installer)->host_.Post(kArchiverEnded, 0);
}

void Installer::ArchiverEnded()
{
    DWORD exitCode = 0;
    if (archiver_ && !GetExitCodeProcess(archiver_.Get(), &exitCode))
        ThrowLastError("Read the archiver's exit code", ArchiverCommandLine(applicationDirectory_));
    archiverEnded_.Reset();
    archiver_.Reset();
    // The table after is read only where the one before was.
    const ArchiveFacts after = FactsOf(ArchiveIn(game_), before_.table.has_value());
    log_.Line("The archiver ended with exit code " + std::to_string(exitCode) + ". patch_d2.mpq " +
              ArchiveJudgement(before_, after));
    ReportVerdict(JudgeTheArchive(before_, after, additions_, exitCode));
}

void Installer::ReportVerdict(const Verdict& verdict)
{
    const std::string backup = " Your backup is at: " + BackupIn(game_);
    const std::string files = CountOf(verdict.files, "file");  // "1 file", "3 files"
    const std::string partOfTheMod = " only part of the mod, and the game may crash or miss the mod's changes";
    switch (verdict.is) {
    case ArchiveVerdict::Gone:
        ReportFailure("The archiver ended and patch_d2.mpq is gone, so the mod was not installed." + backup);
        return;
    case ArchiveVerdict::Damaged:
        ReportDamaged();
        return;
    case ArchiveVerdict::NotChanged:
        ReportFailure("The archiver ended without changing patch_d2.mpq, so the mod was not installed." + backup);
        return;
    case ArchiveVerdict::ArchiverExitCode: {
        const std::string ended = "The archiver ended with exit code " + std::to_string(verdict.exitCode);
        if (!verdict.changed) {
            ReportFailure(ended + " without changing patch_d2.mpq, so the mod was not installed." + backup);
            return;
        }
        RecordTheMod(true);
        OfferTheBackupBack(ended + " after changing patch_d2.mpq, so it may hold" + partOfTheMod + ".",
                           Outcome::ArchiverFailed);
        return;
    }
    case ArchiveVerdict::InstalledInPart: {
        RecordTheMod(true);
        if (!host_.Attended())
            for (const std::string& name : verdict.leftOut)
                Tell(FromCodePage("Not in patch_d2.mpq: " + name), "Install Failed", MB_OK | MB_ICONHAND);
        const std::size_t left = verdict.leftOut.size();
        const std::string what =
            additions_.files.empty() ? "None of the mod's files were in its folder"
            : left < verdict.files
                ? "The archiver left out " + std::to_string(left) + " of the " + files + " the mod adds"
                : "The archiver left out " + AllFiles(verdict.files) + " the mod adds";
        OfferTheBackupBack(what + ", so patch_d2.mpq now holds" + partOfTheMod + ":\n\n" + UpToTen(verdict.leftOut),
                           Outcome::ArchiverFailed);
        return;
    }
    case ArchiveVerdict::HoldsByCount:
        for (const std::string& name : verdict.leftOut)
            log_.Line("Not found under this name in patch_d2.mpq: " + name);
        ReportInstalled("patch_d2.mpq holds " + CountOf(verdict.files, "new or replaced file") + ".");
        return;
    case ArchiveVerdict::HoldsAllFiles:
        ReportInstalled("patch_d2.mpq holds " + AllFiles(verdict.files) + " the mod adds.");
        return;
    case ArchiveVerdict::Installed:
        ReportInstalled("");
        return;
    }
}

// The record tells what the archive holds since its backup; without a backup it would tell of
// nothing known.
void Installer::RecordTheMod(bool inPart)
{
    if (!AnyFileExists(BackupIn(game_))) {
        UpdateRecord([this] { RecordInstallEnded(game_); });
        return;
    }
    const std::string title = Describe("Title");
    UpdateRecord([&] { RecordInstalledMod(game_, title, applicationDirectory_, gameVersion_.Text(), inPart); });
}

void Installer::ReportInstalled(const std::string& holds)
{
    RecordTheMod(false);
    ShowStatus("Installed Sucessfully");
    Tell(L"Install Completed Sucessfully, A backup has been created as well." +
             (holds.empty() ? L"" : L"\n\n" + FromCodePage(holds)),
         "Installed, Backup Created!", MB_OK);
    ShowBackupLine("A backup has been created at: " + BackupIn(game_));
    FinishInstall(Outcome::Done);
}

void Installer::ReportFailure(const std::string& message)
{
    UpdateRecord([this] { RecordInstallEnded(game_); });
    ShowStatus("Install failed.");
    Tell(FromCodePage(message + kSendTheLog), "Install Failed", MB_OK | MB_ICONHAND);
    FinishInstall(Outcome::ArchiverFailed);
}

void Installer::ReportDamaged()
{
    UpdateRecord([this] { RecordDamaged(game_, true); });
    OfferTheBackupBack(
        "The archiver ended and left patch_d2.mpq damaged: the game can't start with it, and the mod was not "
        "installed.",
        Outcome::ArchiveDamaged);
}

// The archive is not what the player needs: told, and at the window the backup offered back at once.
void Installer::OfferTheBackupBack(const std::string& what, Outcome outcome)
{
    const std::string backup = BackupIn(game_);
    ShowStatus("Install failed.");
    int answer = IDNO;
    if (host_.Attended())
        answer = Ask(FromCodePage(what + "\n\nPut the backup " + backup + " back now?" + kSendTheLog), "Install Failed",
                     MB_YESNO | MB_ICONHAND, IDNO);
    else
        Tell(FromCodePage(what + " Install.exe /RESTORE puts the backup " + backup + " back." + kSendTheLog),
             "Install Failed", MB_OK | MB_ICONHAND);
    FinishInstall(outcome);
    if (answer == IDYES)
        StartRestore(game_, false);
}

// Files the script adds that the mod's folder lacks leave the mod half-installed: at the window the
// player decides before anything changes; on the command line each is a line, and the install goes
// on, as a script may name files it can do without, unless none of them is there. The outcome when
// the command ends here.
std::optional<Outcome> Installer::ModFilesMissing()
{
    const std::vector<std::string>& missing = additions_.missing;
    if (missing.empty())
        return std::nullopt;
    const bool none = additions_.files.empty();
    const std::string unpackAgain =
        "Unpacking the whole mod again usually brings missing files back; check too that a virus scanner didn't "
        "remove any.";
    if (!host_.Attended()) {
        for (const std::string& name : missing)
            Tell(FromCodePage("Missing from the mod's folder: " + name), "Mod Files Missing", MB_OK);
        if (!none)
            return std::nullopt;
        Tell(FromCodePage("None of the files the mod's script adds are in its folder " + applicationDirectory_ +
                          ", so there is nothing to install. Nothing was changed. " + unpackAgain),
             "Mod Files Missing", MB_OK | MB_ICONEXCLAMATION);
        return Outcome::NoModFiles;
    }
    const bool one = missing.size() == 1;
    const std::string which =
        none ? "None of the files that the mod's script adds to patch_d2.mpq are in the mod's folder (" +
                   CountOf(missing.size(), "file") + " missing):\n\n" + UpToTen(missing) +
                   "\n\nThe game's archive would get none of the mod's files, only what the script does besides."
             : CountOf(missing.size(), "file") + " that the mod's script adds to patch_d2.mpq " + (one ? "is" : "are") +
                   " missing from the mod's folder:\n\n" + UpToTen(missing) +
                   "\n\nThe game's archive would be left without " + (one ? "it" : "them") + ".";
    if (Ask(FromCodePage(which + " " + unpackAgain + "\n\nInstall anyway?"), "Mod Files Missing",
            MB_YESNO | MB_ICONEXCLAMATION, IDYES) == IDYES)
        return std::nullopt;
    ShowStatus("Install cancelled.");
    return Outcome::Cancelled;
}

// A copy that still runs is cancelled and its temporary removed; an archiver is left running.
void Installer::LetGo()
{
    copy_.reset();
    scriptAhead_.reset();
    archiverEnded_.Reset();
    archiver_.Reset();
    atWork_.reset();
}

// A copy is cancelled where it still can be; one past its last cancel point, and the archiver,
// run to their end, which is handled as any: an archive changed is judged and recorded.
void Installer::Abandon()
{
    abandoned_ = true;
    if (copy_)
        copy_->Cancel();
}

// Once the window has closed, nobody reads a box or answers a question: each question takes its
// answer for a command line.
void Installer::Tell(const std::wstring& text, const std::string& title, UINT style)
{
    log_.Line(FromCodePage(title + ": ") + text);
    if (!abandoned_)
        host_.Tell(text, FromCodePage(title), style);
}

int Installer::Ask(const std::wstring& text, const std::string& title, UINT style, int unattended)
{
    return Ask(text, FromCodePage(title), style, unattended);
}

int Installer::Ask(const std::wstring& text, const std::wstring& title, UINT style, int unattended)
{
    log_.Line(title + L" (asked): " + text);
    const int answer = abandoned_ ? unattended : host_.Ask(text, title, style, unattended);
    log_.Line(std::string("Answer: ") + (answer == IDYES ? "Yes" : answer == IDNO ? "No" : "Cancel"));
    log_.Write();
    return answer;
}

void Installer::ShowStatus(const std::string& text)
{
    log_.Line(text);
    host_.ShowStatus(text);
}

void Installer::ShowBackupLine(const std::string& text)
{
    log_.Line(text);
    host_.ShowBackupLine(text);
}

// The heading of the command's part of Install.log: what someone helping the player asks first.
void Installer::BeginReport(const std::string& command, const std::string& game)
{
    gameVersion_ = GameVersionIn(game);
    // The program's own version is read once a run: it can't change while it runs.
    static const std::wstring version =
        FromCodePage(FileVersionOf(AnsiPathOf(ThisProgramsPath()).value_or("")).value_or("of no version"));
    log_.Begin(command + (host_.Attended() ? ", at the window" : ", from the command line") +
               (handedOver_ ? ", handed over to Install.exe started as administrator" : ""));
    log_.Line(L"Install.exe " + version + L", started as: " + GetCommandLineW());
    log_.Line("Game folder: " + game);
    log_.Line("Game version: " + gameVersion_.Text());
}

// The log is written at the end of each step, when the command waits for its copy, its archiver or
// its player, or has ended; an end tells its outcome (the command line's exit code), and a failure
// the report the player is shown.
void Installer::ReportEnd(const std::exception_ptr& failure)
{
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            log_.Line(FromCodePage(std::string(kFailureTitle) + ": " + FailureMessage(error)));
        } catch (...) {
        }
    }
    if (!Busy())
        log_.Line("Outcome: " + std::to_string(static_cast<int>(outcome_.value_or(Outcome::Failed))));
    log_.Write();
}

// The mod's script is read before anything changes, for what it adds, and while the archive is
// copied the rewritten one is written beside correctscript.tmp, so that the archiver can start the
// moment the backup is in place; the copy's thread works on meanwhile. Nothing here changes what
// the player has: the rewritten script takes its name only at its step, after the backup, and is
// removed if the install ends before. Both are used at their step when the script is still the
// same file then; anything amiss (no description, no name, a file that can't be read or written)
// is left to that step, which tries again and reports it, as it always has.
void Installer::ReadScriptAhead()
{
    scriptAhead_.reset();
    if (!FileExists(INIFunctions::INIFile))
        return;
    const std::string name = INIFunctions::ReadINI("MainSettings", "ScriptFile", [](auto&&...) {});
    const std::string path = applicationDirectory_ + "\\" + name;
    const std::optional<FileStamp> stamp = StampOf(path);
    if (name.empty() || !stamp)
        return;
    try {
        scriptAhead_.emplace(ScriptAhead{path, *stamp, ReadWholeFile(path), std::nullopt});
    } catch (const Win32Error&) {
    }
}

void Installer::PrepareScriptAhead()
{
    if (!scriptAhead_)
        return;
    try {
        scriptAhead_->rewritten.emplace(
            PrepareRewrittenScript(CorrectScriptIn(applicationDirectory_), scriptAhead_->bytes, archiveShortPath_));
    } catch (const Win32Error&) {
    }
}

// A value of the mod's description; a file gone missing is told the host's way.
std::string Installer::Describe(const char* key)
{
    return INIFunctions::ReadINI("MainSettings", key,
                                 [this](const std::string& text, const std::string& title, UINT style) {
                                     Tell(FromCodePage(text), title, style);
                                 });
}
