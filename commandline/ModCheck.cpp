#include "commandline/ModCheck.h"

#include "install/ArchiverScript.h"
#include "install/GameFiles.h"
#include "install/GameVersion.h"
#include "install/MpqArchive.h"
#include "install/Report.h"
#include "install/InstallScript.h"
#include "install/InstalledMods.h"
#include "install/LastInstall.h"
#include "install/ScriptAdditions.h"
#include "system/CodePage.h"
#include "system/FileSystem.h"
#include "system/PeImports.h"
#include "system/ScopedHandle.h"
#include "system/Win32Error.h"

#include <windows.h>

#include <algorithm>

namespace {

// A value as the profile functions read it, longer than the installer's 254 characters if it is;
// nothing when the key is missing or empty, which the installer can't tell apart.
std::optional<std::string> FullValue(const std::string& ini, const char* key)
{
    std::string value(32768, '\0');
    const DWORD length =
        GetPrivateProfileStringA("MainSettings", key, "", value.data(), static_cast<DWORD>(value.size()), ini.c_str());
    if (length == 0)
        return std::nullopt;
    value.resize(length);
    return value;
}

CheckResult Check(bool ok, const std::string& done, const std::string& problem)
{
    return {ok, FromCodePage(ok ? done : problem)};
}

// What a player's Windows reads of the file's first bytes.
std::optional<std::string> EncodingProblem(const std::string& bytes)
{
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
        return "modsettings.ini starts with a UTF-8 byte-order mark: Windows can't read its first section then, "
               "and the window stays empty. Save it as ANSI, or as UTF-16 LE with its byte-order mark.";
    if (bytes.rfind("\xFE\xFF", 0) == 0)
        return "modsettings.ini is UTF-16 big-endian, which Windows can't read. Save it as ANSI, or as UTF-16 LE "
               "with its byte-order mark.";
    return std::nullopt;
}

// How many files and folders `path` names: the one, or what a pattern with * or ? matches.
int Matches(const std::string& path)
{
    if (path.find_first_of("*?") == std::string::npos)
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    int count = 0;
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileA(path.c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.Get(), &found))
        count += std::string(found.cFileName) != "." && std::string(found.cFileName) != "..";
    return count;
}

// The name an a line gives its file in the archive: the name after its source, or the source as
// written; a pattern's files go under the folder named, or the pattern's own with "\".
std::string NameInTheArchive(const ScriptCommand& command)
{
    std::vector<std::string> names;
    for (std::size_t i = 1; i < command.words.size(); ++i)
        if (command.words[i].rfind('/', 0) != 0)
            names.push_back(command.words[i]);
    return names.size() > 1                                                     ? names[1]
           : names.empty() || names[0].find_first_of("*?") != std::string::npos ? ""
                                                                                : names[0];
}

// What the script makes the archiver read: the source of every a line, the archive of every o
// line but the game's, and the scripts that s lines run, each read in turn, once. A p line waits
// for a key press in the archiver's window, which the player may not see.
void CheckWhatTheScriptReads(const std::string& mod, const std::string& script, std::vector<CheckResult>& results)
{
    // The mod's own script is where the installer reads it; the archiver gets its rewritten copy.
    std::vector<std::string> scripts{script};
    std::vector<std::string> read{mod + "\\" + script};
    for (std::size_t i = 0; i < scripts.size(); ++i) {
        for (const ScriptCommand& command : ScriptCommands(ReadWholeFile(read[i]))) {
            const char letter = CommandLetter(command);
            const std::string at = scripts[i] + ", line " + std::to_string(command.line) + ": ";
            if (letter == 'p')
                results.push_back(Check(false, "",
                                        at + "p waits for a key press in the archiver's window, which the player may "
                                             "not see: remove the line."));
            if (command.words.size() < 2 || (letter != 'a' && letter != 's' && letter != 'o') ||
                (letter == 'o' && command.words[1] == kArchiveName))
                continue;
            const std::string& name = command.words[1];
            const std::string path = ResolvedIn(mod, name);
            const int found = letter == 's' ? FileExists(path) : Matches(path);
            const std::string what = at +
                                     (letter == 'a'   ? "a reads "
                                      : letter == 'o' ? "o opens the archive "
                                                      : "s runs the script ") +
                                     name;
            const bool pattern = letter == 'a' && name.find_first_of("*?") != std::string::npos;
            results.push_back(Check(
                found > 0, what + (pattern ? ", which matches " + CountOf(found, "file") + "." : ", which is there."),
                what + (pattern ? ", which matches nothing" : ", which is missing") + " (the archiver looks for " +
                    path + (letter == 'o' ? ", and would make a new, empty archive there" : "") +
                    "): ship it, or correct the name (in quotes when it holds a space)."));
            if (letter == 'a' && NameInTheArchive(command).find('/') != std::string::npos)
                results.push_back(Check(false, "",
                                        at + "a stores its file as " + NameInTheArchive(command) +
                                            ", a name with \"/\" that the game never asks for (it asks with "
                                            "\"\\\"): write the name in the archive with \"\\\"."));
            const bool seen = std::any_of(read.begin(), read.end(), [&](const std::string& done) {
                return lstrcmpiA(done.c_str(), path.c_str()) == 0;
            });
            if (letter == 's' && found && !seen) {
                scripts.push_back(name);
                read.push_back(path);
            }
        }
    }
}

