#pragma once
// Starts an outside program from one command-line text: through the Windows shell, and by a
// plain process start when the shell can't start it. Returns as soon as the program is started;
// it never waits for it, but can hand the caller the started process to wait on.
#include "system/ScopedHandle.h"

#include <optional>
#include <string>

struct CommandSplit {
    std::string program;
    std::string parameters;
};

// Splits `commandLine` into the program and its parameters. A program name in double quotes
// ends at the closing quote, and both quotes are removed from `commandLine`; otherwise the
// program ends at the first space (tabs don't separate), or takes the whole line.
// Character positions in the line are 16-bit numbers: when one that the split needs passes
// 32,767, throws a Win32Error (ERROR_ARITHMETIC_OVERFLOW) and leaves `commandLine` as it was.
CommandSplit SplitCommandLine(std::string& commandLine);

// The working directory for a program started without one: the folder the program names,
// keeping the backslash of a root (C:\ or \), or the process's current directory when the
// program names no folder.
std::string ProgramFolder(const std::string& program);

// Starts the program of `commandLine` through the shell with `windowStyle` (an SW_ value) in
// `workDir`, or in ProgramFolder when `workDir` is absent; a given `workDir` is used as it is,
// even when empty. `commandLine` comes back split as by SplitCommandLine. When the shell fails,
// CreateProcessA gets the line as the caller gave it and starts it in the same folder; a
// Win32Error when that fails too. When the shell failed because the user declined to start the
// program, nothing else is tried: a Win32Error with ERROR_CANCELLED. Returns the shell's result,
// and puts the started process, when there is one, in `process` if the caller asks for it. The
// shell's questions come up in front of `owner`, which owns them.
int ShellRun(std::string& commandLine, int windowStyle, const std::optional<std::string>& workDir = std::nullopt,
             UniqueHandle* process = nullptr, HWND owner = nullptr);
