#pragma once
// Administrator rights. Install.exe starts without them, so that any program can start it (a
// manifest asking for them makes CreateProcess fail with error 740 from a caller without them),
// and asks for them only where the game's folder needs them: it finds out before it changes
// anything, and starts itself again through the shell's elevation prompt.
#include <windows.h>

#include <optional>
#include <string>

// The request needs elevation; older SDK headers lack the name.
#ifndef ERROR_ELEVATION_REQUIRED
#define ERROR_ELEVATION_REQUIRED 740L
#endif

// Whether the process runs with an administrator's full rights. Under Wine every process does.
bool ProcessIsElevated();

// Why Windows refuses to create the file `path`, or ERROR_SUCCESS. The file is made hidden and
// gone again the moment it is closed; one left there already is opened to be removed instead, as
// the command that writes it first removes it.
DWORD CreateRefusal(const std::string& path);

// Whether `code` (a Win32 error, or a Win32 error as an HRESULT) means that this user may not do it.
bool MissingRights(DWORD code);

// `folder` (or a file's path) as a process started as administrator can open it: the same path on this computer's
// drives; on a drive letter mapped to a network share, which is the user's own and which the
// administrator's process doesn't have, the share's network path. Nothing when that can't be told.
std::optional<std::string> FolderForAdministrator(const std::string& folder);

// Starts `program` with `parameters` in `directory` as administrator, through the shell's prompt,
// which `owner` owns. The system's error code: ERROR_CANCELLED when the player declined.
DWORD StartAsAdministrator(HWND owner, const std::string& program, const std::string& parameters,
                           const std::string& directory);
