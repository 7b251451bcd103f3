#pragma once
// What an install or a restore needs of the host that runs it (the window, or the command line):
// where its messages, questions and status lines go, how its background work comes back to the
// host's thread, and the words for how a command ends and what it goes onto.
#include "system/Language.h"

#include <windows.h>

#include <string>

// What a press of the window asks for: the commands that Install.exe, started again as
// administrator, carries out at once.
enum class Press { None, Install, Restore, Clean };

// What the install shows, how it asks, and how its messages reach the thread that runs it.
class InstallHost {
public:
    virtual HWND Owner() const = 0;  // the owner of the shell's questions and of the elevation prompt
    // Whether a player is there to answer questions: the window; not so on the command line, whose
    // switches have answered them beforehand.
    virtual bool Attended() const = 0;
    // A box at the window, a line on the command line.
    virtual void Tell(const std::wstring& text, const std::wstring& title, UINT style) = 0;
    // A question: the button pressed (IDYES, IDNO, ...); unasked, `unattended` where no one attends.
    virtual int Ask(const std::wstring& text, const std::wstring& title, UINT style, int unattended) = 0;
    virtual void ShowStatus(const std::wstring& text) = 0;      // how the last command ended (Label4)
    virtual void ShowProgress(const std::wstring& text) = 0;    // while a command runs (Label4)
    virtual void ShowBackupLine(const std::wstring& text) = 0;  // where the backup is (Label5)
    virtual void EnableCommands(bool enabled) = 0;              // "Install Mod" (Command1)
    // Called from any thread; the message is to come back to Installer::HandleMessage.
    virtual void Post(UINT message, WPARAM wParam) = 0;
    // Starts Install.exe again as administrator to carry out `press` on `game`, its questions
    // answered, and lets this one end; the system's error code (ERROR_CANCELLED when the player
    // declined Windows' prompt). Asked only where a player attends.
    virtual DWORD ContinueAsAdministrator(Press, const std::string&) { return ERROR_NOT_SUPPORTED; }
    // Whether an install goes onto a game of a version the mod is not made for where no one is asked:
    // on the command line, /ANYVERSION.
    virtual bool AnyGameVersion() const { return false; }
    // The language of every text it is given: the window's; English on the command line.
    virtual Language TextLanguage() const { return Language::English; }

protected:
    ~InstallHost() = default;
};

// How the last command ended; the command line's exit codes.
enum class Outcome {
    Done = 0,
    Failed = 1,
    ArchiveNotFound = 2,
    ArchiverFailed = 3,
    Cancelled = 4,
    InUse = 7,                // another program holds patch_d2.mpq
    NeedsAdministrator = 8,   // the game's folder needs an administrator: handed over, or not done
    ArchiveDamaged = 9,       // the archiver left patch_d2.mpq damaged
    AnotherGameVersion = 10,  // the mod is made for other versions of the game: nothing was changed
    NoModFiles = 11,          // none of the files the mod's script adds are in its folder: nothing was changed
};

// What an install goes onto where the game folder holds a backup: the archive as it stands, which
// may already hold other mods, or the original from the backup, put back first. The window asks
// when the record says mods are installed, or that the archiver left the archive damaged.
enum class Onto { TheArchiveAsItIs, TheOriginal, AskWhenModsRecorded };

// Who asks for a command: the player, here; or Install.exe that ran without an administrator's
// rights, which asked the player's questions, moved the hidden copy of the archive aside and
// handed the command over to this one, started as administrator. A handed-over command asks
// nothing again and never hands itself over a second time.
enum class Origin { Player, HandedOver };
