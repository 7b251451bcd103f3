#include "install/Installer.h"

#include "install/GameFiles.h"
#include "install/InstalledMods.h"
#include "install/RecordUpdates.h"
#include "settings/Location.h"
#include "system/FileSystem.h"
#include "system/Module1.h"
#include "system/Win32Error.h"

#include <exception>
#include <memory>
#include <utility>

namespace {

// What became of the archive while the archiver ran.
struct Judged {
    ArchiveFacts after;
    Verdict verdict;
};

}  // namespace

Installer::Installer(std::string applicationDirectory, InstallHost& host)
    : applicationDirectory_(std::move(applicationDirectory)), host_(host), report_(applicationDirectory_, host),
      obstacles_(report_, host), archiver_(applicationDirectory_)
{
}

Installer::~Installer() = default;

void Installer::Begin(Phase phase)
{
    phase_ = phase;
    host_.EnableCommands(false);
}

void Installer::Finish(Outcome outcome)
{
    archiver_.ForgetScriptAhead();
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
        Begin(Phase::Starting);
        game_ = game;
        drive_ = drive;
        if (const auto stopped = obstacles_.AnotherGameVersion(game, gameVersion_, handedOver_))
            FinishInstall(*stopped);
        else
            StartInstall(game, drive, onto);
    });
}

void Installer::StartInstall(const std::string& game, const std::string& drive, Onto onto)
{
    // Busy from the first moment: the shell may ask the user about a downloaded archiver and run
    // the window's messages meanwhile, and a second press must not start a second install.
    Begin(Phase::Starting);
    game_ = game;
    drive_ = drive;
    report_.Attend();
    if (obstacles_.TellWhenTooLong(game)) {
        FinishInstall(Outcome::Failed);
        return;
    }
    const std::string archive = ArchiveIn(game);
    if (!FileExists(archive)) {
        report_.Tell(ArchiveNotFound());
        report_.ShowStatus(Status::NotFound);
        FinishInstall(Outcome::ArchiveNotFound);
        return;
    }
    if (const auto stopped = obstacles_.InTheWay(game, onto == Onto::TheOriginal ? Press::Clean : Press::Install,
                                                 PartialPathOf(BackupIn(game)), handedOver_)) {
        FinishInstall(*stopped);
        return;
    }
    // The script names the archive in the ANSI code page; a '?' stands where it couldn't, and no
    // archiver could open that name. Nothing has been changed yet.
    const std::string archiveShortPath = GetShortPath(archive);
    if (archiveShortPath.find('?') != std::string::npos)
        throw Win32Error(kNameTheArchiveStep, archiveShortPath, ERROR_NO_UNICODE_TRANSLATION);
    archiver_.NameTheArchive(archiveShortPath);
    if (const auto stopped = obstacles_.ChooseWhatToInstallOnto(game, onto, handedOver_)) {
        FinishInstall(*stopped);
        return;
    }
    archiver_.ReadScriptAhead();
    // A mod of thousands of files takes a while to look for in its folders.
    CheckInBackground(
        Progress::CheckingTheMod,
        [this] {
            const std::string* script = archiver_.ScriptAhead();
            additions_ = script ? WhatTheScriptAdds(*script, applicationDirectory_) : ScriptAdditions{};
        },
        [this, onto] { InstallWhatTheModHas(onto); });
}

