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
const std::string kUnderWayMark = std::string(kDamagedMark) + "\tinstalling\t";

// To the minute: the record tells the player when, not how long an install took.
std::string Now() { return LocalTimeText().substr(0, 16); }

// A tab would start another field, and a line break another line.
std::string OneField(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return text;
}

// The note's fields after its mark; nothing when it lacks one.
std::optional<InstallUnderWay> UnderWayOf(const std::string& fields)
{
    std::vector<std::string> field(1);
    for (const char c : fields) {
        if (c == '\t')
            field.emplace_back();
        else
            field.back() += c;
    }
    if (field.size() != 5)
        return std::nullopt;
    try {
        return InstallUnderWay{field[0], field[1], field[2], {std::stoull(field[3]), std::stoull(field[4])}};
    } catch (const std::exception&) {
        return std::nullopt;
    }
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
        // A note that can't be read is still a note: the archiver may have been cut short.
        if (line.rfind(kUnderWayMark, 0) == 0) {
            record.underWay = UnderWayOf(line.substr(kUnderWayMark.size())).value_or(InstallUnderWay{});
            continue;
        }
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
    if (record.mods.empty() && !record.damaged && !record.underWay) {
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
    if (const auto& install = record.underWay)
        text += kUnderWayMark + OneField(install->date) + "\t" + OneField(install->title) + "\t" +
                OneField(install->folder) + "\t" + std::to_string(install->before.size) + "\t" +
                std::to_string(install->before.lastWrite) + "\r\n";
    WriteWholeFile(path, text);
}

void RecordInstallUnderWay(const std::string& game, const std::string& title, const std::string& modFolder,
                           const FileStamp& before)
{
    ChangeModsRecord(game, [&](ModsRecord& record) { record.underWay = {Now(), title, modFolder, before}; });
}

void RecordInstallEnded(const std::string& game)
{
    ChangeModsRecord(game, [](ModsRecord& record) { record.underWay.reset(); });
}

void RecordInstalledMod(const std::string& game, const std::string& title, const std::string& modFolder,
                        const std::string& gameVersion, bool inPart)
{
    ChangeModsRecord(game, [&](ModsRecord& record) {
        record.mods.push_back({Now(), title, modFolder, gameVersion, inPart});
        record.underWay.reset();
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
        record.underWay.reset();
    });
}

void RecordDamaged(const std::string& game, bool damaged)
{
    ChangeModsRecord(game, [damaged](ModsRecord& record) {
        record.damaged = damaged;
        if (damaged)
            record.underWay.reset();
    });
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

std::wstring InterruptedHereLine(const InstallUnderWay& install, Language language)
{
    return Text(language, IDS_INTERRUPTED_HERE,
                {FromCodePage(install.title), FromCodePage(install.date.substr(0, 10))});
}
