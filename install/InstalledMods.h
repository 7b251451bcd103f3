#pragma once
// The record of what patch_d2.mpq holds: patch_d2_mods.txt in the game's folder lists the mods
// installed onto the archive since its backup was made, oldest first, one line each: the local
// date and time of the install, the mod's title and its folder, separated by tabs, in the ANSI
// code page. The archiver only ever adds to the archive, so a second mod lands on the first; the
// record is what tells the player, and the next install, what is already there.
#include <string>
#include <vector>

struct InstalledMod {
    std::string date;  // "2024-05-01 14:03", local time
    std::string title;
    std::string folder;
};

// The record's path in the game folder `game`.
std::string InstalledModsRecordIn(const std::string& game);

// The mods recorded in `game`, oldest first; none when there is no record. Throws Win32Error when
// it can't be read.
std::vector<InstalledMod> ReadInstalledMods(const std::string& game);

// Adds a line for the mod installed now, writing the whole record anew through a temporary that
// is flushed and renamed over it. Throws Win32Error.
void RecordInstalledMod(const std::string& game, const std::string& title, const std::string& modFolder);

// Removes the record: the archive is the original again. Throws Win32Error.
void ForgetInstalledMods(const std::string& game);

// What Label5 says of a folder with a record: the last mod and its day, and how many came before.
std::string InstalledHereLine(const std::vector<InstalledMod>& mods);
