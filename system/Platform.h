#pragma once
// The platform calls whose answers differ between a player's Windows and Wine, where the tests
// run: Windows keeps no 8.3 names on most volumes other than the system's, so its short path is
// often the long one, and its shell may ask the user before it starts a downloaded program,
// where Wine invents a short name for everything and never asks. The program makes these calls
// through here; a test puts a stand-in in their place to answer as a player's Windows would.
#include <windows.h>
#include <shellapi.h>

#include <functional>

struct PlatformCalls {
    std::function<DWORD(LPCSTR longPath, LPSTR shortPath, DWORD size)> getShortPathNameA = ::GetShortPathNameA;
    std::function<DWORD(LPCWSTR longPath, LPWSTR shortPath, DWORD size)> getShortPathNameW = ::GetShortPathNameW;
    std::function<BOOL(SHELLEXECUTEINFOA* info)> shellExecuteEx = ::ShellExecuteExA;
};

PlatformCalls& Platform();
