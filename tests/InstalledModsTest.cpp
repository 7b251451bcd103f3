#include "install/InstalledMods.h"

#include "system/FileSystem.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::vector<std::string> Titles(const ModsRecord& record)
{
    std::vector<std::string> titles;
    for (const InstalledMod& mod : record.mods)
        titles.push_back(mod.title);
    return titles;
}

}  // namespace

// The record never tells of fewer mods than the archive holds: a backup made while mods are
// recorded (the first one was lost) holds them, and putting it back keeps them; the damage the
// archiver did lasts until the backup is back.
TEST(InstalledMods, FollowsTheArchiveThroughLostBackupsRestoresAndDamage)
{
    TempDir game;
    RecordInstalledMod(game.Path(), "First\tMod\r\nTwo", "C:\\mods\\first", "1.13c (Classic)");
    RecordBackupPutBack(game.Path());
    EXPECT_FALSE(AnyFileExists(InstalledModsRecordIn(game.Path())));

    // A line from before the game's version was recorded reads on, and stays as it was.
    const std::string older = "2024-01-01 10:00\tFirst Mod  Two\tC:\\mods\\first\r\n";
    WriteTextFile(InstalledModsRecordIn(game.Path()), older);
    RecordBackupMade(game.Path());
    RecordInstalledMod(game.Path(), "Second\nPart", "C:\\mods\\second", "1.14d\t(Lord of Destruction)", true);
    RecordDamaged(game.Path(), true);
    ModsRecord record = ReadModsRecord(game.Path());
    EXPECT_EQ(Titles(record), (std::vector<std::string>{"First Mod  Two", "Second Part"}));
    EXPECT_EQ(record.mods[0].folder, "C:\\mods\\first");
    EXPECT_EQ(record.mods[0].gameVersion, "");
    EXPECT_EQ(record.mods[1].gameVersion, "1.14d (Lord of Destruction)");
    EXPECT_NE(ReadTextFile(InstalledModsRecordIn(game.Path())).find("\t1.14d (Lord of Destruction)\tin part\r\n"),
              std::string::npos);
    EXPECT_EQ(RecordedName(record.mods[0]) + ", " + RecordedName(record.mods[1]),
              "First Mod  Two, Second Part (in part)");
    EXPECT_EQ(ReadTextFile(InstalledModsRecordIn(game.Path())).substr(0, older.size()), older);
    EXPECT_EQ(record.inBackup, 1u);
    EXPECT_TRUE(record.damaged);

    RecordBackupPutBack(game.Path());
    record = ReadModsRecord(game.Path());
    EXPECT_EQ(Titles(record), (std::vector<std::string>{"First Mod  Two"}));
    EXPECT_FALSE(record.damaged);
    RecordInstalledMod(game.Path(), "Third", "C:\\mods\\third", "unknown");
    RecordBackupPutBack(game.Path());
    EXPECT_EQ(ReadModsRecord(game.Path()), record);
}

// The note of an install under way is replaced by what became of the archive, and read by older
// installers as the "damaged" mark, never as a mod.
TEST(InstalledMods, TheNoteOfAnInstallUnderWayGivesWayToItsEnd)
{
    TempDir game;
    const std::string path = InstalledModsRecordIn(game.Path());
    const auto note = [&] { RecordInstallUnderWay(game.Path(), "A\tMod", "C:\\mods\\a", {1234, 5678}); };
    for (const auto& end : std::vector<std::function<void()>>{
             [&] { RecordInstalledMod(game.Path(), "A Mod", "C:\\mods\\a", "1.14d", true); },
             [&] { RecordDamaged(game.Path(), true); }, [&] { RecordInstallEnded(game.Path()); },
             [&] { RecordBackupPutBack(game.Path()); }}) {
        note();
        const std::optional<InstallUnderWay> noted = ReadModsRecord(game.Path()).underWay;
        ASSERT_TRUE(noted);
        EXPECT_EQ(noted->title + noted->folder, "A ModC:\\mods\\a");
        EXPECT_NE(ReadTextFile(path).find("damaged\tinstalling\t"), std::string::npos);
        end();
        EXPECT_FALSE(ReadModsRecord(game.Path()).underWay);
    }
    EXPECT_FALSE(AnyFileExists(path));
}
