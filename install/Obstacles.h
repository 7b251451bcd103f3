#pragma once
// What stands in the way of a change to the game's files, asked and told before anything changes:
// the game's version, a folder path too long, no backup, the archive read-only or held by another
// program, Windows' hidden copy of it, the rights only an administrator has, what to install onto,
// and the files the mod's folder lacks. Each stop is told to the player and comes back as the
// outcome its command ends with; nothing means the command goes on. What was found on the way is
// kept until the command changes the files: the hidden copy to be moved aside, and whether only an
// administrator may change the game's folder.
#include "install/GameVersion.h"
#include "install/InstallHost.h"
#include "install/InstalledMods.h"
#include "install/Report.h"
#include "install/ScriptAdditions.h"

#include <optional>
#include <string>

class Obstacles {
public:
    Obstacles(Report& report, InstallHost& host) : report_(report), host_(host) {}

    // A mod made for other patches of the game than `version` of the one in `game`.
    std::optional<Outcome> AnotherGameVersion(const std::string& game, const GameVersion& version, bool handedOver);
    // True, having told the player, where the folder's path is too long or it holds no backup.
    bool TellWhenTooLong(const std::string& game);
    bool TellWhenNoBackup(const std::string& game);
    // What keeps the command `press` from changing the game's files, `firstWritten` the first file it
    // would write; notes meanwhile what ClearedToChange acts on.
    std::optional<Outcome> InTheWay(const std::string& game, Press press, const std::string& firstWritten,
                                    bool handedOver);
    // What an install goes onto, chosen in `onto`.
    std::optional<Outcome> ChooseWhatToInstallOnto(const std::string& game, Onto& onto, bool handedOver);
    std::optional<Outcome> ModFilesMissing(const ScriptAdditions& additions, const std::string& modFolder);
    // False when the player would rather keep Windows' hidden copy where it is.
    bool HiddenCopyToBeMoved();
    // The player has answered every question: the command changes the game's files from here on,
    // here or in Install.exe started as administrator.
    std::optional<Outcome> ClearedToChange(const std::string& game, Press press, bool handedOver);
    // Another Install.exe is at work on `game`: told as a program holding its archive.
    Outcome TellAtWork(const std::string& game, Press press);

private:
    std::optional<Outcome> TellWhenHeld(DWORD opened, const std::wstring& path, bool hiddenCopy, Press press);
    Outcome TellInUse(bool hiddenCopy, const std::wstring& path, const std::vector<std::wstring>& programs,
                      Press press);
    std::optional<Outcome> OriginalFirst(const NotToInstallOnto& archive, const std::string& game, bool backedUp,
                                         Onto& onto);
    Outcome OfferAdministrator(const std::string& game, Press press);
    void MoveHiddenCopyAside();

    Report& report_;
    InstallHost& host_;
    std::optional<std::wstring> hiddenCopy_;
    bool needsAdministrator_ = false;
};

// What to tell of the backup in `game` before it is put back: nothing when it is a sound MPQ
// archive. Throws Win32Error when it can't be read at all, and so can't be copied either.
Wording UnsoundBackupNoteIn(const std::string& game);
