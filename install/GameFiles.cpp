#include "install/GameFiles.h"

#include "install/InstallScript.h"
#include "settings/Location.h"
#include "system/FileSystem.h"

std::string ArchiveIn(const std::string& game) { return game + "\\" + kArchiveName; }

std::string BackupIn(const std::string& game) { return game + "\\patch_d2_backup.mpq"; }

std::optional<std::string> FindGameDirectory()
{
    for (const std::string& folder : RecordedGameFolders()) {
        if (FileExists(ArchiveIn(folder)))
            return folder;
    }
    return std::nullopt;
}
