#include "install/InstalledMods.h"

#include "system/FileSystem.h"
#include "system/Win32Error.h"

#include <algorithm>
#include <cstdio>

std::string InstalledModsRecordIn(const std::string& game) { return game + "\\patch_d2_mods.txt"; }

std::vector<InstalledMod> ReadInstalledMods(const std::string& game)
{
    const std::string record = InstalledModsRecordIn(game);
    std::vector<InstalledMod> mods;
    if (!AnyFileExists(record))
        return mods;
    const std::string text = ReadWholeFile(record);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        const std::string line = text.substr(start, end - start);
        start = text.find_first_not_of("\r\n", end);
        if (line.empty())
            continue;
        InstalledMod mod;
        std::string* const fields[] = {&mod.date, &mod.title, &mod.folder};
        std::size_t field = 0;
        for (const char c : line) {
            if (c == '\t' && field < 2)
                ++field;
            else
                *fields[field] += c;
        }
        mods.push_back(std::move(mod));
    }
    return mods;
}

void RecordInstalledMod(const std::string& game, const std::string& title, const std::string& modFolder)
{
    const std::string record = InstalledModsRecordIn(game);
    std::string text = AnyFileExists(record) ? ReadWholeFile(record) : "";
    if (!text.empty() && text.back() != '\n')
        text += "\r\n";
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[32];
    std::snprintf(date, sizeof date, "%04u-%02u-%02u %02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute);
    // A tab in the title would start another field.
    std::string oneField = title;
    std::replace(oneField.begin(), oneField.end(), '\t', ' ');
    WriteWholeFile(record, text + date + "\t" + oneField + "\t" + modFolder + "\r\n");
}

void ForgetInstalledMods(const std::string& game)
{
    const std::string record = InstalledModsRecordIn(game);
    if (!DeleteFileA(record.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        ThrowLastError("Remove", record);
}

std::string InstalledHereLine(const std::vector<InstalledMod>& mods)
{
    const InstalledMod& last = mods.back();
    // The day alone: Label5 has room for two lines, and a title takes most of them.
    std::string line = "Installed here: " + last.title + ", " + last.date.substr(0, 10);
    if (mods.size() > 1)
        line += " and " + std::to_string(mods.size() - 1) + " more";
    return line;
}
