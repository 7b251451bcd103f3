#pragma once
// The one report of a run-time failure: a modal box that names what failed, on which path, and
// the system's own text for the error. The window closes after it and the program ends with a
// non-zero exit code. The box speaks the window's language; Install.log and the command line have
// the report in English.
#include "system/Language.h"
#include "system/Win32Error.h"

#include <windows.h>

#include <exception>
#include <string>

extern const char* const kFailureTitle;
// Where a failure's box points the player who asks for help: the log of the installer's commands.
extern const char* const kSendTheLog;

std::string FailureMessage(const std::exception& failure);
std::wstring FailureMessage(const std::exception& failure, Language language);

// What failed, on which path, and the system's text for it.
std::wstring ErrorDescription(const Win32Error& failure, Language language);

void ShowFailure(HWND owner, const std::exception& failure, Language language = Language::English);
