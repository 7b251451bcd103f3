#include "system/Drives.h"

#include <windows.h>

#include <cctype>

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
