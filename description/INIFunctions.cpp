#include "description/INIFunctions.h"

#include "system/CodePage.h"
#include "system/FileSystem.h"
#include "system/Texts.h"
#include "system/UserMessages.h"

#include <windows.h>

namespace INIFunctions {

std::string INIFile;

std::string ReadINI(const std::string& section, const std::string& key, Language language)
{
    return ReadINI(section, key, [language](const std::string&, const std::string&, UINT style) {
        Tell(GetActiveWindow(), Text(language, IDS_FILE_NOT_FOUND, {FromCodePage(INIFile)}),
             Text(language, IDS_FILE_NOT_FOUND_TITLE), style);
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
