#include "install/InstalledMods.h"

#include "install/InstallLog.h"
#include "system/CodePage.h"
#include "system/FileSystem.h"
#include "system/Texts.h"
#include "system/Win32Error.h"

#include <algorithm>

namespace {

const char* const kBackupMark = "backup";
const char* const kDamagedMark = "damaged";
const char* const kInPartMark = "in part";

// To the minute: the record tells the player when, not how long an install took.
std::string Now() { return LocalTimeText().substr(0, 16); }

// A tab would start another field, and a line break another line.
std::string OneField(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return text;
}

template <typename Change>
void ChangeModsRecord(const std::string& game, Change change)
{
    ModsRecord record = ReadModsRecord(game);
    const ModsRecord before = record;
    change(record);
    if (!(record == before))
        WriteModsRecord(game, record);
}

}  // namespace

std::string InstalledModsRecordIn(const std::string& game) { return game + "\\patch_d2_mods.txt"; }

ModsRecord ReadModsRecord(const std::string& game)
{
    const std::string path = InstalledModsRecordIn(game);
    ModsRecord record;
    if (!AnyFileExists(path))
        return record;
    const std::string text = ReadWholeFile(path);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        const std::string line = text.substr(start, end - start);
        start = text.find_first_not_of("\r\n", end);
        if (line.empty())
            continue;
        InstalledMod mod;
        std::string part;
        // Records written before the game's version was known have three fields.
        std::string* const fields[] = {&mod.date, &mod.title, &mod.folder, &mod.gameVersion, &part};
        std::size_t field = 0;
        for (const char c : line) {
            if (c == '\t' && field < 4)
                ++field;
            else
                *fields[field] += c;
        }
        mod.inPart = part == kInPartMark;
        if (mod.date == kBackupMark)
            record.inBackup = record.mods.size();
        else if (mod.date == kDamagedMark)
            record.damaged = true;
        else
            record.mods.push_back(std::move(mod));
    }
    return record;
}

void WriteModsRecord(const std::string& game, const ModsRecord& record)
{
    const std::string path = InstalledModsRecordIn(game);
    if (record.mods.empty() && !record.damaged) {
        if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
            ThrowLastError("Remove", path);
        return;
    }
    std::string text;
    for (std::size_t i = 0; i < record.mods.size(); ++i) {
        const InstalledMod& mod = record.mods[i];
        text += OneField(mod.date) + "\t" + OneField(mod.title) + "\t" + OneField(mod.folder);
        if (!mod.gameVersion.empty() || mod.inPart)
            text += '\t' + OneField(mod.gameVersion);
        if (mod.inPart)
            text += std::string("\t") + kInPartMark;
        text += "\r\n";
        if (i + 1 == record.inBackup)
            text += std::string(kBackupMark) + "\r\n";
    }
    if (record.damaged)
        text += std::string(kDamagedMark) + "\r\n";
    WriteWholeFile(path, text);
}

void RecordInstalledMod(const std::string& game, const std::string& title, const std::string& modFolder,
                        const std::string& gameVersion, bool inPart)
{
    ChangeModsRecord(game, [&](ModsRecord& record) {
        record.mods.push_back({Now(), title, modFolder, gameVersion, inPart});
    });
}

void RecordBackupMade(const std::string& game)
{
    ChangeModsRecord(game, [](ModsRecord& record) { record.inBackup = record.mods.size(); });
}

void RecordBackupPutBack(const std::string& game)
{
    ChangeModsRecord(game, [](ModsRecord& record) {
        record.mods.resize(record.inBackup);
        record.damaged = false;
    });
}

void RecordDamaged(const std::string& game, bool damaged)
{
    ChangeModsRecord(game, [damaged](ModsRecord& record) { record.damaged = damaged; });
}

std::string RecordedName(const InstalledMod& mod) { return mod.title + (mod.inPart ? " (in part)" : ""); }

std::wstring InstalledHereLine(const std::vector<InstalledMod>& mods, Language language)
{
    const InstalledMod& last = mods.back();
    const std::size_t before = mods.size() - 1;
    const UINT id = before == 0   ? IDS_INSTALLED_HERE
                    : before == 1 ? IDS_INSTALLED_HERE_AND_ONE_MORE
                                  : IDS_INSTALLED_HERE_AND_MORE;
    // The day alone: Label5 has room for two lines, and a title takes most of them.
    return Text(language, id,
                {FromCodePage(RecordedName(last)), FromCodePage(last.date.substr(0, 10)), std::to_wstring(before)});
}
