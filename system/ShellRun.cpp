#include "system/ShellRun.h"

#include "system/FileSystem.h"
#include "system/PathText.h"
#include "system/Platform.h"
#include "system/Win32Error.h"

#include <windows.h>
#include <shellapi.h>

#include <utility>

namespace {

constexpr std::size_t LastPosition = 32767;

// Refuses a line that needs a 1-based position beyond what 16 bits hold, before anything is
// started and before the line is changed.
void CheckPosition(std::size_t position, const std::string& commandLine)
{
    if (position > LastPosition)
        throw Win32Error("Start program", commandLine, ERROR_ARITHMETIC_OVERFLOW);
}

// The 1-based position just after the program name, removing the quotes of a quoted name.
std::size_t SplitPosition(std::string& commandLine)
{
    if (!commandLine.empty() && commandLine.front() == '"') {
        const std::size_t closing = commandLine.find('"', 1);
        if (closing != std::string::npos) {
            // The parameters are taken from the position after the closing quote.
            CheckPosition(closing + 2, commandLine);
            commandLine.erase(closing, 1);
            commandLine.erase(0, 1);
            return closing;
        }
    } else {
        const std::size_t space = commandLine.find(' ');
        if (space != std::string::npos) {
            CheckPosition(space + 1, commandLine);
            return space + 1;
        }
    }
    CheckPosition(commandLine.size() + 1, commandLine);
    return commandLine.size() + 1;
}

// ShellExecuteA's result for the program, with the process it started when there is one. The user
// declining the shell's question about a downloaded program is a failure of its own.
int ShellStart(const CommandSplit& parts, const std::string& directory, int windowStyle, HWND owner,
               UniqueHandle& process)
{
    SHELLEXECUTEINFOA shell{};
    shell.cbSize = sizeof shell;
    shell.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    shell.hwnd = owner;
    shell.lpFile = parts.program.c_str();
    shell.lpParameters = parts.parameters.c_str();
    shell.lpDirectory = directory.c_str();
    shell.nShow = windowStyle;
    const bool started = Platform().shellExecuteEx(&shell);
    if (!started && GetLastError() == ERROR_CANCELLED)
        throw Win32Error("Start program", parts.program, ERROR_CANCELLED);
    process.Reset(shell.hProcess);
    // hInstApp tells success from failure the way ShellExecuteA's result does, so it decides.
    return static_cast<int>(reinterpret_cast<INT_PTR>(shell.hInstApp));
}

// Results below 32 send the line to the plain process start; exactly 32 (SE_ERR_DLLNOTFOUND)
// stands as the result without a second start.
bool ShellFailed(int shellResult) { return shellResult < 32; }

UniqueHandle StartProcess(const std::string& commandLine, int windowStyle, const std::string& directory)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION started{};
    // CreateProcessA may write into the line it is given.
    std::string line = commandLine;
    // An empty folder means this process's own, as it does to the shell.
    const char* const folder = directory.empty() ? nullptr : directory.c_str();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &started))
        ThrowLastError("Start program", commandLine);
    const UniqueHandle thread(started.hThread);
    return UniqueHandle(started.hProcess);
}

}  // namespace

CommandSplit SplitCommandLine(std::string& commandLine)
{
    const std::size_t split = SplitPosition(commandLine);
    CommandSplit parts;
    parts.program = commandLine.substr(0, split - 1);
    const std::size_t parameters = commandLine.find_first_not_of(' ', split - 1);
    if (parameters != std::string::npos)
        parts.parameters = commandLine.substr(parameters);
    return parts;
}

std::string ProgramFolder(const std::string& program)
{
    const std::size_t backslash = FindLastSeparator(program);
    if (backslash == std::string::npos)
        return FullPath(".");
    if (backslash == 0 || program[backslash - 1] == ':')
        return program.substr(0, backslash + 1);
    return program.substr(0, backslash);
}

int ShellRun(std::string& commandLine, int windowStyle, const std::optional<std::string>& workDir,
             UniqueHandle* process, HWND owner)
{
    // The fallback must get a quoted program name quoted again, or CreateProcessA would guess at
    // the spaces in it and could start another program; quoted again, the name and the rest of
    // the line are exactly the line as the caller gave it.
    const std::string asGiven = commandLine;
    const CommandSplit parts = SplitCommandLine(commandLine);
    const std::string directory = workDir ? *workDir : ProgramFolder(parts.program);
    UniqueHandle started;
    const int result = ShellStart(parts, directory, windowStyle, owner, started);
    if (ShellFailed(result))
        started = StartProcess(asGiven, windowStyle, directory);
    if (process)
        *process = std::move(started);
    return result;
}
