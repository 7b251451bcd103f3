#pragma once
// Everything the installer tells the user in a message box goes through here. At the window it is
// a box; run from the command line without a window, each box becomes one line of output instead,
// and a question is taken as answered yes.
#include <windows.h>

#include <functional>
#include <string>

// Shows the box, or writes its text as one line; returns the button pressed (IDOK, IDYES, ...).
int Tell(HWND owner, const std::wstring& text, const std::wstring& title, UINT style);
int Tell(HWND owner, const std::string& text, const std::string& title, UINT style);

// From now on every box is handed to `line` as one line of text instead of being shown.
void TellAsLines(std::function<void(const std::wstring& line)> line);

// `text` as one line: each run of line breaks inside it becomes one space.
std::wstring OneLine(const std::wstring& text);
