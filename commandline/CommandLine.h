#pragma once
// What Install.exe is asked to do by its command line. Without arguments it is the window; the
// switches run an install, a restore or a mod author's check without one, for scripts and mod
// managers, the way other installers take them: "/" or "-" starts a switch, read without regard
// to case, and /D= comes last and runs to the end of the line, so a folder needs no quotes.
#include "install/Installer.h"
#include "system/Language.h"

#include <optional>
#include <string>

enum class Mode { Window, Install, Restore, Check, Usage };

// The exit codes, the same for every switch.
enum ExitCode : int {
    kExitDone = 0,
    kExitFailed = 1,          // the failure report's text is the output
    kExitArchiveMissing = 2,  // patch_d2.mpq (for /RESTORE, its backup) not in the game folder
    kExitArchiverFailed = 3,  // the archiver changed nothing, or ended with an exit code of its own
    kExitCancelled = 4,
    kExitBadCommandLine = 5,
    kExitCheckFound = 6,           // /CHECK found a problem
    kExitInUse = 7,                // another program holds patch_d2.mpq: nothing was changed
    kExitNeedsAdministrator = 8,   // only an administrator may change the game folder: nothing was changed
    kExitArchiveDamaged = 9,       // the archiver left patch_d2.mpq damaged
    kExitAnotherGameVersion = 10,  // the mod is made for other versions of the game: nothing was changed
    kExitNoModFiles = 11,          // none of the files the mod's script adds are in its folder: nothing was changed
};

struct CommandLine {
    Mode mode = Mode::Window;
    Press press = Press::None;         // /PRESS: the window carries out "Install Mod" (=RESTORE, =CLEAN: those)
    bool clean = false;                // /CLEAN with /S: onto the original archive from the backup
    bool anyVersion = false;           // /ANYVERSION with /S: onto a game of a version the mod is not made for
    std::wstring log;                  // /LOG=: a file the output is appended to
    std::wstring game;                 // /D=: the game's folder; for the window, the folder it opens on
    std::optional<Language> language;  // /LANG=: the window's language instead of Windows'; lines stay English
    std::wstring mistaken;             // with Mode::Usage: the argument that made no sense, empty for /?
};

// The arguments of a whole command line as GetCommandLineW gives it: what follows the program's
// name, which is quoted (what follows the closing quote, even with no space before it) or ends at
// the first space or tab.
std::wstring ArgumentsOf(const std::wstring& commandLine);

CommandLine ParseCommandLine(const std::wstring& arguments);

// The arguments that open the window on `game` and carry out `press` there at once; in `language`,
// where one was chosen other than Windows'.
std::string PressArguments(Press press, const std::string& game, std::optional<Language> language);

// The usage, with every switch and exit code.
std::wstring UsageText();
