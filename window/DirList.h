#pragma once
// Dir1: the classic directory list. It shows the folders on the way from the drive's root to the
// open folder, each as an open folder, then the open folder's subfolders, sorted without regard
// to case. Opening an entry (double click or Enter) makes it the current path; a single click
// only highlights it.
#include "system/ScopedHandle.h"

#include <functional>
#include <string>
#include <vector>

// A subfolder as the list shows it, by its real name, and as the program opens it: by that name,
// or by its 8.3 alias where the ANSI code page can't hold the name (every path the installer
// builds, saves and hands on stays one that the ANSI calls can use). `open` is empty when the
// name needs an alias and the volume keeps none.
struct FolderEntry {
    std::wstring shown;
    std::string open;

    bool operator==(const FolderEntry&) const = default;
};

// The folder's subfolders that the list shows (hidden ones are left out), sorted without regard
// to case. Throws Win32Error when the folder can't be read.
std::vector<FolderEntry> ListSubfolders(const std::string& folder);

// The height of one entry: a small folder icon with a little room, at `dpi`.
int DirListItemHeight(UINT dpi);

class DirList {
public:
    // `opened` is called each time the list has opened a folder.
    void Attach(HWND listbox, std::function<void()> opened);
    HWND Handle() const { return list_; }

    // The folder the list has open.
    const std::string& Path() const { return path_; }

    // Opens `path`. Throws Win32Error when it is no folder or can't be read; the list then stays
    // as it was.
    void SetPath(const std::string& path);

    // Opens the folder of the entry at `index`, as a double click on it does. Throws Win32Error
    // (ERROR_NO_UNICODE_TRANSLATION for a name without a usable alias); the list then stays.
    void OpenEntry(int index);
    std::string EntryPath(int index) const;
    // The entry's path with its folders' real names, for telling the user.
    std::wstring EntryShownPath(int index) const;
    const std::wstring& EntryShownName(int index) const;
    int OpenFolderCount() const { return static_cast<int>(openFolders_.size()); }

    // Reloads the folder icons at the size for `dpi`.
    void SetDpi(UINT dpi);
    void Draw(const DRAWITEMSTRUCT& item) const;

private:
    HWND list_ = nullptr;
    std::function<void()> opened_;
    UINT dpi_ = 96;
    std::string path_;
    std::vector<std::string> openFolders_;        // root first, then each folder down to the open one
    std::vector<std::wstring> shownOpenFolders_;  // the same by their real names
    std::vector<FolderEntry> subfolders_;
    ScopedIcon openIcon_;
    ScopedIcon closedIcon_;
};
