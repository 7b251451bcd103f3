#pragma once
// The install command and the restore of the game's archive, apart from the window that shows
// them: Form1 runs them for a player at the window, the command line (/S, /RESTORE) without one.
// They run on the thread that calls them. The archive is copied, and the mod's files and the
// archive checked around the archiver, on threads of their own, and the archiver runs as a process
// of its own; their ends come back to the caller's thread through its host, which hands them to
// HandleMessage. A failure that must end the program is thrown as a Win32Error to the caller, which
// reports it. Here are the commands' phases, in order; what stands in the way of a change
// (Obstacles), the archiver's run (ArchiverRun), what a command tells (Report) and the record's
// updates (RecordUpdates) are units of their own.
#include "install/ArchiverRun.h"
#include "install/GameVersion.h"
#include "install/InstallHost.h"
#include "install/LastInstall.h"
#include "install/Obstacles.h"
#include "install/Report.h"
#include "install/ScriptAdditions.h"
#include "install/Verdict.h"
#include "system/BackgroundCopy.h"
#include "system/BackgroundWork.h"

#include <functional>
#include <optional>
#include <string>

class Installer {
public:
    Installer(std::string applicationDirectory, InstallHost& host);
    ~Installer();
    Installer(const Installer&) = delete;
    Installer& operator=(const Installer&) = delete;

    // "Install Mod" on the game folder `game`, on the drive the drive list calls `drive`: backs up
    // patch_d2.mpq, writes the mod's script naming the archive by its short path as
    // correctscript.tmp, starts the archiver on it, reports its outcome and remembers the
    // location; where the install is done, records the mod in the game folder. Ignored while a
    // command runs.
    void Install(const std::string& game, const std::string& drive, Onto onto, Origin origin = Origin::Player);

    // Puts patch_d2_backup.mpq in `game` back in place of patch_d2.mpq, after asking when `ask`,
    // and ends the record of the mods installed since the backup. Ignored while a command runs.
    void Restore(const std::string& game, bool ask, Origin origin = Origin::Player);

    // True for the installer's own messages, which it has then handled.
    bool HandleMessage(UINT message, WPARAM wParam);

    // The window closes: a copy is cancelled where it still can be, and what runs is finished out
    // of sight (the archiver awaited and judged, the record and the location written) without a
    // question; the host learns of the end as of any (EnableCommands).
    void Abandon();

    bool Busy() const { return phase_ != Phase::Idle; }
    std::optional<Outcome> LastOutcome() const { return outcome_; }

    // The script as the last install read it, and as it rewrote it.
    const std::string& ScriptAsRead() const { return archiver_.ScriptAsRead(); }
    std::string RewrittenScript() const { return archiver_.RewrittenScript(); }

private:
    // Cleaning: the backup is put back before an install onto the original.
    enum class Phase { Idle, Starting, Checking, Cleaning, BackingUp, ArchiverRunning, Restoring };

    static constexpr UINT kArchiverEnded = WM_APP + 1;
    static constexpr UINT kCopyProgress = WM_APP + 2;
    static constexpr UINT kCopyEnded = WM_APP + 3;
    static constexpr UINT kChecked = WM_APP + 4;

    // Runs a step of a command; a failure in it ends the command (Outcome::Failed) and goes on to
    // the caller.
    template <typename Action>
    void FailingEnds(Action action);
    void BeginReport(const std::string& command, const std::string& game);
    void ReportEnd(const std::exception_ptr& failure);
    void StartInstall(const std::string& game, const std::string& drive, Onto onto);
    void InstallWhatTheModHas(Onto onto);
    void StartRestore(const std::string& game, bool ask);
    void LetGo();
    void Begin(Phase phase);
    void Finish(Outcome outcome);
    void FinishInstall(Outcome outcome);
    void CopyInBackground(const std::string& from, const std::string& to, CopiedAttributes attributes,
                          Progress progress);
    void CopyEnded();
    void CheckInBackground(Progress progress, std::function<void()> check, std::function<void()> then);
    void CheckEnded();
    void RewriteAndStartTheArchiver();
    void StartTheArchiver();
    bool NoteTheInstall();
    void ArchiverEnded();

    std::string applicationDirectory_;
    InstallHost& host_;
    Report report_;
    Obstacles obstacles_;
    ArchiverRun archiver_;
    GameVersion gameVersion_;  // of the command's game folder
    Phase phase_ = Phase::Idle;
    std::optional<Outcome> outcome_;
    bool handedOver_ = false;  // the command's Origin is HandedOver

    // The command that runs: the game folder and drive of its press, which the location saved at
    // an install's end remembers even when the lists have moved on meanwhile.
    std::string game_;
    std::string drive_;
    ScriptAdditions additions_;         // what the mod's script adds to the archive
    ArchiveFacts before_;               // the archive just before the archiver started
    std::optional<OwnedMutex> atWork_;  // from the note of the install under way to its end

    Progress progress_ = Progress::BackingUp;
    std::optional<BackgroundCopy> copy_;
    std::function<void()> afterCheck_;
    std::optional<BackgroundWork> check_;  // ended before what it works on
};
