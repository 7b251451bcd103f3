#include "install/GameFiles.h"

#include "install/InstallScript.h"

std::string ArchiveIn(const std::string& game) { return game + "\\" + kArchiveName; }

std::string BackupIn(const std::string& game) { return game + "\\patch_d2_backup.mpq"; }
