// The words of the install's messages: each made from its values here, and only here.
#include "install/Report.h"

#include "install/Failure.h"
#include "install/GameFiles.h"
#include "resources/lang/TextIds.h"
#include "system/CodePage.h"
#include "system/Texts.h"

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

// "the 1 file", "all 3 files".
std::string AllFiles(std::size_t count) { return (count == 1 ? "the " : "all ") + CountOf(count, "file"); }

std::wstring ChooseAgain(Press press)
{
    return press == Press::Restore ? L"choose \"Restore patch_d2.mpq from backup...\" again"
           : press == Press::Clean ? L"choose \"Install onto the original patch_d2.mpq\" again"
                                   : L"press \"Install Mod\" again";
}

Message Exclaimed(const std::string& text, const char* title, UINT buttons = MB_OK)
{
    return {FromCodePage(text), FromCodePage(title), buttons | MB_ICONEXCLAMATION};
}

std::string DamagedText(bool recorded, const std::string& game)
{
    return (recorded ? "An earlier install left patch_d2.mpq in " + game + " damaged"
                     : "patch_d2.mpq in " + game + " is damaged") +
           ": the game can't start with it.";
}

const char* const kDamagedTitle = "patch_d2.mpq Is Damaged";
const char* const kRestoreTitle = "Restore Backup";
const char* const kAdministratorTitle = "Administrator Rights Needed";
const char* const kHiddenCopyTitle = "Hidden Copy of patch_d2.mpq";
const char* const kModFilesMissingTitle = "Mod Files Missing";
const wchar_t* const kInstallFailedTitle = L"Install Failed";

}  // namespace

std::string StatusText(Status status)
{
    switch (status) {
    case Status::NotFound:
        return "patch_d2.mpq not found.";
    case Status::Cancelled:
        return "Install cancelled.";
    case Status::ReadOnly:
        return "patch_d2.mpq is read-only.";
    case Status::Folder:
        return "patch_d2.mpq is a folder.";
    case Status::InUse:
        return "patch_d2.mpq is in use.";
    case Status::Damaged:
        return "patch_d2.mpq is damaged.";
    case Status::NotConfirmed:
        return "Install not confirmed.";
    case Status::Installed:
        return "Installed Sucessfully";
    case Status::Failed:
        return "Install failed.";
    case Status::Restored:
        return "Original patch_d2.mpq restored.";
    }
    return "";
}

std::string ProgressText(Progress progress, int percent)
{
    switch (progress) {
    case Progress::BackingUp:
        return "Backing up patch_d2.mpq... " + std::to_string(percent) + "%";
    case Progress::Restoring:
        return "Restoring patch_d2.mpq... " + std::to_string(percent) + "%";
    case Progress::CheckingTheMod:
        return "Checking the mod's files...";
    case Progress::CheckingTheArchive:
        return "Checking patch_d2.mpq...";
    case Progress::Installing:
        return "Installing...";
    }
    return "";
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
    return Exclaimed("The path of the folder " + game +
                         " is too long: Windows can't back up or change the game's files there. Choose the game's "
                         "folder again, or move the game to a folder with a shorter path.",
                     "Folder Path Too Long");
}

Message ArchiveNotFound()
{
    return {L"The file patch_d2.mpq was not found, make sure you have selected the correct directory for Diablo 2.",
            L"File Not Found", MB_OK};
}

Message ArchiveIsAFolder(const std::string& archive, Press press)
{
    return {FromCodePage("The game's archive " + archive +
                         " is a folder, not a file, so nothing can be put in its place. Nothing was changed.\n\nMove "
                         "that folder out of the game's folder, or rename it; then ") +
                ChooseAgain(press) + L".",
            L"patch_d2.mpq Is a Folder", MB_OK | MB_ICONEXCLAMATION};
}

Message AnotherGameVersion(Unasked unasked, std::string title, const std::string& listed, const std::string& game,
                           const std::string& version)
{
    if (title.empty())
        title = "This mod";
    const std::string both =
        title + " is made for Diablo II " + listed + ", and the game in " + game + " is " + version + ".";
    const char* const question = "Another Version of Diablo II";
    switch (unasked) {
    case Unasked::InstalledAnyway:
        return Exclaimed(both + " It is installed all the same (/ANYVERSION).", question);
    case Unasked::Refused:
        return Exclaimed(both + " Nothing was changed. Install.exe /S /ANYVERSION installs it all the same.", question);
    case Unasked::No:
        break;
    }
    return Exclaimed(both +
                         "\n\nA mod made for another version of the game usually stops the game from starting.\n\n"
                         "Install it anyway?",
                     question, MB_YESNO);
}

