#pragma once
// The record of installed mods kept in step with the archive: after the archiver, the record's
// change for each verdict on the archive; and any change of it that can't be written told to the
// player, while what was done to the archive stands.
#include "install/Report.h"
#include "install/Verdict.h"

#include <functional>
#include <string>

// Makes `change` to the record; a failure to write it is told, not thrown: the player reads what
// the archive holds, not a failure of the bookkeeping.
void UpdateRecord(Report& report, const std::function<void()>& change);

// The install of the mod in `modFolder` onto the archive in `game` as it is `before`, under way from
// now until its verdict. Throws Win32Error: an install that can't be noted doesn't start.
void NoteTheInstallUnderWay(Report& report, const std::string& game, const std::string& modFolder,
                            const FileStamp& before);

// What the verdict says the archive in `game` now holds of the mod in `modFolder`, installed onto
// the game's version `gameVersion`: the mod (or part of it), that the archive is damaged, or nothing;
// the install under way has ended in every case.
void RecordTheVerdict(Report& report, const Verdict& verdict, const std::string& game, const std::string& modFolder,
                      const std::string& gameVersion);