void Installer::InstallWhatTheModHas(Onto onto)
{
    // Nothing has been changed yet: a window closed meanwhile ends the install here.
    if (report_.Abandoned()) {
        FinishInstall(Outcome::Cancelled);
        return;
    }
    const std::string& game = game_;
    const std::string archive = ArchiveIn(game);
    if (const auto stopped =
            handedOver_ ? std::nullopt : obstacles_.ModFilesMissing(additions_, applicationDirectory_)) {
        FinishInstall(*stopped);
        return;
    }
    if (const Wording unsound = onto == Onto::TheOriginal ? UnsoundBackupNoteIn(game) : nullptr; unsound)
        report_.Tell(UnsoundBackup(unsound));
    if (!obstacles_.HiddenCopyToBeMoved()) {
        report_.ShowStatus(Status::Cancelled);
        FinishInstall(Outcome::Cancelled);
        return;
    }
    if (const auto stopped =
            obstacles_.ClearedToChange(game, onto == Onto::TheOriginal ? Press::Clean : Press::Install, handedOver_)) {
        FinishInstall(*stopped);
        return;
    }
    // Onto the original, the backup is put back first, and the install starts again once it is back.
    if (onto == Onto::TheOriginal) {
        phase_ = Phase::Cleaning;
        CopyInBackground(BackupIn(game), archive, CopiedAttributes::Normal, Progress::Restoring);
        return;
    }
    // An existing backup may be the only copy of the unmodded archive: copying over it on a
    // second install would store an archive the first run already changed. It is kept.
    if (AnyFileExists(BackupIn(game))) {
        RewriteAndStartTheArchiver();
        return;
    }
    phase_ = Phase::BackingUp;
    CopyInBackground(archive, BackupIn(game), CopiedAttributes::Kept, Progress::BackingUp);
    archiver_.PrepareScriptAhead();
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
    report_.Attend();
    if (obstacles_.TellWhenTooLong(game)) {
        outcome_ = Outcome::Failed;
        return;
    }
    const std::string archive = ArchiveIn(game);
    const std::string backup = BackupIn(game);
    if (obstacles_.TellWhenNoBackup(game)) {
        outcome_ = Outcome::ArchiveNotFound;
        return;
    }
    if (const auto stopped = obstacles_.InTheWay(game, Press::Restore, PartialPathOf(archive), handedOver_)) {
        outcome_ = *stopped;
        return;
    }
    const Wording unsound = UnsoundBackupNoteIn(game);
    if (!ask && unsound)
        report_.Tell(UnsoundBackup(unsound));
    if ((ask && report_.Ask(RestoreQuestion(backup, archive, unsound), IDYES) != IDYES) ||
        !obstacles_.HiddenCopyToBeMoved()) {
        outcome_ = Outcome::Cancelled;
        return;
    }
    if (const auto stopped = obstacles_.ClearedToChange(game, Press::Restore, handedOver_)) {
        outcome_ = *stopped;
        return;
    }
    Begin(Phase::Restoring);
    CopyInBackground(backup, archive, CopiedAttributes::Normal, Progress::Restoring);
}

void Installer::CopyInBackground(const std::string& from, const std::string& to, CopiedAttributes attributes,
                                 Progress progress)
{
    progress_ = progress;
    report_.ShowProgress(progress);
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
            report_.ShowProgress(progress_, static_cast<int>(wParam));
        return true;
    case kCopyEnded:
        if (copy_)
            FailingEnds([this] { CopyEnded(); });
        return true;
    case kChecked:
        if (check_)
            FailingEnds([this] { CheckEnded(); });
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
            if (report_.Abandoned() && error.Code() == ERROR_REQUEST_ABORTED) {
                if (phase_ == Phase::Restoring)
                    Finish(Outcome::Cancelled);
                else
                    FinishInstall(Outcome::Cancelled);
                return;
            }
            throw Win32Error(backup ? kBackUpStep : kRestoreStep, ArchiveIn(game_), error.Code());
        }
    }
    if (backup) {
        UpdateRecord(report_, [this] { RecordBackupMade(game_); });
        if (report_.Abandoned())
            FinishInstall(Outcome::Cancelled);
        else
            RewriteAndStartTheArchiver();
        return;
    }
    UpdateRecord(report_, [this] { RecordBackupPutBack(game_); });
    if (phase_ == Phase::Cleaning) {
        // The install goes on with its questions answered.
        handedOver_ = true;
        if (report_.Abandoned())
            FinishInstall(Outcome::Cancelled);
        else
            StartInstall(game_, drive_, Onto::TheArchiveAsItIs);
        return;
    }
    report_.ShowStatus(Status::Restored);
    Finish(Outcome::Done);
}

// Checks that take a while for a big mod run on a thread of their own, as the copy does, and the
// command goes on with `then` on this thread once they have ended.
void Installer::CheckInBackground(Progress progress, std::function<void()> check, std::function<void()> then)
{
    phase_ = Phase::Checking;
    report_.ShowProgress(progress);
    afterCheck_ = std::move(then);
    check_.emplace(std::move(check), [this] { host_.Post(kChecked, 0); });
}

void Installer::CheckEnded()
{
    const std::exception_ptr failure = check_->Failure();
    check_.reset();
    if (failure)
        std::rethrow_exception(failure);
    phase_ = Phase::Starting;
    std::exchange(afterCheck_, nullptr)();
}