NotToInstallOnto Damaged(bool recorded, const std::string& game, std::string title)
{
    if (title.empty())
        title = "the mod";
    const std::string what = DamagedText(recorded, game);
    return {what, kDamagedTitle,
            Exclaimed(what + "\n\nPut the backup " + BackupIn(game) + " back first, then install " + title + "?",
                      kDamagedTitle, MB_YESNO)};
}

NotToInstallOnto Interrupted(const InstallUnderWay& install, const std::string& game, std::string title,
                             Language language)
{
    if (title.empty())
        title = "the mod";
    return {"The last install of " + install.title + " in " + game + ", started " + install.date +
                ", was cut short before it ended: patch_d2.mpq may be half-written, and the game may not start "
                "with it.",
            "Last Install Interrupted",
            {Text(language, IDS_LAST_INSTALL_INTERRUPTED,
                  {FromCodePage(install.title), FromCodePage(game), FromCodePage(install.date),
                   FromCodePage(BackupIn(game)), FromCodePage(title)}),
             Text(language, IDS_LAST_INSTALL_INTERRUPTED_TITLE), MB_YESNO | MB_ICONEXCLAMATION}};
}

Message NoBackupToPutBack(const NotToInstallOnto& archive)
{
    return {FromCodePage(archive.what +
                         " There is no backup patch_d2_backup.mpq beside it to put back. Nothing was changed.\n\nRun "
                         "the game's own patch again, which repairs patch_d2.mpq; then install the mod."),
            FromCodePage(archive.title), MB_OK | MB_ICONEXCLAMATION};
}

Message OriginalFirstRefused(const NotToInstallOnto& archive, const std::string& game)
{
    return {FromCodePage(archive.what + " Nothing was changed. Install.exe /S /CLEAN puts the backup " +
                         BackupIn(game) + " back first, then installs; Install.exe /RESTORE puts it back."),
            FromCodePage(archive.title), MB_OK | MB_ICONEXCLAMATION};
}

Message InstalledModsQuestion(const ModsRecord& record, const std::string& game, std::string title)
{
    const auto titles = [&](std::size_t from, std::size_t to) {
        std::string list;
        for (std::size_t i = from; i < to; ++i)
            list += (list.empty() ? "" : ", ") + RecordedName(record.mods[i]);
        return list;
    };
    if (title.empty())
        title = "this mod";
    // A backup made after mods were installed holds them: putting it back doesn't take them out.
    const std::string inBackup = record.inBackup == 0 ? ""
                                                      : "\n\nThe backup was made after " + titles(0, record.inBackup) +
                                                            " had been installed, so it holds " +
                                                            (record.inBackup == 1 ? "it" : "them") + " too.";
    return {FromCodePage("patch_d2.mpq in " + game + " already holds " + titles(0, record.mods.size()) + "." +
                         inBackup + "\n\nInstall " + title +
                         " onto the original archive from the backup? This is recommended, unless " + title +
                         " is an add-on for the installed mod.\n\nYes: the backup is put back first, then " + title +
                         " is installed.\nNo: " + title +
                         " is installed on top of what the archive holds.\nCancel: nothing is changed."),
            L"A Mod Is Already Installed", MB_YESNOCANCEL | MB_ICONQUESTION};
}

Message NoBackupToRestore(const std::string& game)
{
    return Exclaimed("There is no patch_d2_backup.mpq in " + game + " to restore.", kRestoreTitle);
}

std::string UnsoundBackupNote(const std::string& backup)
{
    return "The backup " + backup +
           " is no sound MPQ archive itself, so the game may not start with it either. It is put back all the same: "
           "it is the game's archive as it was when the backup was made. If the game then doesn't start, run the "
           "game's own patch again, which repairs patch_d2.mpq.";
}

Message UnsoundBackup(const std::string& note) { return Exclaimed(note, kRestoreTitle); }

