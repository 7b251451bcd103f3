#include "install/RecordUpdates.h"

#include "install/GameFiles.h"
#include "install/InstalledMods.h"
#include "system/FileSystem.h"

void UpdateRecord(Report& report, const std::function<void()>& change)
{
    try {
        change();
    } catch (const Win32Error& failure) {
        report.Tell(RecordNotUpdated(failure));
    }
}

void NoteTheInstallUnderWay(Report& report, const std::string& game, const std::string& modFolder,
                            const FileStamp& before)
{
    const std::string title = report.Describe("Title");
    try {
        RecordInstallUnderWay(game, title, modFolder, before);
    } catch (const Win32Error& failure) {
        throw Win32Error(kNoteTheInstallStep, InstalledModsRecordIn(game), failure.Code());
    }
}

void RecordTheVerdict(Report& report, const Verdict& verdict, const std::string& game, const std::string& modFolder,
                      const std::string& gameVersion)
{
    bool inPart = false;
    const auto ended = [&] { UpdateRecord(report, [&] { RecordInstallEnded(game); }); };
    switch (verdict.is) {
    case ArchiveVerdict::Gone:
    case ArchiveVerdict::NotChanged:
        ended();
        return;
    case ArchiveVerdict::Damaged:
        UpdateRecord(report, [&] { RecordDamaged(game, true); });
        return;
    case ArchiveVerdict::ArchiverExitCode:
        if (!verdict.changed) {
            ended();
            return;
        }
        inPart = true;
        break;
    case ArchiveVerdict::InstalledInPart:
        inPart = true;
        break;
    case ArchiveVerdict::HoldsByCount:
    case ArchiveVerdict::HoldsAllFiles:
    case ArchiveVerdict::Installed:
        break;
    }
    // The record tells what the archive holds since its backup; without a backup it would tell of
    // nothing known.
    if (!AnyFileExists(BackupIn(game))) {
        ended();
        return;
    }
    const std::string title = report.Describe("Title");
    UpdateRecord(report, [&] { RecordInstalledMod(game, title, modFolder, gameVersion, inPart); });
}
