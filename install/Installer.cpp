#include "install/Installer.h"

#include "description/INIFunctions.h"
#include "install/InstallScript.h"
#include "install/MpqArchive.h"
#include "install/VirtualStore.h"
#include "settings/Location.h"
#include "system/CodePage.h"
#include "system/Module1.h"
#include "system/Platform.h"
#include "system/ShellRun.h"
#include "system/Win32Error.h"

#include <exception>

namespace {

const char* const kBackUp = "Back up the game's patch archive";
const char* const kRestore = "Restore patch_d2.mpq from its backup";

std::string ArchiveIn(const std::string& game) { return game + "\\" + kArchiveName; }
std::string BackupIn(const std::string& game) { return game + "\\patch_d2_backup.mpq"; }

// A damaged backup is never put over a sound archive: the player would trade a game that starts
// for one that doesn't. Over an archive that is damaged itself, or no MPQ archive at all, it goes.
// A backup that can't be read is no damaged one: it is told by why it can't be.
void RefuseADamagedBackup(const std::string& game)
{
    const MpqJudgement backup = JudgeMpqFile(BackupIn(game));
    if (backup.soundness == MpqSoundness::Unknown)
        throw Win32Error(kRestore, BackupIn(game), backup.error);
    if (backup.soundness == MpqSoundness::Damaged && JudgeMpqFile(ArchiveIn(game)).soundness == MpqSoundness::Sound)
        throw Win32Error(kRestore, BackupIn(game), ERROR_FILE_CORRUPT);
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
    : applicationDirectory_(std::move(applicationDirectory)), host_(host)
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
        throw;
    }
}

void Installer::Install(const std::string& game, const std::string& drive, Onto onto)
{
    if (!Busy())
        FailingEnds([&] { StartInstall(game, drive, onto); });
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
        host_.ShowStatus("patch_d2.mpq not found.");
        FinishInstall(Outcome::ArchiveNotFound);
        return;
    }
    const Press press = onto == Onto::TheOriginal ? Press::Clean : Press::Install;
    if (const auto stopped = Obstacle(press, PartialPathOf(BackupIn(game)))) {
        FinishInstall(*stopped);
        return;
    }
    if (!HiddenCopyMovedAside()) {
        host_.ShowStatus("Install cancelled.");
        FinishInstall(Outcome::Cancelled);
        return;
    }
    if (!ReadyToInstallOnto(onto))
        return;
    // The script names the archive in the ANSI code page; a '?' stands where it couldn't, and no
    // archiver could open that name. Nothing has been changed yet.
    archiveShortPath_ = GetShortPath(archive);
    if (archiveShortPath_.find('?') != std::string::npos)
        throw Win32Error("Name the game's patch archive in the mod's script", archiveShortPath_,
                         ERROR_NO_UNICODE_TRANSLATION);

    // An existing backup may be the only copy of the unmodded archive: copying over it on a
    // second install would store an archive the first run already changed. It is kept.
    if (AnyFileExists(BackupIn(game))) {
        RewriteAndStartTheArchiver();
        return;
    }
    phase_ = Phase::BackingUp;
    CopyInBackground(archive, BackupIn(game), false, "Backing up patch_d2.mpq... ");
    PrepareScriptAhead();
}

// Where the record says mods are installed, a player at the window chooses what this install goes
// onto. Onto the original, the backup is put back first, and the install starts again once it is
// back: until then nothing more happens (false).
bool Installer::ReadyToInstallOnto(Onto onto)
{
    if (onto == Onto::AskWhenModsRecorded && AnyFileExists(BackupIn(game_))) {
        const std::vector<InstalledMod> mods = ReadInstalledMods(game_);
        const int answer = mods.empty() ? IDNO : AskAboutTheInstalledMods(mods);
        if (answer == IDCANCEL) {
            host_.ShowStatus("Install cancelled.");
            FinishInstall(Outcome::Cancelled);
            return false;
        }
        onto = answer == IDYES ? Onto::TheOriginal : Onto::TheArchiveAsItIs;
    }
    if (onto != Onto::TheOriginal)
        return true;
    if (TellWhenNoBackup(game_)) {
        FinishInstall(Outcome::ArchiveNotFound);
        return false;
    }
    RefuseADamagedBackup(game_);
    phase_ = Phase::Cleaning;
    CopyInBackground(BackupIn(game_), ArchiveIn(game_), true, "Restoring patch_d2.mpq... ");
    return false;
}

