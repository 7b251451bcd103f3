#include "commandline/Unattended.h"

#include "commandline/ModCheck.h"
#include "description/INIFunctions.h"
#include "install/Failure.h"
#include "install/GameFiles.h"
#include "install/Installer.h"
#include "install/ModFolder.h"
#include "settings/Location.h"
#include "system/CodePage.h"
#include "system/Drives.h"
#include "system/FileSystem.h"
#include "system/PathText.h"
#include "system/ScopedHandle.h"
#include "system/UserMessages.h"
#include "system/Win32Error.h"

namespace {

// Lines to the console of the program that started this one, and to a log file.
class Output {
public:
    Output()
    {
        // A program of the Windows subsystem gets standard handles only where its starter hands
        // them on: a redirection to a file or a pipe, or Wine's terminal. Otherwise it writes to
        // the console of the program that started it, when that has one.
        const HANDLE standard = GetStdHandle(STD_OUTPUT_HANDLE);
        if (standard && standard != INVALID_HANDLE_VALUE && GetFileType(standard) != FILE_TYPE_UNKNOWN) {
            console_ = standard;
        } else if (AttachConsole(ATTACH_PARENT_PROCESS)) {
            attached_ = FileHandle(CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
            console_ = attached_ ? attached_.Get() : nullptr;
        }
        DWORD mode = 0;
        isConsole_ = console_ && GetConsoleMode(console_, &mode);
    }

    bool HasConsole() const { return console_ != nullptr; }

    // Opens the log to append to, creating it; the system's error code when it can't.
    DWORD OpenLog(const std::wstring& path)
    {
        log_ = FileHandle(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        return log_ ? ERROR_SUCCESS : GetLastError();
    }

    void Line(const std::wstring& text)
    {
        const std::wstring line = text + L"\r\n";
        const std::string bytes = ToUtf8(line);
        DWORD written = 0;
        if (isConsole_)
            WriteConsoleW(console_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        else if (console_)
            WriteFile(console_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        if (log_)
            WriteFile(log_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

private:
    HANDLE console_ = nullptr;
    FileHandle attached_;
    bool isConsole_ = false;
    FileHandle log_;
};

// Shows the installer's outcomes as lines; the installer's messages come back through this
// thread's own queue.
class UnattendedHost final : public InstallHost {
public:
    UnattendedHost(const std::function<void(const std::wstring&)>& line, bool anyGameVersion)
        : line_(line), thread_(GetCurrentThreadId()), anyGameVersion_(anyGameVersion)
    {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue that messages are posted to
    }

    HWND Owner() const override { return nullptr; }
    bool Attended() const override { return false; }
    void Tell(const std::wstring& text, const std::wstring&, UINT) override { line_(OneLine(text)); }
    int Ask(const std::wstring&, const std::wstring&, UINT, int unattended) override { return unattended; }
    void ShowStatus(const std::wstring& text) override { line_(text); }
    void ShowProgress(const std::wstring&) override {}
    void ShowBackupLine(const std::wstring& text) override { line_(text); }
    void EnableCommands(bool) override {}
    void Post(UINT message, WPARAM wParam) override { PostThreadMessageW(thread_, message, wParam, 0); }
    bool AnyGameVersion() const override { return anyGameVersion_; }

private:
    const std::function<void(const std::wstring&)>& line_;
    DWORD thread_;
    bool anyGameVersion_;
};

int ShowUsage(const CommandLine& command, Output& output)
{
    std::wstring text = UsageText();
    if (!command.mistaken.empty())
        text = L"Not understood: " + command.mistaken + L"\n\n" + text;
    if (output.HasConsole()) {
        for (std::size_t start = 0; start <= text.size();) {
            const std::size_t end = std::min(text.find(L'\n', start), text.size());
            output.Line(text.substr(start, end - start));
            start = end + 1;
        }
    } else {
        MessageBoxW(nullptr, text.c_str(), L"Vornikel - Install.exe",
                    MB_OK | (command.mistaken.empty() ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
    }
    return command.mistaken.empty() ? kExitDone : kExitBadCommandLine;
}

// The game's folder: /D's, or the one remembered from the last install while it is still there,
// or the one the game records. What stands in the way is a line starting with `lineStart`.
std::optional<std::string> GameFolder(const CommandLine& command, Output& output, int& exitCode,
                                      const std::wstring& lineStart = L"")
{
    if (command.game.empty()) {
        const std::string remembered = LoadLocation().path;
        if (!remembered.empty() && DirectoryExists(remembered))
            return ReportedPath(remembered);
        if (const auto recorded = FindGameDirectory())
            return ReportedPath(*recorded);
        output.Line(L"No game folder: none was given with /D=, none is remembered and the game records none.");
        exitCode = kExitArchiveMissing;
        return std::nullopt;
    }
    const DWORD attributes = GetFileAttributesW(command.game.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        output.Line(lineStart + L"The game folder " + command.game + L" was not found.");
        exitCode = kExitArchiveMissing;
        return std::nullopt;
    }
    if (const auto usable = AnsiPathOf(command.game))
        return ReportedPath(*usable);
    output.Line(lineStart + L"The game folder's name can't be used: " + command.game +
                L" holds letters that this system's code page can't write, and Windows keeps no short name for it.");
    exitCode = kExitFailed;
    return std::nullopt;
}

// The mod author's check; with /D=, also that game's version and what its archive holds of the mod.
int Check(const CommandLine& command, Output& output)
{
    std::optional<std::string> game;
    bool allOk = true;
    if (!command.game.empty()) {
        // A game folder that can't be looked at is a problem of the check; the mod is checked all the same.
        int exitCode = kExitFailed;
        game = GameFolder(command, output, exitCode, L"problem: ");
        allOk = game.has_value();
    }
    for (const CheckResult& result : CheckModFolder(ThisProgramsFolder(), game)) {
        output.Line((result.information ? L"info: " : result.ok ? L"ok: " : L"problem: ") + result.text);
        allOk = allOk && result.ok;
    }
    return allOk ? kExitDone : kExitCheckFound;
}

int InstallOrRestore(const CommandLine& command, Output& output)
{
    const std::optional<std::string> mod = ModFolder(
        Language::English, [&output](const std::wstring& text, const std::wstring&) { output.Line(OneLine(text)); });
    if (!mod)
        return kExitFailed;
    INIFunctions::INIFile = *mod + "\\modsettings.ini";
    if (command.mode == Mode::Install && !FileExists(INIFunctions::INIFile)) {
        output.Line(FromCodePage(INIFunctions::INIFile + " not found."));
        return kExitFailed;
    }
    int exitCode = kExitFailed;
    const std::optional<std::string> game = GameFolder(command, output, exitCode);
    if (!game)
        return exitCode;

    return static_cast<int>(RunToTheEnd(
        command.mode, command.clean ? Onto::TheOriginal : Onto::TheArchiveAsItIs, *mod, *game,
        [&output](const std::wstring& line) { output.Line(line); }, command.anyVersion));
}

}  // namespace

Outcome RunToTheEnd(Mode mode, Onto onto, const std::string& mod, const std::string& game,
                    const std::function<void(const std::wstring&)>& line, bool anyGameVersion)
{
    UnattendedHost host(line, anyGameVersion);
    Installer installer(mod, host);
    if (mode == Mode::Install)
        installer.Install(game, DriveTextOf(game), onto);
    else
        installer.Restore(game, false);
    MSG msg;
    while (installer.Busy() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!msg.hwnd)
            installer.HandleMessage(msg.message, msg.wParam);
        else
            DispatchMessageW(&msg);
    }
    return installer.LastOutcome().value_or(Outcome::Failed);
}

int RunUnattended(const CommandLine& command)
{
    Output output;
    if (command.mode == Mode::Usage)
        return ShowUsage(command, output);
    if (!command.log.empty()) {
        if (const DWORD error = output.OpenLog(command.log)) {
            output.Line(L"The log " + command.log + L" can't be written: " + FromCodePage(SystemErrorText(error)));
            return kExitFailed;
        }
    }
    // Nothing to check or install beside a copy of Install.exe alone; the restore needs only the game.
    if (command.mode != Mode::Restore && StartedFromInsideAZip(ThisProgramsFolder())) {
        output.Line(OneLine(UnpackFirstText(Language::English, ThisProgramsFolder())));
        return command.mode == Mode::Check ? kExitCheckFound : kExitFailed;
    }
    try {
        return command.mode == Mode::Check ? Check(command, output) : InstallOrRestore(command, output);
    } catch (const std::exception& failure) {
        // The failure report, as the line a box would have shown.
        output.Line(OneLine(FromCodePage(FailureMessage(failure))));
        return kExitFailed;
    }
}
