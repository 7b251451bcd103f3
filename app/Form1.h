#pragma once
// Form1: the installer's only window. Its controls stand where the layout puts them, scaled with
// the window's DPI; start-up fills them from the mod's description file and opens the lists on
// the remembered game location. A run-time failure in any handler ends in one report, after
// which the window closes and the program ends with a non-zero exit code.
#include "app/DirList.h"
#include "app/DriveList.h"
#include "app/Layout.h"
#include "system/ScopedHandle.h"
#include "system/Win32Error.h"

#include <array>
#include <exception>
#include <optional>
#include <string>

extern const char* const kForm1Title;

class Form1 {
public:
    explicit Form1(std::string applicationDirectory);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Creates the window, still hidden, and runs LoadForm. Returns null when start-up failed;
    // the failure has been reported then.
    HWND Create(HINSTANCE instance);

    // Names the mod's description file that ReadINI reads.
    void OpenINI(const std::string& sfile);

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
    void ApplyLayout(UINT dpi);
    void ApplyFonts(UINT dpi);
    void ShowBanner();
    void OpenDefaultFolder();

    void LoadForm();
    void ApplyStartLocation();
    void DriveChanged();
    void OpenHighlightedFolder();
    void ShowUnreadable(const char* title, const std::string& what, const Win32Error& failure);
    std::optional<Win32Error> FollowDrive();
    void SetText(ControlId id, const std::string& text);

    std::string applicationDirectory_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    UINT dpi_ = 96;
    int exitCode_ = 0;
    DirList dir1_;
    DriveList drive1_;
    ScopedFont font_;
    ScopedFont titleFont_;
    ScopedBitmap banner_;
    std::array<HWND, kControlCount> controls_{};
};
