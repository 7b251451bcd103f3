#pragma once
// Which patch of Diablo II a game folder holds, and which patches a mod is made for. A mod made
// for one patch usually stops the game of another from starting, and the player's first question
// when a mod doesn't work is the game's version. The game's Game.exe names its patch by the file
// version of its version resource; Lord of Destruction and Classic share it, and from 1.08 on tell
// themselves apart by the product version.
#include <optional>
#include <string>
#include <vector>

struct GameVersion {
    // The patch's name ("1.13c", "1.14d"); for a version the table doesn't know, its four
    // numbers; empty when Game.exe is missing or carries no version.
    std::string patch;
    std::string edition;  // "Lord of Destruction" or "Classic"; empty where the version can't tell
    bool known = false;   // a patch of the table

    // "1.14d (Lord of Destruction)", "1.0.0.0", "unknown".
    std::string Text() const;
};

// The four numbers of the file version in a program's version resource, "1.14.3.71"; nothing when
// the file is missing or carries no version resource.
std::optional<std::string> FileVersionOf(const std::string& path);

// The version of the game in the folder `game`, from its Game.exe. Never fails: unknown instead.
GameVersion GameVersionIn(const std::string& game);

// The patch names of the table, oldest first, as a mod's description names them.
std::vector<std::string> PatchNames();

// The names in a description's GameVersion value ("1.13c, 1.13d"), separated by commas, semicolons
// or spaces.
std::vector<std::string> ListedPatches(const std::string& value);

// Whether `name` names patches of the table, in any letter case: a patch by its name, or without its
// letter every letter of that patch ("1.13": 1.13c and 1.13d; "1.10": 1.10f).
bool IsPatchName(const std::string& name);

// Whether `patches` (a description's names) include the game's patch. Names that are no patch of the
// table are left out: where none is left, the mod is taken to be made for any game.
bool MadeFor(const std::vector<std::string>& patches, const GameVersion& game);
