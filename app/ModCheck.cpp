#include "app/ModCheck.h"

#include "app/InstallScript.h"
#include "system/CodePage.h"
#include "system/FileSystem.h"
#include "system/Win32Error.h"

#include <windows.h>

namespace {

// A value as the profile functions read it, longer than the installer's 254 characters if it is;
// nothing when the key is missing or empty, which the installer can't tell apart.
std::optional<std::string> FullValue(const std::string& ini, const char* key)
{
    std::string value(32768, '\0');
    const DWORD length =
        GetPrivateProfileStringA("MainSettings", key, "", value.data(), static_cast<DWORD>(value.size()), ini.c_str());
    if (length == 0)
        return std::nullopt;
    value.resize(length);
    return value;
}

CheckResult Check(bool ok, const std::string& done, const std::string& problem)
{
    return {ok, FromCodePage(ok ? done : problem)};
}

// What a player's Windows reads of the file's first bytes.
std::optional<std::string> EncodingProblem(const std::string& bytes)
{
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
        return "modsettings.ini starts with a UTF-8 byte-order mark: Windows can't read its first section then, "
               "and the window stays empty. Save it as ANSI, or as UTF-16 LE with its byte-order mark.";
    if (bytes.rfind("\xFE\xFF", 0) == 0)
        return "modsettings.ini is UTF-16 big-endian, which Windows can't read. Save it as ANSI, or as UTF-16 LE "
               "with its byte-order mark.";
    return std::nullopt;
}

}  // namespace

std::vector<CheckResult> CheckModFolder(const std::wstring& folder)
{
    std::vector<CheckResult> results;
    const std::optional<std::string> plain = ToCodePage(folder);
    results.push_back(Check(plain.has_value(), "The mod's folder has a name every Windows can use.",
                            "The mod's folder name has letters outside this system's code page: Install.exe works "
                            "from it only where Windows keeps 8.3 names. Unpack the mod into a folder with a plain "
                            "name."));
    const std::optional<std::string> usable = AnsiPathOf(folder);
    if (!usable)
        return results;

    const std::string ini = *usable + "\\modsettings.ini";
    results.push_back(Check(FileExists(ini), "modsettings.ini is beside Install.exe.",
                            "modsettings.ini is missing beside Install.exe (or hidden): ship it in the mod's folder."));
    if (!results.back().ok)
        return results;
    const std::optional<std::string> encoding = EncodingProblem(ReadWholeFile(ini));
    results.push_back(Check(!encoding, "modsettings.ini is in an encoding Windows reads.", encoding.value_or("")));

    std::optional<std::string> scriptName;
    for (const char* key : {"Title", "Author", "Features", "ScriptFile"}) {
        const std::optional<std::string> value = FullValue(ini, key);
        const std::string name = std::string(key) + " in [MainSettings]";
        if (!value)
            results.push_back(Check(false, "", name + " is missing or empty: add " + key + "=... to it."));
        else
            results.push_back(Check(value->size() <= 254, name + " is there.",
                                    name + " is " + std::to_string(value->size()) +
                                        " characters long; the installer reads only the first 254. Shorten it."));
        if (value && std::string(key) == "ScriptFile")
            scriptName = value;
    }
    if (scriptName) {
        const std::string script = *usable + "\\" + *scriptName;
        const bool present = FileExists(script);
        results.push_back(Check(present, "The script " + *scriptName + " is there.",
                                "The script " + *scriptName + " that ScriptFile names is missing: ship it."));
        if (present)
            results.push_back(Check(ReadWholeFile(script).find(kArchiveName) != std::string::npos,
                                    "The script names patch_d2.mpq.",
                                    "The script never names patch_d2.mpq (in these small letters), so the "
                                    "installer can't point it at the game's archive: open it with o patch_d2.mpq."));
    }
    const char* const shipped[][2] = {{"mpq2k.exe", "the archiver, which the installer starts"},
                                      {"listfile.dat", "which the archiver reads"}};
    for (const auto& [file, why] : shipped)
        results.push_back(Check(FileExists(*usable + "\\" + file), std::string(file) + " is beside Install.exe.",
                                std::string(file) + ", " + why + ", is missing beside Install.exe: ship it."));
    return results;
}
