#pragma once
// What an install or a restore tells, asks and shows, and the words it says it in. Report hands
// each message to the host (a box or a question at the window, a line on the command line; the
// status and backup lines) and writes it to Install.log; once the window has closed, nobody reads a
// box and each question takes its command line's answer. The host sees each in its language (the
// window's); Install.log has it in English, as the command line does. The functions below
// (ReportWording.cpp) word every message of the install from its values, in one place.
#include "install/InstallHost.h"
#include "install/InstallLog.h"
#include "install/InstalledMods.h"
#include "install/Verdict.h"
#include "system/Texts.h"
#include "system/Win32Error.h"

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A text in any language: the window's at the window, English in Install.log and on the command line.
using Wording = std::function<std::wstring(Language)>;

// A box's text, title (its text's id) and buttons; a line on the command line.
struct Message {
    Wording text;
    UINT title = 0;
    UINT style = MB_OK;
};

// The status line (Label4): how a command ended.
enum class Status { NotFound, Cancelled, ReadOnly, Folder, InUse, Damaged, NotConfirmed, Installed, Failed, Restored };
std::wstring StatusText(Status status, Language language);

// The status line while a command runs; `percent` for a copy.
enum class Progress { BackingUp, Restoring, CheckingTheMod, CheckingTheArchive, Installing };
std::wstring ProgressText(Progress progress, Language language, int percent = 0);

// How an install ended after the archiver, as told: its outcome, and whether the player asked for
// the backup back at once.
struct VerdictTold {
    Outcome outcome;
    bool putTheBackupBack;
};

class Report {
public:
    Report(const std::string& modFolder, InstallHost& host);

    // The heading of the command's part of Install.log: what someone helping the player asks first.
    void Begin(const std::string& command, const std::string& game, const std::string& gameVersion, bool handedOver);
    // The end of a step: a failure's report (the one the player is shown), the outcome where the
    // command has ended, and the log written.
    void End(const std::exception_ptr& failure, std::optional<Outcome> ended);
    // A command starts anew; Abandon: the window has closed.
    void Attend() { abandoned_ = false; }
    void Abandon() { abandoned_ = true; }
    bool Abandoned() const { return abandoned_; }

    void Tell(const Message& message);
    int Ask(const Message& question, int unattended);
    void ShowStatus(Status status);
    void ShowProgress(Progress progress, int percent = 0);  // to the host alone
    void ShowBackupLine(const std::string& backup);
    void Line(const std::string& text);  // to Install.log alone
    // What became of the mod, told by the verdict on the archive; `noneInTheFolder`: the mod's
    // folder held none of the files the script adds.
    VerdictTold TellTheVerdict(const Verdict& verdict, bool noneInTheFolder, const std::string& backup);
    // A value of the mod's description; a file gone missing is told the host's way.
    std::string Describe(const char* key);

private:
    InstallHost& host_;
    InstallLog log_;
    bool abandoned_ = false;
};

// The steps a failure report names.
extern const char* const kBackUpStep;
extern const char* const kRestoreStep;
extern const char* const kNameTheArchiveStep;
extern const char* const kReadTheScriptStep;
extern const char* const kWriteTheScriptStep;
extern const char* const kStartTheArchiverStep;
extern const char* const kWaitForTheArchiverStep;
extern const char* const kReadTheExitCodeStep;
extern const char* const kStartAsAdministratorStep;
extern const char* const kNoteTheInstallStep;

// "1 file", "3 files": a count and its noun, in agreement.
std::string CountOf(std::size_t count, const std::string& noun);

// Before anything changes.
Message FolderPathTooLong(const std::string& game);
Message ArchiveNotFound();
Message ArchiveIsAFolder(const std::string& archive, Press press);
// A mod for other patches than the game's: asked at the window; on the command line installed with
// /ANYVERSION, or else refused.
enum class Unasked { No, InstalledAnyway, Refused };
Message AnotherGameVersion(Unasked unasked, std::string title, const std::string& listed, const std::string& game,
                           const std::string& version);
// An archive not to be installed onto as it stands: no sound MPQ archive (`recorded`: an earlier
// install left it so), or the last install onto it cut short. What is wrong, and the question
// whether to put the backup back first, then install the mod `title`.
struct NotToInstallOnto {
    Wording what;
    UINT title;
    Message question;
};
NotToInstallOnto Damaged(bool recorded, const std::string& game, std::string title);
NotToInstallOnto Interrupted(const InstallUnderWay& install, const std::string& game, std::string title);
// Told where there is no backup to put back, or on the command line, which asks nothing.
Message NoBackupToPutBack(const NotToInstallOnto& archive);
Message OriginalFirstRefused(const NotToInstallOnto& archive, const std::string& game);
Message InstalledModsQuestion(const ModsRecord& record, const std::string& game, std::string title);
Message NoBackupToRestore(const std::string& game);
// What to say of a backup that is no sound MPQ archive: it goes back all the same.
Wording UnsoundBackupNote(const std::string& backup);
Message UnsoundBackup(const Wording& note);
// `unsoundNote` where there is one.
Message RestoreQuestion(const std::string& backup, const std::string& archive, const Wording& unsoundNote);
Message ReadOnly(const std::string& archive, Press press);
// The archive (or Windows' hidden copy of it, `hiddenCopy`) at `path`, held by `holders`.
Message InUse(bool hiddenCopy, const std::wstring& path, const std::vector<std::wstring>& holders, Press press);
Message HiddenCopyQuestion(const std::wstring& copy);
Message HiddenCopyMoved(const std::wstring& movedTo);
Message AdministratorRefused(const std::string& game);
Message AdministratorUnreachable(const std::string& game);
Message AdministratorQuestion(const std::string& game, Press press);
Message MissingFromTheModsFolder(const std::string& name);
Message NoModFiles(const std::string& modFolder);
Message ModFilesMissingQuestion(const std::vector<std::string>& missing, bool none);
Message RecordNotUpdated(const Win32Error& failure);

// After the archiver.
Message NotConfirmed(const std::string& backup);
// What became of the mod, for the box of the verdict's outcome: what failed, or what the archive
// holds, where there is more to say than that it is installed. `noneInTheFolder`: the mod's folder
// held none of the files the script adds.
Wording VerdictText(const Verdict& verdict, bool noneInTheFolder, const std::string& backup);
Message InstallFailed(const Wording& what);
Message NotInTheArchive(const std::string& name);
Message BackupOffered(const Wording& what, const std::string& backup, bool attended);
Message Installed(const Wording& holds);

// Install.log's own lines.
std::string ArchiverCommandLineLine(const std::string& commandLine);
std::string ArchiverEndedLine(DWORD exitCode, const ArchiveFacts& before, const ArchiveFacts& after);
std::string NotFoundUnderThisName(const std::string& name);
