// The words of the install's messages: each made from its values here, and only here, by the ids
// of the program's string tables, in whichever language it is asked for. What only the command
// line says stays English: scripts read it.
#include "install/Report.h"

#include "install/Failure.h"
#include "install/GameFiles.h"
#include "resources/lang/TextIds.h"
#include "system/CodePage.h"
#include "system/Texts.h"

namespace {

std::wstring Wide(const std::string& text) { return FromCodePage(text); }

// The first ten names, one a line, and how many more there are.
std::wstring UpToTen(const std::vector<std::string>& names, Language language)
{
    std::wstring list;
    for (std::size_t i = 0; i < names.size() && i < 10; ++i)
        list += Wide(names[i]) + L"\n";
    if (names.size() > 10)
        list += Text(language, IDS_AND_MORE, {std::to_wstring(names.size() - 10)}) + L"\n";
    list.pop_back();
    return list;
}

// The command to choose again, by the name the window gives it.
std::wstring ChooseAgain(Press press, Language language)
{
    return press == Press::Restore ? Text(language, IDS_CHOOSE_AGAIN, {Text(language, IDS_RESTORE_FROM_BACKUP)})
           : press == Press::Clean ? Text(language, IDS_CHOOSE_AGAIN, {Text(language, IDS_INSTALL_ONTO_THE_ORIGINAL)})
                                   : Text(language, IDS_PRESS_AGAIN, {Text(language, IDS_INSTALL_MOD)});
}

Message Exclaimed(UINT title, Wording text, UINT buttons = MB_OK)
{
    return {std::move(text), title, buttons | MB_ICONEXCLAMATION};
}

// A line that only the command line shows.
Wording English(std::wstring text)
{
    return [text = std::move(text)](Language) { return text; };
}

// Text `id` with its values (up to three), in whichever language it is asked for.
Wording Said(UINT id, std::vector<std::wstring> values = {})
{
    values.resize(3);
    return [id, values = std::move(values)](Language language) {
        return Text(language, id, {values[0], values[1], values[2]});
    };
}

std::wstring DamagedText(bool recorded, const std::string& game, Language language)
{
    return Text(language, recorded ? IDS_EARLIER_INSTALL_DAMAGED : IDS_ARCHIVE_DAMAGED, {Wide(game)});
}

std::wstring Or(const std::string& title, UINT otherwise, Language language)
{
    return title.empty() ? Text(language, otherwise) : Wide(title);
}

std::wstring SendTheLog(Language language) { return L"\n\n" + Text(language, IDS_SEND_THE_LOG); }

}  // namespace

std::wstring StatusText(Status status, Language language)
{
    switch (status) {
    case Status::NotFound:
        return Text(language, IDS_STATUS_NOT_FOUND);
    case Status::Cancelled:
        return Text(language, IDS_STATUS_CANCELLED);
    case Status::ReadOnly:
        return Text(language, IDS_STATUS_READ_ONLY);
    case Status::Folder:
        return Text(language, IDS_STATUS_FOLDER);
    case Status::InUse:
        return Text(language, IDS_STATUS_IN_USE);
    case Status::Damaged:
        return Text(language, IDS_STATUS_DAMAGED);
    case Status::NotConfirmed:
        return Text(language, IDS_STATUS_NOT_CONFIRMED);
    case Status::Installed:
        return Text(language, IDS_STATUS_INSTALLED);
    case Status::Failed:
        return Text(language, IDS_STATUS_FAILED);
    case Status::Restored:
        return Text(language, IDS_STATUS_RESTORED);
    }
    return L"";
}

std::wstring ProgressText(Progress progress, Language language, int percent)
{
    switch (progress) {
    case Progress::BackingUp:
        return Text(language, IDS_PROGRESS_BACKING_UP, {std::to_wstring(percent)});
    case Progress::Restoring:
        return Text(language, IDS_PROGRESS_RESTORING, {std::to_wstring(percent)});
    case Progress::CheckingTheMod:
        return Text(language, IDS_PROGRESS_CHECKING_THE_MOD);
    case Progress::CheckingTheArchive:
        return Text(language, IDS_PROGRESS_CHECKING_THE_ARCHIVE);
    case Progress::Installing:
        return Text(language, IDS_PROGRESS_INSTALLING);
    }
    return L"";
}

