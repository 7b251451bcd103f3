#pragma once
// Install.exe started with a switch, by a script or a mod manager: the install (/S) and the
// restore (/RESTORE) through the same Installer as the window's, and the mod author's check
// (/CHECK), all without a window or a box. Each outcome, and each report a box would have shown,
// is one line of output: to the console of the program that started Install.exe, when it has one,
// and appended to the /LOG file. The exit code says how it ended.
#include "commandline/CommandLine.h"

#include <functional>

int RunUnattended(const CommandLine& command);

// The install (Mode::Install, onto `onto`) or the restore (Mode::Restore) of the mod in `mod` on the
// game folder `game`, run to its end on this thread without a window, each message handed to `line`;
// onto a game of a version the mod is not made for only when `anyGameVersion`.
Outcome RunToTheEnd(Mode mode, Onto onto, const std::string& mod, const std::string& game,
                    const std::function<void(const std::wstring& line)>& line, bool anyGameVersion = false);
