#pragma once
// The install command and the restore of the game's archive, apart from the window that shows
// them: Form1 runs them for a player at the window, the command line (/S, /RESTORE) without one.
// They run on the thread that calls them. The archive is copied on a thread of its own and the
// archiver runs as a process of its own; their ends come back to the caller's thread through its
// host, which hands them to HandleMessage. A failure that must end the program is thrown as a
// Win32Error to the caller, which reports it.
#include "install/GameVersion.h"
#include "install/InstallLog.h"
#include "install/InstalledMods.h"
#include "install/LastInstall.h"
#include "install/MpqArchive.h"
#include "install/ScriptAdditions.h"
#include "install/Verdict.h"
#include "system/BackgroundCopy.h"
#include "system/FileSystem.h"
#include "system/ScopedHandle.h"

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// What a press of the window asks for: the commands that Install.exe, started again as
// administrator, carries out at once.
enum class Press { None, Install, Restore, Clean };

// What the install shows, how it asks, and how its messages reach the thread that runs it.
class InstallHost {
public:
    virtual HWND Owner() const = 0;  // the owner of the shell's questions and of the elevation prompt
    // Whether a player is there to answer questions: the window; not so on the command line, whose
    // switches have answered them beforehand.
    virtual bool Attended() const = 0;
    // A box at the window, a line on the command line.
    virtual void Tell(const std::wstring& text, const std::wstring& title, UINT style) = 0;
    // A question: the button pressed (IDYES, IDNO, ...); unasked, `unattended` where no one attends.
    virtual int Ask(const std::wstring& text, const std::wstring& title, UINT style, int unattended) = 0;
    virtual void ShowStatus(const std::string& text) = 0;      // how the last command ended (Label4)
    virtual void ShowProgress(const std::string& text) = 0;    // while a command runs (Label4)
    virtual void ShowBackupLine(const std::string& text) = 0;  // where the backup is (Label5)
    virtual void EnableCommands(bool enabled) = 0;             // "Install Mod" (Command1)
    // Called from any thread; the message is to come back to Installer::HandleMessage.
    virtual void Post(UINT message, WPARAM wParam) = 0;
    // Starts Install.exe again as administrator to carry out `press` on `game`, its questions
    // answered, and lets this one end; the system's error code (ERROR_CANCELLED when the player
    // declined Windows' prompt). Asked only where a player attends.
    virtual DWORD ContinueAsAdministrator(Press, const std::string&) { return ERROR_NOT_SUPPORTED; }
    // Whether an install goes onto a game of a version the mod is not made for where no one is asked:
    // on the command line, /ANYVERSION.
    virtual bool AnyGameVersion() const { return false; }
    // The language of the questions the player reads in the player's own: the window's.
    virtual Language TextLanguage() const { return Language::English; }

protected:
    ~InstallHost() = default;
};

// How the last command ended; the command line's exit codes.
enum class Outcome {
    Done = 0,
    Failed = 1,
    ArchiveNotFound = 2,
    ArchiverFailed = 3,
    Cancelled = 4,
    InUse = 7,                // another program holds patch_d2.mpq
    NeedsAdministrator = 8,   // the game's folder needs an administrator: handed over, or not done
    ArchiveDamaged = 9,       // the archiver left patch_d2.mpq damaged
    AnotherGameVersion = 10,  // the mod is made for other versions of the game: nothing was changed
    NoModFiles = 11,          // none of the files the mod's script adds are in its folder: nothing was changed
};

// What an install goes onto where the game folder holds a backup: the archive as it stands, which
// may already hold other mods, or the original from the backup, put back first. The window asks
// when the record says mods are installed, or that the archiver left the archive damaged.
enum class Onto { TheArchiveAsItIs, TheOriginal, AskWhenModsRecorded };

// Who asks for a command: the player, here; or Install.exe that ran without an administrator's
// rights, which asked the player's questions, moved the hidden copy of the archive aside and
// handed the command over to this one, started as administrator. A handed-over command asks
// nothing again and never hands itself over a second time.
enum class Origin { Player, HandedOver };

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
    const std::string& ScriptAsRead() const { return scriptAsRead_; }
    std::string RewrittenScript() const;