const char* const kBackUpStep = "Back up the game's patch archive";
const char* const kRestoreStep = "Restore patch_d2.mpq from its backup";
const char* const kNameTheArchiveStep = "Name the game's patch archive in the mod's script";
const char* const kReadTheScriptStep = "Read the mod's script (ScriptFile in modsettings.ini)";
const char* const kWriteTheScriptStep = "Write the rewritten script";
const char* const kStartTheArchiverStep = "Start the archiver";
const char* const kWaitForTheArchiverStep = "Wait for the archiver";
const char* const kReadTheExitCodeStep = "Read the archiver's exit code";
const char* const kStartAsAdministratorStep = "Start the installer as administrator";
const char* const kNoteTheInstallStep = "Note the install under way";

std::string CountOf(std::size_t count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

Message FolderPathTooLong(const std::string& game)
{
    return Exclaimed(IDS_PATH_TOO_LONG_TITLE, Said(IDS_PATH_TOO_LONG, {Wide(game)}));
}

Message ArchiveNotFound() { return {Said(IDS_NOT_FOUND_IN_FOLDER), IDS_FILE_NOT_FOUND_TITLE, MB_OK}; }

Message ArchiveIsAFolder(const std::string& archive, Press press)
{
    return Exclaimed(IDS_FOLDER_TITLE, [=](Language language) {
        return Text(language, IDS_ARCHIVE_IS_A_FOLDER, {Wide(archive), ChooseAgain(press, language)});
    });
}

Message AnotherGameVersion(Unasked unasked, std::string title, const std::string& listed, const std::string& game,
                           const std::string& version)
{
    const Wording both = [=](Language language) {
        return Text(language, IDS_MADE_FOR_ANOTHER_VERSION,
                    {Or(title, IDS_THIS_MOD_CAPITAL, language), Wide(listed), Wide(game), Wide(version)});
    };
    switch (unasked) {
    case Unasked::InstalledAnyway:
        return Exclaimed(IDS_ANOTHER_VERSION_TITLE,
                         English(both(Language::English) + L" It is installed all the same (/ANYVERSION)."));
    case Unasked::Refused:
        return Exclaimed(IDS_ANOTHER_VERSION_TITLE,
                         English(both(Language::English) +
                                 L" Nothing was changed. Install.exe /S /ANYVERSION installs it all the same."));
    case Unasked::No:
        break;
    }
    return Exclaimed(
        IDS_ANOTHER_VERSION_TITLE,
        [=](Language language) { return Text(language, IDS_INSTALL_ANOTHER_VERSION, {both(language)}); }, MB_YESNO);
}

NotToInstallOnto Damaged(bool recorded, const std::string& game, std::string title)
{
    const Wording what = [=](Language language) { return DamagedText(recorded, game, language); };
    return {what, IDS_DAMAGED_TITLE,
            Exclaimed(
                IDS_DAMAGED_TITLE,
                [=](Language language) {
                    return Text(language, IDS_DAMAGED_BACKUP_FIRST,
                                {what(language), Wide(BackupIn(game)), Or(title, IDS_THE_MOD, language)});
                },
                MB_YESNO)};
}

NotToInstallOnto Interrupted(const InstallUnderWay& install, const std::string& game, std::string title)
{
    const auto said = [=](UINT id) {
        return [=](Language language) {
            return Text(language, id,
                        {Wide(install.title), Wide(game), Wide(install.date), Wide(BackupIn(game)),
                         Or(title, IDS_THE_MOD, language)});
        };
    };
    return {said(IDS_LAST_INSTALL_CUT_SHORT),
            IDS_LAST_INSTALL_INTERRUPTED_TITLE,
            {said(IDS_LAST_INSTALL_INTERRUPTED), IDS_LAST_INSTALL_INTERRUPTED_TITLE, MB_YESNO | MB_ICONEXCLAMATION}};
}

Message NoBackupToPutBack(const NotToInstallOnto& archive)
{
    return Exclaimed(archive.title, [what = archive.what](Language language) {
        return Text(language, IDS_DAMAGED_NO_BACKUP, {what(language)});
    });
}

Message OriginalFirstRefused(const NotToInstallOnto& archive, const std::string& game)
{
    return Exclaimed(archive.title,
                     English(archive.what(Language::English) +
                             Wide(" Nothing was changed. Install.exe /S /CLEAN puts the backup " + BackupIn(game) +
                                  " back first, then installs; Install.exe /RESTORE puts it back.")));
}

Message InstalledModsQuestion(const ModsRecord& record, const std::string& game, std::string title)
{
    const auto titles = [&](std::size_t from, std::size_t to) {
        std::string list;
        for (std::size_t i = from; i < to; ++i)
            list += (list.empty() ? "" : ", ") + RecordedName(record.mods[i]);
        return Wide(list);
    };
    // A backup made after mods were installed holds them: putting it back doesn't take them out.
    const std::wstring installed = titles(0, record.mods.size());
    const std::wstring inBackup = titles(0, record.inBackup);
    const std::size_t backedUp = record.inBackup;
    return {[=](Language language) {
                const std::wstring holdsToo =
                    backedUp == 0
                        ? L""
                        : Text(language, backedUp == 1 ? IDS_BACKUP_HOLDS_IT : IDS_BACKUP_HOLDS_THEM, {inBackup});
                return Text(language, IDS_ALREADY_HOLDS,
                            {Wide(game), installed, holdsToo, Or(title, IDS_THIS_MOD, language)});
            },
            IDS_MOD_INSTALLED_TITLE, MB_YESNOCANCEL | MB_ICONQUESTION};
}

Message NoBackupToRestore(const std::string& game)
{
    return Exclaimed(IDS_RESTORE_BACKUP_TITLE, Said(IDS_NO_BACKUP_TO_RESTORE, {Wide(game)}));
}

Wording UnsoundBackupNote(const std::string& backup) { return Said(IDS_UNSOUND_BACKUP, {Wide(backup)}); }

Message UnsoundBackup(const Wording& note) { return Exclaimed(IDS_RESTORE_BACKUP_TITLE, note); }

Message RestoreQuestion(const std::string& backup, const std::string& archive, const Wording& unsoundNote)
{
    return {[=](Language language) {
                return Text(language, IDS_COPY_BACKUP_OVER,
                            {Wide(backup), Wide(archive), unsoundNote ? L"\n\n" + unsoundNote(language) : L""});
            },
            IDS_RESTORE_BACKUP_TITLE, MB_YESNO | MB_ICONQUESTION};
}

Message ReadOnly(const std::string& archive, Press press)
{
    return Exclaimed(IDS_READ_ONLY_TITLE, [=](Language language) {
        return Text(language, IDS_READ_ONLY, {Wide(archive), ChooseAgain(press, language)});
    });
}

Message InUse(bool hiddenCopy, const std::wstring& path, const std::vector<std::wstring>& holders, Press press)
{
    std::wstring named;
    for (const std::wstring& program : holders)
        named += (named.empty() ? L"" : L", ") + program;
    return Exclaimed(IDS_IN_USE_TITLE, [=](Language language) {
        return Text(language, hiddenCopy ? IDS_HIDDEN_COPY_IN_USE : IDS_ARCHIVE_IN_USE,
                    {path, named.empty() ? L"" : Text(language, IDS_HELD_BY, {named}), ChooseAgain(press, language)});
    });
}

Message HiddenCopyQuestion(const std::wstring& copy)
{
    return {Said(IDS_MOVE_HIDDEN_COPY, {copy}), IDS_HIDDEN_COPY_TITLE, MB_YESNO | MB_ICONQUESTION};
}

Message HiddenCopyMoved(const std::wstring& movedTo)
{
    return {English(L"The copy of patch_d2.mpq that Windows kept for older programs, which the game would have read "
                    L"instead, was moved aside to: " +
                    movedTo),
            IDS_HIDDEN_COPY_TITLE, MB_OK};
}

Message AdministratorRefused(const std::string& game)
{
    return Exclaimed(IDS_ADMINISTRATOR_TITLE,
                     English(Wide("Run it as administrator: the game's folder " + game +
                                  " can only be changed by an administrator, and Install.exe runs without an "
                                  "administrator's rights. Nothing was changed.")));
}

Message AdministratorUnreachable(const std::string& game)
{
    return Exclaimed(IDS_ADMINISTRATOR_TITLE, Said(IDS_ADMINISTRATOR_NETWORK, {Wide(game)}));
}

Message AdministratorQuestion(const std::string& game, Press press)
{
    const UINT question = press == Press::Restore ? IDS_ADMINISTRATOR_TO_RESTORE
                          : press == Press::Clean ? IDS_ADMINISTRATOR_TO_CLEAN
                                                  : IDS_ADMINISTRATOR_TO_INSTALL;
    return {Said(question, {Wide(game)}), IDS_ADMINISTRATOR_TITLE, MB_YESNO | MB_ICONQUESTION};
}

Message MissingFromTheModsFolder(const std::string& name)
{
    return {English(Wide("Missing from the mod's folder: " + name)), IDS_MOD_FILES_MISSING_TITLE, MB_OK};
}

Message NoModFiles(const std::string& modFolder)
{
    return Exclaimed(IDS_MOD_FILES_MISSING_TITLE,
                     English(Wide("None of the files the mod's script adds are in its folder " + modFolder +
                                  ", so there is nothing to install. Nothing was changed. ") +
                             Text(Language::English, IDS_UNPACK_AGAIN)));
}

Message ModFilesMissingQuestion(const std::vector<std::string>& missing, bool none)
{
    return Exclaimed(
        IDS_MOD_FILES_MISSING_TITLE,
        [=](Language language) {
            const std::wstring list = UpToTen(missing, language);
            const std::wstring count = std::to_wstring(missing.size());
            const bool one = missing.size() == 1;
            const std::wstring which = none  ? one ? Text(language, IDS_NONE_OF_THE_FILE, {list})
                                                   : Text(language, IDS_NONE_OF_THE_FILES, {count, list})
                                        : one ? Text(language, IDS_ONE_FILE_MISSING, {list})
                                             : Text(language, IDS_FILES_MISSING, {count, list});
            return Text(language, IDS_INSTALL_ANYWAY_MISSING, {which, Text(language, IDS_UNPACK_AGAIN)});
        },
        MB_YESNO);
}

Message RecordNotUpdated(const Win32Error& failure)
{
    return Exclaimed(IDS_RECORD_NOT_UPDATED_TITLE, [=](Language language) {
        return Text(language, IDS_RECORD_NOT_UPDATED, {ErrorDescription(failure, language)});
    });
}

Message NotConfirmed(const std::string& backup)
{
    return Exclaimed(IDS_NOT_CONFIRMED_TITLE, Said(IDS_NOT_CONFIRMED, {Wide(backup)}));
}

Wording VerdictText(const Verdict& verdict, bool noneInTheFolder, const std::string& backup)
{
    const std::wstring at = Wide(backup);
    const std::wstring exitCode = std::to_wstring(verdict.exitCode);
    const std::wstring files = std::to_wstring(verdict.files);
    const std::wstring left = std::to_wstring(verdict.leftOut.size());
    const bool one = verdict.files == 1;

    switch (verdict.is) {
    case ArchiveVerdict::Gone:
        return Said(IDS_ARCHIVE_GONE, {at});
    case ArchiveVerdict::Damaged:
        return Said(IDS_ARCHIVER_DAMAGED);
    case ArchiveVerdict::NotChanged:
        return Said(IDS_ARCHIVE_NOT_CHANGED, {at});
    case ArchiveVerdict::ArchiverExitCode:
        return verdict.changed ? Said(IDS_EXIT_CODE_CHANGED, {exitCode})
                               : Said(IDS_EXIT_CODE_NOT_CHANGED, {exitCode, at});
    case ArchiveVerdict::InstalledInPart:
        return [=, leftOut = verdict.leftOut, some = verdict.leftOut.size() < verdict.files](Language language) {
            const std::wstring list = UpToTen(leftOut, language);
            return noneInTheFolder ? Text(language, IDS_NONE_IN_FOLDER_IN_PART, {list})
                   : some          ? Text(language, IDS_LEFT_OUT_SOME, {left, files, list})
                   : one           ? Text(language, IDS_LEFT_OUT_THE_FILE, {list})
                                   : Text(language, IDS_LEFT_OUT_ALL, {files, list});
        };
    case ArchiveVerdict::HoldsByCount:
        return one ? Said(IDS_HOLDS_ONE_NEW_FILE) : Said(IDS_HOLDS_NEW_FILES, {files});
    case ArchiveVerdict::HoldsAllFiles:
        return one ? Said(IDS_HOLDS_THE_FILE) : Said(IDS_HOLDS_ALL_FILES, {files});
    case ArchiveVerdict::Installed:
        break;
    }
    return nullptr;
}

Message InstallFailed(const Wording& what)
{
    return {[=](Language language) { return what(language) + SendTheLog(language); }, IDS_INSTALL_FAILED_TITLE,
            MB_OK | MB_ICONHAND};
}

Message NotInTheArchive(const std::string& name)
{
    return {English(Wide("Not in patch_d2.mpq: " + name)), IDS_INSTALL_FAILED_TITLE, MB_OK | MB_ICONHAND};
}

Message BackupOffered(const Wording& what, const std::string& backup, bool attended)
{
    if (attended)
        return {
            [=](Language language) {
                return Text(language, IDS_PUT_BACKUP_BACK_NOW, {what(language), Wide(backup)}) + SendTheLog(language);
            },
            IDS_INSTALL_FAILED_TITLE, MB_YESNO | MB_ICONHAND};
    return {English(what(Language::English) +
                    Wide(" Install.exe /RESTORE puts the backup " + backup + " back." + kSendTheLog)),
            IDS_INSTALL_FAILED_TITLE, MB_OK | MB_ICONHAND};
}

Message Installed(const Wording& holds)
{
    return {
        [=](Language language) { return Text(language, IDS_INSTALLED) + (holds ? L"\n\n" + holds(language) : L""); },
        IDS_INSTALLED_TITLE, MB_OK};
}