Message RestoreQuestion(const std::string& backup, const std::string& archive, const std::string& unsoundNote)
{
    return {FromCodePage("Copy the backup " + backup + " over " + archive +
                         "?\n\nThe changes the mod made to the game's archive will be lost." +
                         (unsoundNote.empty() ? "" : "\n\n" + unsoundNote)),
            FromCodePage(kRestoreTitle), MB_YESNO | MB_ICONQUESTION};
}

Message ReadOnly(const std::string& archive, Press press)
{
    return {FromCodePage("The game's archive " + archive +
                         " is marked read-only, so it can't be changed. Nothing was changed.\n\nTo clear the mark, "
                         "right-click patch_d2.mpq, choose Properties and untick \"Read-only\"; then ") +
                ChooseAgain(press) + L".",
            L"patch_d2.mpq Is Read-Only", MB_OK | MB_ICONEXCLAMATION};
}

Message InUse(bool hiddenCopy, const std::wstring& path, const std::vector<std::wstring>& holders, Press press)
{
    std::wstring named;
    for (const std::wstring& program : holders)
        named += (named.empty() ? L": " : L", ") + program;
    const std::wstring what = hiddenCopy
                                  ? L"The copy of patch_d2.mpq that Windows keeps for older programs, " + path + L","
                                  : L"The game's archive " + path;
    return {what + L" is in use by another program" + named +
                L", so it can't be changed now. Nothing was changed.\n\n" + L"Close that program, then " +
                ChooseAgain(press) + L".",
            L"patch_d2.mpq In Use", MB_OK | MB_ICONEXCLAMATION};
}

Message HiddenCopyQuestion(const std::wstring& copy)
{
    return {L"Windows keeps a second copy of the game's archive for older programs, at:\n\n" + copy +
                L"\n\nThe game reads that copy and would not see this mod. Move it aside and go on?",
            FromCodePage(kHiddenCopyTitle), MB_YESNO | MB_ICONQUESTION};
}

Message HiddenCopyMoved(const std::wstring& movedTo)
{
    return {
        L"The copy of patch_d2.mpq that Windows kept for older programs, which the game would have read "
        L"instead, was moved aside to: " +
            movedTo,
        FromCodePage(kHiddenCopyTitle), MB_OK};
}

Message AdministratorRefused(const std::string& game)
{
    return Exclaimed("Run it as administrator: the game's folder " + game +
                         " can only be changed by an administrator, and Install.exe runs without an administrator's "
                         "rights. Nothing was changed.",
                     kAdministratorTitle);
}

Message AdministratorUnreachable(const std::string& game)
{
    return Exclaimed("The game's folder " + game +
                         " can only be changed by an administrator, and it is on a network drive that Install.exe "
                         "started as administrator could not reach. Nothing was changed.\n\nCopy the game to a folder "
                         "on this computer, or have the network share's owner give you the rights to change it.",
                     kAdministratorTitle);
}

Message AdministratorQuestion(const std::string& game, Press press)
{
    const char* const what = press == Press::Restore ? "restore patch_d2.mpq"
                             : press == Press::Clean ? "install the mod onto the original patch_d2.mpq"
                                                     : "install the mod";
    return {FromCodePage("The game's folder " + game +
                         " can only be changed by an administrator.\n\nStart the installer as administrator to " +
                         what + " there?"),
            FromCodePage(kAdministratorTitle), MB_YESNO | MB_ICONQUESTION};
}

Message MissingFromTheModsFolder(const std::string& name)
{
    return {FromCodePage("Missing from the mod's folder: " + name), FromCodePage(kModFilesMissingTitle), MB_OK};
}

namespace {

const char* const kUnpackAgain =
    "Unpacking the whole mod again usually brings missing files back; check too that a virus scanner didn't "
    "remove any.";

}  // namespace

Message NoModFiles(const std::string& modFolder)
{
    return Exclaimed("None of the files the mod's script adds are in its folder " + modFolder +
                         ", so there is nothing to install. Nothing was changed. " + kUnpackAgain,
                     kModFilesMissingTitle);
}

