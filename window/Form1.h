#pragma once
// Form1: the installer's only window. Its controls stand where the layout puts them, scaled with
// the window's DPI; start-up fills them from the mod's description file and opens the lists on
// the remembered game location; "Install Mod" installs the mod into the folder Dir1 has open.
// A run-time failure in any handler ends in one report, after which the window closes and the
// program ends with a non-zero exit code.
#include "install/Installer.h"
#include "system/Language.h"
#include "system/ScopedHandle.h"
#include "system/Win32Error.h"
#include "window/DirList.h"
#include "window/DriveList.h"
#include "window/Layout.h"

#include <array>
#include <exception>
#include <optional>
#include <string>

extern const wchar_t* const kForm1Title;

class Form1 final : private InstallHost {
public:
    // The window speaks `language`; its title, the mod's description and the install's own
    // messages stay as they are.
    explicit Form1(std::string applicationDirectory, Language language = UserLanguage());
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Creates the window, still hidden, and runs LoadForm. Returns null when start-up failed;
    // the failure has been reported then.
    HWND Create(HINSTANCE instance);

    // Names the mod's description file that ReadINI reads.
    void OpenINI(const std::string& sfile);

    // Opens the lists on `folder`, as Install.exe /D= asks; false, after telling the player, when
    // it can't be opened.
    bool OpenFolder(const std::wstring& folder);

    // Carries out `press` on the open folder once the window runs its messages, as Install.exe
    // started again as administrator does.
    void PressOnceRunning(Press press);

    // What "Install Mod" does: backs up the game's patch_d2.mpq, writes the mod's script with
    // the archive's short path as correctscript.tmp, starts the archiver on it and remembers the
    // location. The window stays responsive while the archive is copied and the archiver runs;
    // the outcome is reported when it is known.
    void InstallMod();
    bool Installing() const { return installer_.Busy(); }

    // The window's system menu item "Install onto the original patch_d2.mpq": puts the backup in
    // Dir1's folder back in place of the archive, then installs as "Install Mod" does.
    void InstallOntoTheOriginal();

    // The window's system menu item "Restore patch_d2.mpq from backup...": asks, then puts the
    // backup in Dir1's folder back in place of the archive.
    void RestoreBackup();

    // The script as the last press read it, and as it rewrote it. They are kept as strings rather
    // than in the hidden Text2 and Text3: a text box can't hold NUL bytes, and one that wraps lines
    // takes seconds for each megabyte it is given. The rewritten text is made again when asked
    // for: the install writes it out piece by piece and never holds a large script twice.
    const std::string& ScriptAsRead() const { return installer_.ScriptAsRead(); }
    std::string RewrittenScript() const { return installer_.RewrittenScript(); }
    std::optional<Outcome> LastOutcome() const { return installer_.LastOutcome(); }

    HWND Handle() const { return window_; }
    HWND Control(ControlId id) const;
    DirList& Dir1() { return dir1_; }
    DriveList& Drive1() { return drive1_; }
    UINT Dpi() const { return dpi_; }
    int ExitCode() const { return exitCode_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    void Fail(const std::exception& failure);

    void CreateControls(HINSTANCE instance);
    void PrepareSystemMenu(HMENU menu);
    void PlaceControls(UINT dpi);
    void ApplyDpi(UINT dpi);
    void ApplyFonts(UINT dpi);
    void ApplyIcons(UINT dpi);
    void ShowBanner();
    void OpenDefaultFolder();

    void LoadForm();
    void ApplyStartLocation();
    void DriveChanged();
    void OpenHighlightedFolder();
    void ShowInstalledHere();
    void ShowUnreadable(UINT titleId, UINT textId, const std::wstring& name, const Win32Error& failure);
    std::optional<Win32Error> FollowDrive();
    void SetText(ControlId id, const std::wstring& text);

    // What the install shows, in the window.
    HWND Owner() const override { return window_; }
    bool Attended() const override { return true; }
    void Tell(const std::wstring& text, const std::wstring& title, UINT style) override;
    int Ask(const std::wstring& text, const std::wstring& title, UINT style, int unattended) override;
    DWORD ContinueAsAdministrator(Press press, const std::string& game) override;
    void ShowStatus(const std::wstring& text) override;
    void ShowProgress(const std::wstring& text) override;
    void ShowBackupLine(const std::wstring& text) override;
    void EnableCommands(bool enabled) override;
    void Post(UINT message, WPARAM wParam) override;
    Language TextLanguage() const override { return language_; }

    std::string applicationDirectory_;
    Language language_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    HWND messageTarget_ = nullptr;  // the window as the installer's threads post to it; never reset
    UINT dpi_ = 96;
    int exitCode_ = 0;
    bool showsInstalledHere_ = false;  // Label5 tells what the open folder's archive holds
    bool closing_ = false;             // closed while a command ran, and closes at its end
    DirList dir1_;
    DriveList drive1_;
    ScopedFont font_;
    ScopedFont titleFont_;
    ScopedBitmap banner_;
    ScopedIcon icon_;
    ScopedIcon smallIcon_;
    std::array<HWND, kControlCount> controls_{};
    Installer installer_;
};
