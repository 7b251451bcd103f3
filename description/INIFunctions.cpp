#include "description/INIFunctions.h"

#include "system/FileSystem.h"
#include "system/UserMessages.h"

#include <windows.h>

namespace INIFunctions {

std::string INIFile;

std::string ReadINI(const std::string& section, const std::string& key)
{
    return ReadINI(section, key, [](const std::string& text, const std::string& title, UINT style) {
        Tell(GetActiveWindow(), text, title, style);
    });
}

std::string ReadINI(const std::string& section, const std::string& key, const TellMissing& tell)
{
    if (!FileExists(INIFile)) {
        tell(INIFile + " not found.", "File Not Found", MB_OK | MB_ICONSTOP);
        return "";
    }
    // 255 characters, one of which the service keeps for the terminating NUL.
    char buffer[255] = {};
    const DWORD copied =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer, INIFile.c_str());
    if (copied == 0)
        return "";
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

}  // namespace INIFunctions
