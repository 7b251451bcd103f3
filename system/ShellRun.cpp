#include "system/ShellRun.h"

#include "system/FileSystem.h"
#include "system/ScopedHandle.h"
#include "system/Win32Error.h"

#include <windows.h>
#include <shellapi.h>

#include <stdexcept>

namespace {

// Character positions in a command line are 16-bit numbers: a line whose program part would need
// a larger one is refused before anything is started.
constexpr std::size_t LastPosition = 32767;

std::size_t CheckedPosition(std::size_t position)
{
    if (position > LastPosition)
        throw std::overflow_error("Start program failed: the command line's program name runs past character " +
                                  std::to_string(LastPosition) + ".");
    return position;
}

// The 1-based position just after the program name, removing the quotes of a quoted name.
std::size_t SplitPosition(std::string& commandLine)
{
    if (!commandLine.empty() && commandLine.front() == '"') {
        const std::size_t closing = commandLine.find('"', 1);
        if (closing != std::string::npos) {
            CheckedPosition(closing + 1);
            commandLine.erase(closing, 1);
            commandLine.erase(0, 1);
            return closing;
        }
    } else {
        const std::size_t space = commandLine.find(' ');
        if (space != std::string::npos)
            return CheckedPosition(space + 1);
    }
    return CheckedPosition(commandLine.size() + 1);
}

void StartProcess(const std::string& commandLine, int windowStyle)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION started{};
    // CreateProcessA may write into the line it is given.
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        ThrowLastError("Start program", commandLine);
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
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
    const std::size_t backslash = program.rfind('\\');
    if (backslash == std::string::npos)
        return FullPath(".");
    if (backslash == 0 || program[backslash - 1] == ':')
        return program.substr(0, backslash + 1);
    return program.substr(0, backslash);
}

bool ShellStarted(int shellResult) { return shellResult > SE_ERR_DLLNOTFOUND; }

int ShellRun(std::string& commandLine, int windowStyle, const std::optional<std::string>& workDir)
{
    // The fallback gets the caller's own line: with the quotes of a quoted program name taken
    // out, CreateProcessA would guess at the spaces in it and could start another program.
    const std::string asGiven = commandLine;
    const CommandSplit parts = SplitCommandLine(commandLine);
    const std::string directory = workDir ? *workDir : ProgramFolder(parts.program);
    const HINSTANCE shell = ShellExecuteA(nullptr, nullptr, parts.program.c_str(), parts.parameters.c_str(),
                                          directory.c_str(), windowStyle);
    const int result = static_cast<int>(reinterpret_cast<INT_PTR>(shell));
    if (!ShellStarted(result))
        StartProcess(asGiven, windowStyle);
    return result;
}
