#pragma once
// Drive1: the machine's drives, in the classic drive list's text form (system/Drives.h), the
// current directory's drive selected at first.
#include <windows.h>

#include <string>

class DriveList {
public:
    // Fills the combo box with the machine's drives and selects the current directory's drive.
    void Attach(HWND combo);
    HWND Handle() const { return combo_; }

    // The selected drive's text, as stored for the next start.
    std::string Drive() const;
    char Letter() const;

    // Selects the drive with this letter; false, with the selection unchanged, when the machine
    // has no such drive.
    bool Select(char letter);

private:
    std::string ItemText(LRESULT index) const;

    HWND combo_ = nullptr;
};
