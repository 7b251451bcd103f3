#pragma once
// The one report of a run-time failure: a modal box that names what failed, on which path, and
// the system's own text for the error. The window closes after it and the program ends with a
// non-zero exit code.
#include <windows.h>

#include <exception>
#include <string>

extern const char* const kFailureTitle;

std::string FailureMessage(const std::exception& failure);

void ShowFailure(HWND owner, const std::exception& failure);
