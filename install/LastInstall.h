#pragma once
// Whether the last install in a game folder was cut short. While the archiver runs, Install.exe
// holds a named mutex of the game folder and the record notes the install under way; a crash, a
// power cut or the Task Manager ends the process, and with it the mutex, but not the note. A note
// found while no Install.exe holds the mutex is such an install: the archiver may have stopped
// half-way through rewriting patch_d2.mpq in place, however sound the archive looks.
#include "install/InstalledMods.h"
#include "system/ScopedHandle.h"

#include <optional>
#include <string>

enum class LastInstall {
    Ended,                     // no note: every install here ended and was judged
    AtWork,                    // another Install.exe installs here now
    Interrupted,               // cut short: the backup goes back first
    InterruptedWithoutBackup,  // cut short, and no backup to put back
};

LastInstall JudgeLastInstall(bool noted, bool atWork, bool backedUp);

// The mutex's name for the game folder `fullPath`: one per folder, however its path is written.
std::wstring AtWorkName(const std::wstring& fullPath);

// Whether another Install.exe holds the game folder's mutex.
bool InstallAtWork(const std::string& game);

// The game folder's mutex, held until it is let go; nothing while another Install.exe holds it.
std::optional<OwnedMutex> TakeAtWork(const std::string& game);

// The last install in `game`, from its record.
LastInstall LastInstallIn(const std::string& game, const ModsRecord& record);
