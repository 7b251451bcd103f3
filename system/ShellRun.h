#pragma once
// Starts an outside program from one command-line text: through the Windows shell, and by a
// plain process start when the shell can't start it. Returns as soon as the program is started;
// it never waits for it and keeps no handle to it.
#include <optional>
#include <string>

struct CommandSplit {
    std::string program;
    std::string parameters;
};

// Splits `commandLine` into the program and its parameters. A program name in double quotes
// ends at the closing quote, and both quotes are removed from `commandLine`; otherwise the
// program ends at the first space (tabs don't separate), or takes the whole line.
// Throws std::overflow_error, leaving `commandLine` as it was, when the program part ends beyond
// character 32,767.
CommandSplit SplitCommandLine(std::string& commandLine);

// The working directory for a program started without one: the folder the program names,
// keeping the backslash of a root (C:\ or \), or the process's current directory when the
// program names no folder.
std::string ProgramFolder(const std::string& program);

// True for a ShellExecuteA result that means the program was started. Its failures run up to
// 32 inclusive (SE_ERR_DLLNOTFOUND).
bool ShellStarted(int shellResult);

// Starts the program of `commandLine` through the shell with `windowStyle` (an SW_ value) in
// `workDir`, or in ProgramFolder when `workDir` is absent; a given `workDir` is used as it is,
// even when empty. `commandLine` comes back split as by SplitCommandLine. When the shell can't
// start it, the line as the caller gave it goes to CreateProcessA, which starts in this process's
// current directory; a Win32Error when that fails too. Returns the shell's result either way.
int ShellRun(std::string& commandLine, int windowStyle, const std::optional<std::string>& workDir = std::nullopt);
