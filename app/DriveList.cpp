#include "app/DriveList.h"

#include <cctype>
#include <cstring>

std::string DriveText(char letter, const std::string& label)
{
    std::string text{static_cast<char>(std::tolower(static_cast<unsigned char>(letter))), ':'};
    if (!label.empty())
        text += " [" + label + "]";
    return text;
}

char DriveLetterOf(const std::string& text)
{
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0])))
        return 0;
    return static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
}

namespace {

std::string VolumeLabel(char letter)
{
    const std::string root{letter, ':', '\\'};
    // A lost network connection can take seconds to answer; such drives show their letter only.
    if (GetDriveTypeA(root.c_str()) == DRIVE_REMOTE)
        return "";
    char label[MAX_PATH + 1] = "";
    if (!GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0))
        return "";
    return label;
}

char CurrentDriveLetter()
{
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, current);
    return DriveLetterOf(current);
}

}  // namespace

std::string DriveTextOf(const std::string& path)
{
    const char letter = path.size() >= 2 && path[1] == ':' ? DriveLetterOf(path) : 0;
    return letter ? DriveText(letter, VolumeLabel(letter)) : "";
}

std::vector<std::string> MachineDriveTexts()
{
    std::vector<std::string> drives;
    const DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (mask & (1u << i)) {
            const char letter = static_cast<char>('a' + i);
            drives.push_back(DriveText(letter, VolumeLabel(letter)));
        }
    }
    return drives;
}

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
