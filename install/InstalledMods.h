#pragma once
// The record of what patch_d2.mpq holds: patch_d2_mods.txt in the game's folder lists the mods
// installed onto the archive, oldest first, one line each: the local date and time of the
// install, the mod's title, its folder and the game's version then, separated by tabs, in the ANSI
// code page (records from before the game's version was noted have no fourth field); a fifth field
// "in part" follows where the archiver changed the archive but left files of the mod out. The archiver
// only ever adds to the archive, so a second mod lands on the first; the record is what tells the
// player, and the next install, what is already there.
// The record and the backup belong together. A backup made while the record lists mods (the
// earlier backup was lost) holds those mods: a line "backup" follows them, and
// putting that backup back keeps them. A line "damaged" says the archiver left the archive
// damaged, until the backup is put back or the archive is found sound again.
// While the archiver runs, a last line notes the install under way: "damaged", "installing", then
// the install's date and time, the mod's title and folder, and the archive's size and last-write
// time before. Installers that know no such note take it for the "damaged" mark, and so never for
// a mod; the install's end replaces it with what became of the archive.
#include "system/FileSystem.h"
#include "system/Language.h"

#include <optional>

#include <string>
#include <vector>

struct InstalledMod {
    std::string date;  // "2024-05-01 14:03", local time
    std::string title;
    std::string folder;
    std::string gameVersion;  // "1.14d (Lord of Destruction)"; empty in older records
    bool inPart = false;      // the archive holds only part of the mod

    bool operator==(const InstalledMod&) const = default;
};

// An install whose archiver was started and whose end was not yet judged.
struct InstallUnderWay {
    std::string date;  // "2024-05-01 14:03", local time
    std::string title;
    std::string folder;
    FileStamp before;  // the archive just before the archiver started

    bool operator==(const InstallUnderWay&) const = default;
};

struct ModsRecord {
    std::vector<InstalledMod> mods;  // all that the archive holds, oldest first
    std::size_t inBackup = 0;        // how many of the first of them the backup holds too
    bool damaged = false;            // the archiver left the archive damaged
    std::optional<InstallUnderWay> underWay;

    bool operator==(const ModsRecord&) const = default;
};

// The record's path in the game folder `game`.
std::string InstalledModsRecordIn(const std::string& game);

// The record in `game`; an empty one when there is none. Throws Win32Error when it can't be read.
ModsRecord ReadModsRecord(const std::string& game);

// Writes the record anew through a temporary that is flushed and renamed over it; an empty record
// is no file at all. Throws Win32Error.
void WriteModsRecord(const std::string& game, const ModsRecord& record);

// The record's changes, each read, changed and written whole. Throw Win32Error.
// An install whose archiver starts now, onto the archive as `before`.
void RecordInstallUnderWay(const std::string& game, const std::string& title, const std::string& modFolder,
                           const FileStamp& before);
// The install under way ended without changing what the record tells.
void RecordInstallEnded(const std::string& game);
// A mod installed now: the install under way ended so.
void RecordInstalledMod(const std::string& game, const std::string& title, const std::string& modFolder,
                        const std::string& gameVersion, bool inPart = false);
// A backup made now of the archive as it stands: it holds every mod recorded so far.
void RecordBackupMade(const std::string& game);
// The backup put back: the archive holds what the backup holds, and is sound.
void RecordBackupPutBack(const std::string& game);
// Whether the archiver left the archive damaged; that it did ends the install under way.
void RecordDamaged(const std::string& game, bool damaged);

// How the player is told of a recorded mod: its title, and whether the archive holds only part of it.
std::string RecordedName(const InstalledMod& mod);

// What Label5 says of a folder whose last install was cut short, in `language`: the mod and its day.
std::wstring InterruptedHereLine(const InstallUnderWay& install, Language language);

// What Label5 says of a folder with a record, in `language`: the last mod and its day, and how many
// came before.
std::wstring InstalledHereLine(const std::vector<InstalledMod>& mods, Language language);