Message ModFilesMissingQuestion(const std::vector<std::string>& missing, bool none)
{
    const bool one = missing.size() == 1;
    const std::string which =
        none ? "None of the files that the mod's script adds to patch_d2.mpq are in the mod's folder (" +
                   CountOf(missing.size(), "file") + " missing):\n\n" + UpToTen(missing) +
                   "\n\nThe game's archive would get none of the mod's files, only what the script does besides."
             : CountOf(missing.size(), "file") + " that the mod's script adds to patch_d2.mpq " + (one ? "is" : "are") +
                   " missing from the mod's folder:\n\n" + UpToTen(missing) +
                   "\n\nThe game's archive would be left without " + (one ? "it" : "them") + ".";
    return Exclaimed(which + " " + kUnpackAgain + "\n\nInstall anyway?", kModFilesMissingTitle, MB_YESNO);
}

Message RecordNotUpdated(const Win32Error& failure)
{
    return Exclaimed(ErrorDescription(failure) +
                         "\n\npatch_d2.mpq is as told; only the record of the mods it holds could not be updated.",
                     "Record of Installed Mods Not Updated");
}

Message NotConfirmed(const std::string& backup)
{
    return Exclaimed(
        "The archiver was started, but Windows gave no way to wait for its end, so whether the mod was "
        "installed can't be told. Your backup is at: " +
            backup,
        "Install Not Confirmed");
}

std::string VerdictText(const Verdict& verdict, bool noneInTheFolder, const std::string& backup)
{
    const std::string notInstalled = ", so the mod was not installed. Your backup is at: " + backup;
    const std::string partOfTheMod = " only part of the mod, and the game may crash or miss the mod's changes";
    const std::string ended = "The archiver ended with exit code " + std::to_string(verdict.exitCode);
    const std::size_t left = verdict.leftOut.size();
    switch (verdict.is) {
    case ArchiveVerdict::Gone:
        return "The archiver ended and patch_d2.mpq is gone" + notInstalled;
    case ArchiveVerdict::Damaged:
        return "The archiver ended and left patch_d2.mpq damaged: the game can't start with it, and the mod was not "
               "installed.";
    case ArchiveVerdict::NotChanged:
        return "The archiver ended without changing patch_d2.mpq" + notInstalled;
    case ArchiveVerdict::ArchiverExitCode:
        return verdict.changed ? ended + " after changing patch_d2.mpq, so it may hold" + partOfTheMod + "."
                               : ended + " without changing patch_d2.mpq" + notInstalled;
    case ArchiveVerdict::InstalledInPart:
        return (noneInTheFolder        ? "None of the mod's files were in its folder"
                : left < verdict.files ? "The archiver left out " + std::to_string(left) + " of the " +
                                             CountOf(verdict.files, "file") + " the mod adds"
                                       : "The archiver left out " + AllFiles(verdict.files) + " the mod adds") +
               ", so patch_d2.mpq now holds" + partOfTheMod + ":\n\n" + UpToTen(verdict.leftOut);
    case ArchiveVerdict::HoldsByCount:
        return "patch_d2.mpq holds " + CountOf(verdict.files, "new or replaced file") + ".";
    case ArchiveVerdict::HoldsAllFiles:
        return "patch_d2.mpq holds " + AllFiles(verdict.files) + " the mod adds.";
    case ArchiveVerdict::Installed:
        break;
    }
    return "";
}

Message InstallFailed(const std::string& what)
{
    return {FromCodePage(what + kSendTheLog), kInstallFailedTitle, MB_OK | MB_ICONHAND};
}

Message NotInTheArchive(const std::string& name)
{
    return {FromCodePage("Not in patch_d2.mpq: " + name), kInstallFailedTitle, MB_OK | MB_ICONHAND};
}

Message BackupOffered(const std::string& what, const std::string& backup, bool attended)
{
    if (attended)
        return {FromCodePage(what + "\n\nPut the backup " + backup + " back now?" + kSendTheLog), kInstallFailedTitle,
                MB_YESNO | MB_ICONHAND};
    return {FromCodePage(what + " Install.exe /RESTORE puts the backup " + backup + " back." + kSendTheLog),
            kInstallFailedTitle, MB_OK | MB_ICONHAND};
}

Message Installed(const std::string& holds)
{
    return {L"Install Completed Sucessfully, A backup has been created as well." +
                (holds.empty() ? L"" : L"\n\n" + FromCodePage(holds)),
            L"Installed, Backup Created!", MB_OK};
}
