#pragma once
// What the installer tells the player: a message box at the window; without a window (the command
// line), each box's text as one line of output, which its host writes.
#include <windows.h>

#include <string>

// Shows the box; returns the button pressed (IDOK, IDYES, ...).
int Tell(HWND owner, const std::wstring& text, const std::wstring& title, UINT style);
int Tell(HWND owner, const std::string& text, const std::string& title, UINT style);

// `text` as one line: each run of line breaks inside it becomes one space.
std::wstring OneLine(const std::wstring& text);
