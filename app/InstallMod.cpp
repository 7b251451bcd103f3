// The install command of Form1: from the press of "Install Mod" to the archiver's outcome.
#include "app/Form1.h"

#include "app/InstallScript.h"
#include "description/INIFunctions.h"
#include "settings/Location.h"
#include "system/FileSystem.h"
#include "system/Module1.h"
#include "system/ShellRun.h"

namespace {

// Runs one step of the install; a failure in it is reported as that step's, on its path.
template <typename Action>
auto Step(const char* operation, const std::string& path, Action action) -> decltype(action())
{
    try {
        return action();
    } catch (const Win32Error& failure) {
        throw Win32Error(operation, path, failure.Code());
    }
}

}  // namespace

void Form1::InstallMod()
{
    if (Installing())
        return;
    const std::string game = dir1_.Path();
    const std::string archive = game + "\\" + kArchiveName;
    std::string backup = game + "\\patch_d2_backup.mpq";
    // The file calls end at MAX_PATH characters: beyond it the archive would pass for missing
    // and its backup couldn't be made, so such a folder is refused for what it is.
    if (backup.size() >= MAX_PATH)
        throw Win32Error("Back up the game's patch archive", backup, ERROR_FILENAME_EXCED_RANGE);
    if (!FileExists(archive)) {
        MessageBoxA(window_,
                    "The file patch_d2.mpq was not found, make sure you have selected the correct directory for "
                    "Diablo 2.",
                    "File Not Found", MB_OK);
        SetText(kLabel4, "patch_d2.mpq not found.");
        SaveCurrentLocation();
        return;
    }

    // An existing backup may be the only copy of the unmodded archive: copying over it on a
    // second install would store an archive the first run already changed. It is kept.
    if (!AnyFileExists(backup))
        Step("Back up the game's patch archive", archive, [&] { CopyFileSafely(archive, backup); });

    const std::string shortPath = GetShortPath(archive);
    const std::string scriptName = INIFunctions::ReadINI("MainSettings", "ScriptFile");
    const std::string scriptPath = applicationDirectory_ + "\\" + scriptName;
    const char* const readScript = "Read the mod's script (ScriptFile in modsettings.ini)";
    if (scriptName.empty())
        throw Win32Error(readScript, scriptPath, ERROR_FILE_NOT_FOUND);
    scriptAsRead_ = Step(readScript, scriptPath, [&] { return ReadWholeFile(scriptPath); });
    archiveShortPath_ = shortPath;

    const std::string correctScript = applicationDirectory_ + "\\correctscript.tmp";
    Step("Write the rewritten script", correctScript,
         [&] { WriteRewrittenScript(correctScript, scriptAsRead_, shortPath); });

    const std::string commandLine = ArchiverCommandLine(applicationDirectory_);
    UniqueHandle process;
    Step("Start the archiver", commandLine, [&] {
        std::string line = commandLine;
        ShellRun(line, SW_SHOWNOACTIVATE, applicationDirectory_, &process);
    });
    // The shell may hand the start to another process and give back nothing to wait on; then
    // there is no outcome to wait for.
    if (process) {
        WaitForArchiver(std::move(process), std::move(backup));
        return;
    }
    ReportInstalled(backup);
    SaveCurrentLocation();
}

// Success is claimed only once the archiver has ended well; until then a second press can't
// start a second archiver on the same archive.
void Form1::WaitForArchiver(UniqueHandle process, std::string backup)
{
    HANDLE wait = nullptr;
    if (!RegisterWaitForSingleObject(&wait, process.Get(), PostArchiverEnded, window_, INFINITE,
                                     WT_EXECUTEONLYONCE))
        ThrowLastError("Wait for the archiver", ArchiverCommandLine(applicationDirectory_));
    archiver_.emplace(ArchiverRun{std::move(process), WaitRegistration(wait), std::move(backup)});
    SetText(kLabel4, "Installing...");
    HWND command1 = Control(kCommand1);
    if (GetFocus() == command1)
        SetFocus(dir1_.Handle());
    EnableWindow(command1, FALSE);
}

// Runs on a thread-pool thread: the window learns of the end through its own message queue.
void CALLBACK Form1::PostArchiverEnded(void* window, BOOLEAN)
{
    PostMessageA(static_cast<HWND>(window), kArchiverEndedMessage, 0, 0);
}

void Form1::ArchiverEnded()
{
    if (!Installing())
        return;
    DWORD exitCode = 0;
    const bool known = GetExitCodeProcess(archiver_->process.Get(), &exitCode);
    const DWORD error = GetLastError();
    const std::string backup = archiver_->backup;
    archiver_.reset();
    EnableWindow(Control(kCommand1), TRUE);
    if (!known)
        throw Win32Error("Read the archiver's exit code", ArchiverCommandLine(applicationDirectory_), error);

    if (exitCode == 0) {
        ReportInstalled(backup);
    } else {
        SetText(kLabel4, "Install failed.");
        const std::string message = "The archiver ended with exit code " + std::to_string(exitCode) +
                                    ". The game's patch archive may not have been changed. Your backup is at: " +
                                    backup;
        MessageBoxA(window_, message.c_str(), "Install Failed", MB_OK | MB_ICONHAND);
    }
    SaveCurrentLocation();
}

void Form1::ReportInstalled(const std::string& backup)
{
    SetText(kLabel4, "Installed Sucessfully");
    MessageBoxA(window_, "Install Completed Sucessfully, A backup has been created as well.",
                "Installed, Backup Created!", MB_OK);
    SetText(kLabel5, "A backup has been created at: " + backup);
}

void Form1::SaveCurrentLocation() { SaveLocation(dir1_.Path(), drive1_.Drive()); }
