#include "window/DriveList.h"

#include "system/Drives.h"

#include <cstring>

namespace {

char CurrentDriveLetter()
{
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, current);
    return DriveLetterOf(current);
}

}  // namespace

void DriveList::Attach(HWND combo)
{
    combo_ = combo;
    SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
    for (const auto& drive : MachineDriveTexts())
        SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.c_str()));
    Select(CurrentDriveLetter());
}

std::string DriveList::ItemText(LRESULT index) const
{
    std::string text(static_cast<size_t>(SendMessageA(combo_, CB_GETLBTEXTLEN, index, 0)) + 1, '\0');
    SendMessageA(combo_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(strlen(text.c_str()));
    return text;
}

std::string DriveList::Drive() const
{
    const LRESULT index = SendMessageA(combo_, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? "" : ItemText(index);
}

char DriveList::Letter() const { return DriveLetterOf(Drive()); }

bool DriveList::Select(char letter)
{
    const char wanted = DriveLetterOf(std::string(1, letter));
    const LRESULT count = SendMessageA(combo_, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; wanted && i < count; ++i) {
        if (DriveLetterOf(ItemText(i)) == wanted) {
            SendMessageA(combo_, CB_SETCURSEL, i, 0);
            return true;
        }
    }
    return false;
}