private:
    // Cleaning: the backup is put back before an install onto the original.
    enum class Phase { Idle, Starting, Cleaning, BackingUp, ArchiverRunning, Restoring };

    static constexpr UINT kArchiverEnded = WM_APP + 1;
    static constexpr UINT kCopyProgress = WM_APP + 2;
    static constexpr UINT kCopyEnded = WM_APP + 3;

    // Runs a step of a command; a failure in it ends the command (Outcome::Failed) and goes on to
    // the caller.
    template <typename Action>
    void FailingEnds(Action action);
    void BeginReport(const std::string& command, const std::string& game);
    void ReportEnd(const std::exception_ptr& failure);
    bool MadeForThisGame(const std::string& game, const std::string& drive);
    void StartInstall(const std::string& game, const std::string& drive, Onto onto);
    std::optional<Onto> ChooseWhatToInstallOnto(Onto onto);
    std::optional<Onto> OriginalFirst(const std::string& what, const std::string& title, bool backedUp,
                                      const std::wstring& questionTitle,
                                      const std::function<std::wstring(const std::string& mod)>& question);
    int AskAboutTheInstalledMods(const ModsRecord& record);
    void StartRestore(const std::string& game, bool ask);
    std::optional<Outcome> Obstacle(Press press, const std::string& firstWritten);
    std::optional<Outcome> TellWhenHeld(DWORD opened, const std::wstring& path, const std::wstring& what, Press press);
    Outcome TellInUse(const std::wstring& what, const std::vector<std::wstring>& programs, Press press);
    bool HiddenCopyToBeMoved();
    std::optional<Outcome> ClearedToChange(Press press);
    Outcome OfferAdministrator(Press press);
    void MoveHiddenCopyAside();
    void UpdateRecord(const std::function<void()>& change);
    void LetGo();
    void Begin(Phase phase);
    void Finish(Outcome outcome);
    void FinishInstall(Outcome outcome);
    void CopyInBackground(const std::string& from, const std::string& to, CopiedAttributes attributes,
                          const std::string& label);
    void CopyEnded();
    void PrepareScriptAhead();
    void RewriteAndStartTheArchiver();
    bool NoteTheInstall();
    static void CALLBACK PostArchiverEnded(void* installer, BOOLEAN timedOut);
    void ArchiverEnded();
    void ReportVerdict(const Verdict& verdict);
    void RecordTheMod(bool inPart);
    void ReportInstalled(const std::string& holds);
    void OfferTheBackupBack(const std::string& what, Outcome outcome);
    std::optional<Outcome> ModFilesMissing();
    void ReadScriptAhead();
    void ReportFailure(const std::string& message);
    void ReportDamaged();
    bool TellWhenNoBackup(const std::string& game);
    bool TellWhenTooLong(const std::string& game);
    // What the command tells, asks and shows goes through these, which also write it to Install.log.
    void Tell(const std::wstring& text, const std::string& title, UINT style);
    int Ask(const std::wstring& text, const std::string& title, UINT style, int unattended);
    int Ask(const std::wstring& text, const std::wstring& title, UINT style, int unattended);
    void ShowStatus(const std::string& text);
    void ShowBackupLine(const std::string& text);
    std::string Describe(const char* key);

    std::string applicationDirectory_;
    InstallHost& host_;
    InstallLog log_;
    GameVersion gameVersion_;  // of the command's game folder
    Phase phase_ = Phase::Idle;
    std::optional<Outcome> outcome_;
    bool handedOver_ = false;  // the command's Origin is HandedOver
    bool abandoned_ = false;   // the window closed: the command ends without a question
    // What the command found before it changed anything: Windows' private copy of the archive,
    // to be moved aside, and whether only an administrator may change the game's folder.
    std::optional<std::wstring> hiddenCopy_;
    bool needsAdministrator_ = false;

    // The command that runs: the game folder and drive of its press, which the location saved at
    // an install's end remembers even when the lists have moved on meanwhile.
    std::string game_;
    std::string drive_;
    std::string archiveShortPath_;
    std::string scriptAsRead_;
    struct ScriptAhead {
        std::string path;
        FileStamp stamp;
        std::string bytes;
        std::optional<PendingFile> rewritten;  // to be correctscript.tmp
    };
    std::optional<ScriptAhead> scriptAhead_;
    ScriptAdditions additions_;         // what the mod's script adds to the archive
    ArchiveFacts before_;               // the archive just before the archiver started
    std::optional<OwnedMutex> atWork_;  // from the note of the install under way to its end

    std::string progressLabel_;
    std::optional<BackgroundCopy> copy_;
    UniqueHandle archiver_;
    WaitRegistration archiverEnded_;  // released before the process handle it waits on
};
