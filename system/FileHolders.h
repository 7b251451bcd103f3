#pragma once
// Which programs hold a file open, as Windows' Restart Manager tells it (what Explorer uses for
// "the file is open in ..."), so that the player can be told what to close. Restart Manager is
// Windows' own from Vista on (rstrtmgr.dll), loaded from the system folder when first asked.
#include <string>
#include <vector>

// "Diablo II (Game.exe)" for each program that holds `path`; none where Windows can't tell.
std::vector<std::wstring> ProgramsHolding(const std::wstring& path);

// A program as the player is told of it: the name Restart Manager gives it and its file's name,
// "Diablo II (Game.exe)"; the name alone where the file is unknown.
std::wstring HolderName(const std::wstring& name, const std::wstring& file);