int Installer::AskAboutTheInstalledMods(const std::vector<InstalledMod>& mods)
{
    std::string installed;
    for (const InstalledMod& mod : mods)
        installed += (installed.empty() ? "" : ", ") + mod.title;
    std::string title = Describe("Title");
    if (title.empty())
        title = "this mod";
    return Ask(FromCodePage("patch_d2.mpq in " + game_ + " already holds " + installed + ".\n\nInstall " + title +
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

void Installer::Restore(const std::string& game, bool ask)
{
    if (!Busy())
        FailingEnds([&] { StartRestore(game, ask); });
}

void Installer::StartRestore(const std::string& game, bool ask)
{
    game_ = game;
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
    RefuseADamagedBackup(game);
    if (ask && Ask(FromCodePage("Copy the backup " + backup + " over " + archive +
                                "?\n\nThe changes the mod made to the game's archive will be lost."),
                   "Restore Backup", MB_YESNO | MB_ICONQUESTION, IDYES) != IDYES) {
        outcome_ = Outcome::Cancelled;
        return;
    }
    if (!HiddenCopyMovedAside()) {
        outcome_ = Outcome::Cancelled;
        return;
    }
    Begin(Phase::Restoring);
    CopyInBackground(backup, archive, true, "Restoring patch_d2.mpq... ");
}

// What would keep the command from changing the game's files, found before anything is changed:
// the outcome when the command stops here, having told the player why.
std::optional<Outcome> Installer::Obstacle(Press press, const std::string& firstWritten)
{
    const std::string archive = ArchiveIn(game_);
    const std::wstring again = press == Press::Restore ? L"choose \"Restore patch_d2.mpq from backup...\" again"
                               : press == Press::Clean ? L"choose \"Install onto the original patch_d2.mpq\" again"
                                                       : L"press \"Install Mod\" again";
    // The player's own protection, or an old tool's: neither the installer nor the archiver may
    // write the archive, and no administrator's rights change that.
    const DWORD attributes = GetFileAttributesA(archive.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        Tell(FromCodePage("The game's archive " + archive +
                          " is marked read-only, so it can't be changed. Nothing was changed.\n\nTo clear the mark, "
                          "right-click patch_d2.mpq, choose Properties and untick \"Read-only\"; then ") +
                 again + L".",
             "patch_d2.mpq Is Read-Only", MB_OK | MB_ICONEXCLAMATION);
        host_.ShowStatus("patch_d2.mpq is read-only.");
        return Outcome::Failed;
    }
    // Refused rights are what they seem only without an administrator's; with them, the step that
    // fails reports it.
    const bool elevated = Platform().processElevated();
    if (!elevated && MissingRights(Platform().createRefusal(firstWritten)))
        return OfferAdministrator(press);
    const DWORD opened = TryOpeningForChange(archive);
    if (!elevated && MissingRights(opened))
        return OfferAdministrator(press);
    if (HeldByAnotherProgram(opened)) {
        std::wstring holders;
        for (const std::wstring& program : Platform().programsHolding(FromCodePage(archive)))
            holders += (holders.empty() ? L": " : L", ") + program;
        Tell(FromCodePage("The game's archive " + archive) + L" is in use by another program" + holders +
                 L", so it can't be changed now. Nothing was changed.\n\nClose that program, then " + again + L".",
             "patch_d2.mpq In Use", MB_OK | MB_ICONEXCLAMATION);
        host_.ShowStatus("patch_d2.mpq is in use.");
        return Outcome::InUse;
    }
    return std::nullopt;
}

// Only an administrator may change the game's folder: at the window the player may start the
// installer again as one, which carries out the same press; on the command line nothing is done.
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
    const std::wstring what = press == Press::Restore ? L"restore patch_d2.mpq"
                              : press == Press::Clean ? L"install the mod onto the original patch_d2.mpq"
                                                      : L"install the mod";
    const bool yes = Ask(L"The game's folder " + folder +
                             L" can only be changed by an administrator.\n\nStart the "
                             L"installer as administrator to " +
                             what + L" there?",
                         "Administrator Rights Needed", MB_YESNO | MB_ICONQUESTION, IDNO) == IDYES;
    const DWORD started = yes ? host_.ContinueAsAdministrator(press, game_) : ERROR_CANCELLED;
    if (started == ERROR_CANCELLED) {
        if (press != Press::Restore)
            host_.ShowStatus("Install cancelled.");
        return Outcome::Cancelled;
    }
    if (started != ERROR_SUCCESS)
        throw Win32Error("Start the installer as administrator", game_, started);
    return Outcome::NeedsAdministrator;
}

// Windows keeps a private copy of a file for the older programs (the game among them) that wrote
// it under Program Files without an administrator's rights, and gives them that copy from then
// on: an archive changed beside it would never be seen by the game. False when the player would
// rather keep it, and nothing is done.
bool Installer::HiddenCopyMovedAside()
{
    const std::optional<std::wstring> copy = VirtualStoreCopyOf(ArchiveIn(game_));
    if (!copy)
        return true;
    if (Ask(L"Windows keeps a second copy of the game's archive for older programs, at:\n\n" + *copy +
                L"\n\nThe game reads that copy and would not see this mod. Move it aside and go on?",
            "Hidden Copy of patch_d2.mpq", MB_YESNO | MB_ICONQUESTION, IDYES) != IDYES)
        return false;
    const std::wstring moved = MoveVirtualStoreCopyAside(*copy);
    if (!host_.Attended())
        Tell(
            L"The copy of patch_d2.mpq that Windows kept for older programs, which the game would have read "
            L"instead, was moved aside to: " +
                moved,
            "Hidden Copy of patch_d2.mpq", MB_OK);
    return true;
}

void Installer::CopyInBackground(const std::string& from, const std::string& to, bool replace, const std::string& label)
{
    progressLabel_ = label;
    host_.ShowProgress(label + "0%");
    copy_.emplace(
        from, to, replace, [this](int percent) { host_.Post(kCopyProgress, static_cast<WPARAM>(percent)); },
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
            throw Win32Error(backup ? kBackUp : kRestore, ArchiveIn(game_), error.Code());
        }
    }
    if (backup) {
        RewriteAndStartTheArchiver();
        return;
    }
    ForgetInstalledMods(game_);
    if (phase_ == Phase::Cleaning) {
        StartInstall(game_, drive_, Onto::TheArchiveAsItIs);
        return;
    }
    host_.ShowStatus("Original patch_d2.mpq restored.");
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
    // it was changed.
    archiveBefore_ = StampOf(ArchiveIn(game_));
    archiveSoundBefore_ = JudgeMpqFile(ArchiveIn(game_)).soundness == MpqSoundness::Sound;
    const std::string commandLine = ArchiverCommandLine(applicationDirectory_);
    UniqueHandle process;
    try {
        Step("Start the archiver", commandLine, [&] {
            std::string line = commandLine;
            ShellRun(line, SW_SHOWNOACTIVATE, applicationDirectory_, &process, host_.Owner());
        });
    } catch (const Win32Error& failure) {
        if (failure.Code() != ERROR_CANCELLED)
            throw;
        // The user said no to starting the archiver: nothing failed, and nothing was installed.
        host_.ShowStatus("Install cancelled.");
        FinishInstall(Outcome::Cancelled);
        return;
    }
    // The window closed while the shell asked: an archiver it started is left to its work, as at a
    // close while it runs.
    if (abandoned_) {
        FinishInstall(Outcome::Cancelled);
        return;
    }
    // The shell may hand the start to another process and give back nothing to wait on; then
    // there is no end to wait for, and the start is all there is to report.
    if (!process) {
        ReportInstalled();
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
    const std::string backup = BackupIn(game_);
    const std::optional<FileStamp> after = StampOf(ArchiveIn(game_));
    // An archiver that dies while it writes the archive in place leaves it damaged, and the game
    // can't start, whatever the exit code says. One that can't be read is judged by its stamps.
    if (after && archiveSoundBefore_ && JudgeMpqFile(ArchiveIn(game_)).soundness == MpqSoundness::Damaged) {
        ReportDamaged();
        return;
    }
    if (exitCode != 0) {
        ReportFailure("The archiver ended with exit code " + std::to_string(exitCode) +
                      ". The game's patch archive may not have been changed. Your backup is at: " + backup);
        return;
    }
    if (!after) {
        ReportFailure(
            "The archiver ended and patch_d2.mpq is gone, so the mod was not installed. Your backup is "
            "at: " +
            backup);
        return;
    }
    if (!archiveBefore_ || *after == *archiveBefore_) {
        ReportFailure(
            "The archiver ended without changing patch_d2.mpq, so the mod was not installed. Your backup "
            "is at: " +
            backup);
        return;
    }
    ReportInstalled();
}

void Installer::ReportInstalled()
{
    // The record tells what the archive holds since its backup; without a backup it would tell of
    // nothing known.
    if (AnyFileExists(BackupIn(game_)))
        Step("Record the installed mod", InstalledModsRecordIn(game_),
             [&] { RecordInstalledMod(game_, Describe("Title"), applicationDirectory_); });
    host_.ShowStatus("Installed Sucessfully");
    Tell(L"Install Completed Sucessfully, A backup has been created as well.", "Installed, Backup Created!", MB_OK);
    host_.ShowBackupLine("A backup has been created at: " + BackupIn(game_));
    FinishInstall(Outcome::Done);
}

void Installer::ReportFailure(const std::string& message)
{
    host_.ShowStatus("Install failed.");
    Tell(FromCodePage(message), "Install Failed", MB_OK | MB_ICONHAND);
    FinishInstall(Outcome::ArchiverFailed);
}

void Installer::ReportDamaged()
{
    const std::string damaged =
        "The archiver ended and left patch_d2.mpq damaged: the game can't start with it, and the mod was not "
        "installed.";
    const std::string backup = BackupIn(game_);
    host_.ShowStatus("Install failed.");
    int answer = IDNO;
    if (host_.Attended())
        answer = Ask(FromCodePage(damaged + "\n\nPut the backup " + backup + " back now?"), "Install Failed",
                     MB_YESNO | MB_ICONHAND, IDNO);
    else
        Tell(FromCodePage(damaged + " Install.exe /RESTORE puts the backup " + backup + " back."), "Install Failed",
             MB_OK | MB_ICONHAND);
    FinishInstall(Outcome::ArchiveDamaged);
    if (answer == IDYES)
        StartRestore(game_, false);
}

// A copy that still runs is cancelled and its temporary removed; an archiver is left running.
void Installer::LetGo()
{
    copy_.reset();
    scriptAhead_.reset();
    archiverEnded_.Reset();
    archiver_.Reset();
}

void Installer::Abandon()
{
    const Phase phase = phase_;
    abandoned_ = phase == Phase::Starting;
    LetGo();
    if (phase == Phase::Cleaning || phase == Phase::BackingUp || phase == Phase::ArchiverRunning)
        FinishInstall(Outcome::Cancelled);
    else if (phase == Phase::Restoring)
        Finish(Outcome::Cancelled);
}

void Installer::Tell(const std::wstring& text, const std::string& title, UINT style)
{
    host_.Tell(text, FromCodePage(title), style);
}

int Installer::Ask(const std::wstring& text, const std::string& title, UINT style, int unattended)
{
    return host_.Ask(text, FromCodePage(title), style, unattended);
}

// While the archive is copied, the mod's script is read and the rewritten one written beside
// correctscript.tmp, so that the archiver can start the moment the backup is in place; the copy's
// thread works on meanwhile. Nothing here changes what the player has: the rewritten script takes
// its name only at its step, after the backup, and is removed if the install ends before. Both are
// used at their step when the script is still the same file then; anything amiss (no description,
// no name, a file that can't be read or written) is left to that step, which tries again and
// reports it, as it always has.
void Installer::PrepareScriptAhead()
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