void Installer::RewriteAndStartTheArchiver()
{
    phase_ = Phase::Starting;
    archiver_.WriteTheScript(report_.Describe("ScriptFile"));
    // The archiver ends with exit code 0 whatever happens; only the archive itself tells whether
    // it was changed, and what it holds of the mod: it is looked at just before the archiver starts.
    // The backup is in place and nothing else has changed: a window closed meanwhile ends the
    // install there.
    CheckInBackground(
        Progress::CheckingTheArchive, [this] { before_ = FactsOf(ArchiveIn(game_), !additions_.files.empty()); },
        [this] {
            if (report_.Abandoned())
                FinishInstall(Outcome::Cancelled);
            else
                StartTheArchiver();
        });
}

void Installer::StartTheArchiver()
{
    if (!NoteTheInstall())
        return;
    report_.Line(ArchiverCommandLineLine(archiver_.CommandLine()));
    // The archiver's end comes back through the host's thread; an archiver not started, or not to
    // be awaited, ends the install under way here.
    const auto ended = [this] { UpdateRecord(report_, [this] { RecordInstallEnded(game_); }); };
    ArchiverRun::Started started = ArchiverRun::Started::Declined;
    try {
        started = archiver_.Start(host_.Owner(), [this] { host_.Post(kArchiverEnded, 0); });
    } catch (const Win32Error&) {
        ended();
        throw;
    }
    if (started != ArchiverRun::Started::Awaited)
        ended();
    switch (started) {
    case ArchiverRun::Started::Declined:
        // The user said no to starting the archiver: nothing failed, and nothing was installed.
        report_.ShowStatus(Status::Cancelled);
        FinishInstall(Outcome::Cancelled);
        return;
    case ArchiverRun::Started::Unawaitable:
        // The archiver's end can't be awaited, nor its outcome told: nothing is claimed or recorded.
        report_.ShowStatus(Status::NotConfirmed);
        report_.Tell(NotConfirmed(BackupIn(game_)));
        FinishInstall(Outcome::ArchiverFailed);
        return;
    case ArchiverRun::Started::Awaited:
        phase_ = Phase::ArchiverRunning;
        report_.ShowProgress(Progress::Installing);
        return;
    }
}

// From here until its end is judged, the record notes the install under way and the game folder's
// mutex tells every other Install.exe that this one is at work: a note found without the mutex is
// an install cut short. The note is on the disk before the archiver starts. False when another
// Install.exe got to work here meanwhile, and the command ended.
bool Installer::NoteTheInstall()
{
    atWork_ = TakeAtWork(game_);
    if (!atWork_) {
        FinishInstall(obstacles_.TellAtWork(game_, Press::Install));
        return false;
    }
    NoteTheInstallUnderWay(report_, game_, applicationDirectory_, before_.stamp.value_or(FileStamp{}));
    return true;
}

void Installer::ArchiverEnded()
{
    const DWORD exitCode = archiver_.ExitCode();
    const auto judged = std::make_shared<Judged>();
    CheckInBackground(
        Progress::CheckingTheArchive,
        [this, judged, exitCode] {
            // The table after is read only where the one before was.
            judged->after = FactsOf(ArchiveIn(game_), before_.table.has_value());
            judged->verdict = JudgeTheArchive(before_, judged->after, additions_, exitCode);
        },
        [this, judged, exitCode] {
            report_.Line(ArchiverEndedLine(exitCode, before_, judged->after));
            RecordTheVerdict(report_, judged->verdict, game_, applicationDirectory_, gameVersion_.Text());
            const VerdictTold told = report_.TellTheVerdict(judged->verdict, additions_.files.empty(), BackupIn(game_));
            FinishInstall(told.outcome);
            if (told.putTheBackupBack)
                StartRestore(game_, false);
        });
}

// A copy that still runs is cancelled and its temporary removed; an archiver is left running.
void Installer::LetGo()
{
    copy_.reset();
    check_.reset();
    afterCheck_ = nullptr;
    atWork_.reset();
    archiver_.LetGo();
}

// A copy is cancelled where it still can be; one past its last cancel point, and the archiver,
// run to their end, which is handled as any: an archive changed is judged and recorded.
void Installer::Abandon()
{
    report_.Abandon();
    if (copy_)
        copy_->Cancel();
}

void Installer::BeginReport(const std::string& command, const std::string& game)
{
    gameVersion_ = GameVersionIn(game);
    report_.Begin(command, game, gameVersion_.Text(), handedOver_);
}

// An end tells its outcome (the command line's exit code), and a failure the report the player is shown.
void Installer::ReportEnd(const std::exception_ptr& failure)
{
    report_.End(failure, Busy() ? std::nullopt : std::optional<Outcome>(outcome_.value_or(Outcome::Failed)));
}
