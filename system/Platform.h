#pragma once
// The platform calls whose answers differ between a player's Windows and Wine, where the tests
// run, or that a test must see in order: Windows keeps no 8.3 names on most volumes other than
// the system's, so its short path is often the long one; its shell may ask the user before it
// starts a downloaded program; a player runs without an administrator's rights, where Wine gives
// every process them, and may keep the game on a network drive mapped to a letter, where Wine has
// none; Restart Manager names the program that holds a file, where Wine names none;
// and Windows reports a copy's progress (and takes its cancel) where Wine never does. The program
// makes these calls through here; a test puts a stand-in in their place to answer as a player's
// Windows would, or to note the order of a copy's flush and rename.
#include "system/Elevation.h"
#include "system/FileHolders.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>

struct PlatformCalls {
    std::function<DWORD(LPCSTR longPath, LPSTR shortPath, DWORD size)> getShortPathNameA = ::GetShortPathNameA;
    std::function<DWORD(LPCWSTR longPath, LPWSTR shortPath, DWORD size)> getShortPathNameW = ::GetShortPathNameW;
    std::function<BOOL(SHELLEXECUTEINFOA* info)> shellExecuteEx = ::ShellExecuteExA;
    std::function<bool()> processElevated = ProcessIsElevated;
    std::function<DWORD(const std::string& path)> createRefusal = CreateRefusal;
    std::function<std::optional<std::string>(const std::string& folder)> folderForAdministrator =
        FolderForAdministrator;
    std::function<std::vector<std::wstring>(const std::wstring& path)> programsHolding = ProgramsHolding;
    std::function<BOOL(LPCSTR from, LPCSTR to, LPPROGRESS_ROUTINE progress, LPVOID context, LPBOOL cancel, DWORD flags)>
        copyFileEx = ::CopyFileExA;
    std::function<BOOL(HANDLE file)> flushFileBuffers = ::FlushFileBuffers;
    std::function<BOOL(LPCSTR from, LPCSTR to, DWORD flags)> moveFileEx = ::MoveFileExA;
};

PlatformCalls& Platform();
