#include "install/InstalledMods.h"

#include "system/FileSystem.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

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
    RecordInstalledMod(game.Path(), "First\tMod\r\nTwo", "C:\\mods\\first");
    RecordBackupPutBack(game.Path());
    EXPECT_FALSE(AnyFileExists(InstalledModsRecordIn(game.Path())));

    RecordInstalledMod(game.Path(), "First\tMod\r\nTwo", "C:\\mods\\first");
    RecordBackupMade(game.Path());
    RecordInstalledMod(game.Path(), "Second", "C:\\mods\\second");
    RecordDamaged(game.Path(), true);
    ModsRecord record = ReadModsRecord(game.Path());
    EXPECT_EQ(Titles(record), (std::vector<std::string>{"First Mod  Two", "Second"}));
    EXPECT_EQ(record.mods[0].folder, "C:\\mods\\first");
    EXPECT_EQ(record.inBackup, 1u);
    EXPECT_TRUE(record.damaged);

    RecordBackupPutBack(game.Path());
    record = ReadModsRecord(game.Path());
    EXPECT_EQ(Titles(record), (std::vector<std::string>{"First Mod  Two"}));
    EXPECT_FALSE(record.damaged);
    RecordInstalledMod(game.Path(), "Third", "C:\\mods\\third");
    RecordBackupPutBack(game.Path());
    EXPECT_EQ(ReadModsRecord(game.Path()), record);
}