// A symbolic link or a junction below a pattern with /r: the installer doesn't go into it, and can't
// tell whether the files there were installed; a zip file keeps no link, or the files behind it
// twice; and an archiver that follows a link back up the tree never ends.
void CheckTheLinks(const std::string& mod, const std::string& script, std::vector<CheckResult>& results)
{
    for (const LinkPassedOver& link : WhatTheScriptAdds(ReadWholeFile(mod + "\\" + script), mod).links) {
        const bool inMod = link.folder.rfind(mod + "\\", 0) == 0;
        results.push_back(Check(false, "",
                                script + ", line " + std::to_string(link.line) + ": /r meets " +
                                    (inMod ? link.folder.substr(mod.size() + 1) : link.folder) +
                                    ", a symbolic link or junction, which the installer doesn't go into and a zip "
                                    "file doesn't keep: put the files there in a folder of their own."));
    }
}

// The archiver's own DLLs: Windows finds them beside it or among its own. One that is neither
// stops the archiver before it reads its script, and the mod is never installed.
void CheckTheArchiversDlls(const std::string& mod, std::vector<CheckResult>& results)
{
    ImportTable imports{};
    try {
        imports = ImportsOf(mod + "\\mpq2k.exe");
    } catch (const Win32Error&) {
        results.push_back(Check(false, "", "mpq2k.exe can't be read as a Windows program: ship the archiver itself."));
        return;
    }
    const std::size_t before = results.size();
    for (const std::string& dll : imports.dlls) {
        if (!AnyFileExists(mod + "\\" + dll) && !IsWindowsDll(dll, imports.bitness))
            results.push_back(Check(false, "",
                                    "mpq2k.exe needs " + dll +
                                        ", which is neither beside it nor part of Windows: ship " + dll +
                                        " beside mpq2k.exe."));
    }
    if (results.size() == before)
        results.push_back(Check(true, "The DLLs mpq2k.exe needs are beside it or part of Windows.", ""));
}

// A name the installer doesn't know is left out when it compares the game's version, so the mod
// author learns of it only here. With a game folder, the game's version and whether the mod is
// made for it: information for the author, never a problem of the mod.
void CheckTheGameVersions(const std::string& ini, const std::optional<std::string>& game,
                          std::vector<CheckResult>& results)
{
    const std::vector<std::string> patches = ListedPatches(FullValue(ini, "GameVersion").value_or(""));
    std::string known;
    for (const std::string& name : PatchNames())
        known += (known.empty() ? "" : ", ") + name;
    for (const std::string& name : patches)
        results.push_back(Check(IsPatchName(name), "GameVersion in [MainSettings] names the patch " + name + ".",
                                "GameVersion in [MainSettings] names " + name +
                                    ", which is no patch the installer knows, so it leaves the name out when it "
                                    "compares the game's version: correct it to one of " +
                                    known +
                                    " (or a patch without its letter, such as 1.13, for all of its letters), "
                                    "separated by commas."));
    if (!game)
        return;
    const GameVersion version = GameVersionIn(*game);
    std::string made;
    if (std::any_of(patches.begin(), patches.end(), IsPatchName) && version.known)
        made = MadeFor(patches, version) ? "; the mod is made for it"
                                         : "; the mod is not made for it, and the "
                                           "installer asks before it installs there";
    results.push_back(Check(true, "The game in " + *game + " is " + version.Text() + made + ".", ""));
}

// An install there cut short may have left the game's archive half-written, however it looks.
void CheckTheLastInstall(const std::string& game, std::vector<CheckResult>& results)
{
    ModsRecord record;
    try {
        record = ReadModsRecord(game);
    } catch (const Win32Error&) {
    }
    const LastInstall last = LastInstallIn(game, record);
    if (last == LastInstall::Interrupted || last == LastInstall::InterruptedWithoutBackup)
        results.push_back(Check(false, "",
                                "The last install in " + game + ", of " + record.underWay->title + " started " +
                                    record.underWay->date +
                                    ", was cut short: patch_d2.mpq may be half-written. Install.exe /S /CLEAN or "
                                    "/RESTORE puts the backup back."));
}

