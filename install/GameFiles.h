#pragma once
// The game's files that the installer and its window work on, by their place in the game's folder
// `game`: the patch archive that the archiver changes, and the installer's backup of it.
#include <optional>
#include <string>

std::string ArchiveIn(const std::string& game);  // patch_d2.mpq
std::string BackupIn(const std::string& game);   // patch_d2_backup.mpq

// The folder the game records as its own, when it holds the game's patch_d2.mpq.
std::optional<std::string> FindGameDirectory();
