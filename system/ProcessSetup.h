#pragma once
// The set-up every program of the installer runs in, Install.exe and its tests alike: DLLs only
// from the system folder, no system error boxes for drives without a medium, COM for the banner's
// decoder, and the common controls. Made first thing in main and undone when main ends.
#include <string>

class ProcessSetup {
public:
    ProcessSetup();
    ~ProcessSetup();
    ProcessSetup(const ProcessSetup&) = delete;
    ProcessSetup& operator=(const ProcessSetup&) = delete;

private:
    bool comStarted_ = false;
};

// The system DLLs the window loads after start-up (themes, drawing, the banner's decoder), which
// ProcessSetup loads from the system folder before anything else can load them.
inline constexpr const char* kLaterSystemDlls[] = {"uxtheme.dll", "msimg32.dll", "propsys.dll", "windowscodecs.dll"};

// The system folder without a trailing "\"; empty when Windows can't tell it.
std::string SystemFolder();