// What the game's archive holds of this mod, for a player asking whether it is installed there: a
// line for each file the script adds, then their count.
void CheckWhatTheArchiveHolds(const std::string& mod, const std::string& script, const std::string& game,
                              std::vector<CheckResult>& results)
{
    const auto tell = [&](const std::string& text) { results.push_back({true, FromCodePage(text), true}); };
    std::optional<MpqFileTable> table;
    try {
        table = MpqFileTable::Read(ArchiveIn(game));
    } catch (const Win32Error&) {
    }
    if (!table) {
        tell("patch_d2.mpq in " + game +
             " can't be read file by file (it is missing, protected, or of another format): what it holds of this "
             "mod can't be told.");
        return;
    }
    const ScriptAdditions added = WhatTheScriptAdds(ReadWholeFile(mod + "\\" + script), mod);
    std::size_t held = 0;
    for (const AddedFile& file : added.files) {
        const std::optional<MpqBlockEntry> found = table->Find(file.name);
        const bool same = found && (file.lossy || found->fileSize == file.size);
        held += same;
        tell(file.name + (!found ? ": not in patch_d2.mpq"
                          : same ? ": in patch_d2.mpq"
                                 : ": in patch_d2.mpq with another size"));
    }
    tell("patch_d2.mpq in " + game + " holds " + std::to_string(held) + " of the " +
         CountOf(added.files.size(), "file") + " this mod adds.");
}

}  // namespace

std::vector<CheckResult> CheckModFolder(const std::wstring& folder, const std::optional<std::string>& game)
{
    std::vector<CheckResult> results;
    const std::optional<std::string> plain = ToCodePage(folder);
    results.push_back(Check(plain.has_value(), "The mod's folder has a name every Windows can use.",
                            "The mod's folder name has letters outside this system's code page: Install.exe works "
                            "from it only where Windows keeps 8.3 names. Unpack the mod into a folder with a plain "
                            "name."));
    const std::optional<std::string> usable = AnsiPathOf(folder);
    if (!usable)
        return results;

    const std::string ini = *usable + "\\modsettings.ini";
    results.push_back(Check(FileExists(ini), "modsettings.ini is beside Install.exe.",
                            "modsettings.ini is missing beside Install.exe (or hidden): ship it in the mod's folder."));
    if (!results.back().ok)
        return results;
    const std::optional<std::string> encoding = EncodingProblem(ReadWholeFile(ini));
    results.push_back(Check(!encoding, "modsettings.ini is in an encoding Windows reads.", encoding.value_or("")));

    std::optional<std::string> scriptName;
    for (const char* key : {"Title", "Author", "Features", "ScriptFile"}) {
        const std::optional<std::string> value = FullValue(ini, key);
        const std::string name = std::string(key) + " in [MainSettings]";
        if (!value)
            results.push_back(Check(false, "", name + " is missing or empty: add " + key + "=... to it."));
        else
            results.push_back(Check(value->size() <= 254, name + " is there.",
                                    name + " is " + std::to_string(value->size()) +
                                        " characters long; the installer reads only the first 254. Shorten it."));
        if (value && std::string(key) == "ScriptFile")
            scriptName = value;
    }
    CheckTheGameVersions(ini, game, results);
    if (game)
        CheckTheLastInstall(*game, results);
    if (scriptName) {
        const std::string script = *usable + "\\" + *scriptName;
        const bool present = FileExists(script);
        results.push_back(Check(present, "The script " + *scriptName + " is there.",
                                "The script " + *scriptName + " that ScriptFile names is missing: ship it."));
        if (present) {
            results.push_back(Check(ReadWholeFile(script).find(kArchiveName) != std::string::npos,
                                    "The script names patch_d2.mpq.",
                                    "The script never names patch_d2.mpq (in these small letters), so the "
                                    "installer can't point it at the game's archive: open it with o patch_d2.mpq."));
            CheckWhatTheScriptReads(*usable, *scriptName, results);
            CheckTheLinks(*usable, *scriptName, results);
            if (game)
                CheckWhatTheArchiveHolds(*usable, *scriptName, *game, results);
        }
    }
    const char* const shipped[][2] = {{"mpq2k.exe", "the archiver, which the installer starts"},
                                      {"listfile.dat", "which the archiver reads"}};
    for (const auto& [file, why] : shipped) {
        results.push_back(Check(FileExists(*usable + "\\" + file), std::string(file) + " is beside Install.exe.",
                                std::string(file) + ", " + why + ", is missing beside Install.exe: ship it."));
        if (results.back().ok && std::string(file) == "mpq2k.exe")
            CheckTheArchiversDlls(*usable, results);
    }
    return results;
}
