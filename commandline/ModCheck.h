#pragma once
// The mod author's check (/CHECK): the mod's folder as a player's machine will read it, before the
// mod is published. It changes nothing.
#include <optional>
#include <string>
#include <vector>

struct CheckResult {
    bool ok;
    std::wstring text;         // what was checked; for a problem, what is wrong and how to mend it
    bool information = false;  // what a game's archive holds of the mod: never a problem of the mod's
};

// One result per check, in order: the folder's name, modsettings.ini and how it is encoded, its
// four keys, the patches GameVersion names where it is given, the game's version in the folder
// `game` where one is given, the script, its mention of patch_d2.mpq and each file it makes the
// archiver read, line by line, mpq2k.exe and the DLLs it needs, and listfile.dat. Checks that need
// what is missing are left out.
std::vector<CheckResult> CheckModFolder(const std::wstring& folder, const std::optional<std::string>& game = {});
