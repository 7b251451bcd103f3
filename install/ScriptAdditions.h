#pragma once
// What the mod's script has the archiver add to the game's archive, read as the archiver reads it:
// the a lines after an o line that opens patch_d2.mpq, up to the next o line. After the archive
// the installer looks each of them up in it: an archiver that skipped a file still ends with
// exit code 0.
// "a <source> [<name in archive>] [/c] [/wav] [/auto] [/r]", as the archiver's manual names them:
// one file goes in under the name given, or under its source as written; a pattern's matches go
// into the folder given (the pattern's own folder when none is), and with /r those of its
// subfolders too, under their path below the pattern's folder. Words starting with "/" are
// options. Sources are resolved against the mod's folder, the archiver's current directory.
// Each folder is listed once, and a single file looked up in its folder's listing by name as the
// file system compares names; /r never goes into a symbolic link or a junction, where a loop would
// never end.
#include <cstdint>
#include <string>
#include <vector>

struct AddedFile {
    std::string name;    // in the archive, with "\"
    std::string source;  // the file in the mod's folder
    std::uint64_t size = 0;
    bool lossy = false;  // /wav: stored at another size than its source's
};

// A folder below a pattern with /r that is a symbolic link or a junction, and not gone into.
struct LinkPassedOver {
    int line;  // the script's line of the pattern
    std::string folder;
};

struct ScriptAdditions {
    std::vector<AddedFile> files;      // whose sources are in the mod's folder
    std::vector<std::string> missing;  // the sources, as written, that are not
    std::vector<LinkPassedOver> links;
};

// `script` is the mod's script, before the installer names the game's archive in it.
ScriptAdditions WhatTheScriptAdds(const std::string& script, const std::string& modFolder);

// A name in the script as the archiver resolves it: against its current directory, the mod's
// folder, unless it names a drive or a network share of its own.
std::string ResolvedIn(const std::string& modFolder, const std::string& name);
