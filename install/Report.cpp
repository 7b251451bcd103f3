#include "install/Report.h"

#include "description/INIFunctions.h"
#include "install/Failure.h"
#include "install/GameVersion.h"
#include "system/CodePage.h"
#include "system/FileSystem.h"

Report::Report(const std::string& modFolder, InstallHost& host) : host_(host), log_(modFolder + "\\Install.log") {}

void Report::Begin(const std::string& command, const std::string& game, const std::string& gameVersion, bool handedOver)
{
    // The program's own version is read once a run: it can't change while it runs.
    static const std::wstring version =
        FromCodePage(FileVersionOf(AnsiPathOf(ThisProgramsPath()).value_or("")).value_or("of no version"));
    log_.Begin(command + (host_.Attended() ? ", at the window" : ", from the command line") +
               (handedOver ? ", handed over to Install.exe started as administrator" : ""));
    log_.Line(L"Install.exe " + version + L", started as: " + GetCommandLineW());
    log_.Line("Game folder: " + game);
    log_.Line("Game version: " + gameVersion);
    log_.Line(std::wstring(L"Language: ") + CodeOf(host_.TextLanguage()));
}

// The log is written at the end of each step, when the command waits for its copy, its archiver or
// its player, or has ended.
void Report::End(const std::exception_ptr& failure, std::optional<Outcome> ended)
{
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            log_.Line(FromCodePage(kFailureTitle) + L": " + FailureMessage(error, Language::English));
        } catch (...) {
        }
    }
    if (ended)
        log_.Line("Outcome: " + std::to_string(static_cast<int>(*ended)));
    log_.Write();
}

void Report::Tell(const Message& message)
{
    log_.Line(Text(Language::English, message.title) + L": " + message.text(Language::English));
    const Language language = host_.TextLanguage();
    if (!abandoned_)
        host_.Tell(message.text(language), Text(language, message.title), message.style);
}

int Report::Ask(const Message& question, int unattended)
{
    log_.Line(Text(Language::English, question.title) + L" (asked): " + question.text(Language::English));
    const Language language = host_.TextLanguage();
    const int answer =
        abandoned_ ? unattended
                   : host_.Ask(question.text(language), Text(language, question.title), question.style, unattended);
    log_.Line(std::string("Answer: ") + (answer == IDYES ? "Yes" : answer == IDNO ? "No" : "Cancel"));
    log_.Write();
    return answer;
}

void Report::ShowStatus(Status status)
{
    log_.Line(StatusText(status, Language::English));
    host_.ShowStatus(StatusText(status, host_.TextLanguage()));
}

void Report::ShowProgress(Progress progress, int percent)
{
    host_.ShowProgress(ProgressText(progress, host_.TextLanguage(), percent));
}

void Report::ShowBackupLine(const std::string& backup)
{
    const auto line = [&](Language language) { return Text(language, IDS_BACKUP_LINE, {FromCodePage(backup)}); };
    log_.Line(line(Language::English));
    host_.ShowBackupLine(line(host_.TextLanguage()));
}

void Report::Line(const std::string& text) { log_.Line(text); }

VerdictTold Report::TellTheVerdict(const Verdict& verdict, bool noneInTheFolder, const std::string& backup)
{
    const Wording what = VerdictText(verdict, noneInTheFolder, backup);
    const auto failed = [&] {
        ShowStatus(Status::Failed);
        Tell(InstallFailed(what));
        return VerdictTold{Outcome::ArchiverFailed, false};
    };
    // The archive is not what the player needs: told, and at the window the backup offered back at once.
    const auto offered = [&](Outcome outcome) {
        ShowStatus(Status::Failed);
        const Message offer = BackupOffered(what, backup, host_.Attended());
        if (!host_.Attended()) {
            Tell(offer);
            return VerdictTold{outcome, false};
        }
        return VerdictTold{outcome, Ask(offer, IDNO) == IDYES};
    };
    switch (verdict.is) {
    case ArchiveVerdict::Gone:
    case ArchiveVerdict::NotChanged:
        return failed();
    case ArchiveVerdict::Damaged:
        return offered(Outcome::ArchiveDamaged);
    case ArchiveVerdict::ArchiverExitCode:
        return verdict.changed ? offered(Outcome::ArchiverFailed) : failed();
    case ArchiveVerdict::InstalledInPart:
        if (!host_.Attended())
            for (const std::string& name : verdict.leftOut)
                Tell(NotInTheArchive(name));
        return offered(Outcome::ArchiverFailed);
    case ArchiveVerdict::HoldsByCount:
        for (const std::string& name : verdict.leftOut)
            Line(NotFoundUnderThisName(name));
        break;
    case ArchiveVerdict::HoldsAllFiles:
    case ArchiveVerdict::Installed:
        break;
    }
    ShowStatus(Status::Installed);
    Tell(Installed(what));
    ShowBackupLine(backup);
    return {Outcome::Done, false};
}

std::string Report::Describe(const char* key)
{
    return INIFunctions::ReadINI("MainSettings", key, [this](const std::string&, const std::string&, UINT style) {
        const std::wstring file = FromCodePage(INIFunctions::INIFile);
        Tell({[file](Language language) { return Text(language, IDS_FILE_NOT_FOUND, {file}); },
              IDS_FILE_NOT_FOUND_TITLE, style});
    });
}

std::string ArchiverCommandLineLine(const std::string& commandLine)
{
    return "The archiver's command line: " + commandLine;
}

// What became of the archive while the archiver ran: its size and soundness before and after.
std::string ArchiverEndedLine(DWORD exitCode, const ArchiveFacts& before, const ArchiveFacts& after)
{
    const auto state = [](const ArchiveFacts& facts) {
        return !facts.stamp ? std::string("missing")
                            : std::to_string(facts.stamp->size) + " bytes, " +
                                  (facts.soundness == MpqSoundness::Sound     ? "a sound MPQ archive"
                                   : facts.soundness == MpqSoundness::Damaged ? "no sound MPQ archive"
                                                                              : "not readable");
    };
    return "The archiver ended with exit code " + std::to_string(exitCode) + ". patch_d2.mpq before: " + state(before) +
           "; after: " + state(after) + "; " +
           (!after.stamp                                    ? "gone."
            : before.stamp && *after.stamp == *before.stamp ? "unchanged."
                                                            : "changed.");
}

std::string NotFoundUnderThisName(const std::string& name)
{
    return "Not found under this name in patch_d2.mpq: " + name;
}
