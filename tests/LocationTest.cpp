#include "install/GameFiles.h"
#include "settings/Location.h"
#include "settings/Registry.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

class LocationTest : public testing::Test {
protected:
    void SetUp() override { ForgetGameLocations(); }
    void TearDown() override { ForgetGameLocations(); }
};

}  // namespace

TEST_F(LocationTest, AFreshUserHasNothingStored)
{
    const GameLocation location = LoadLocation();
    EXPECT_EQ(location.path, "");
    EXPECT_EQ(location.drive, "");
    EXPECT_FALSE(FindGameDirectory());
}

TEST_F(LocationTest, SavesUnderTheFamilysKeyAndKeepsOnlyTheLastPair)
{
    SaveLocation("C:\\Games\\Diablo II", "c: [GAMES]");
    SaveLocation("D:\\Diablo II", "d:");

    const GameLocation location = LoadLocation();
    EXPECT_EQ(location.path, "D:\\Diablo II");
    EXPECT_EQ(location.drive, "d:");
    // Other installers of the family read these exact values.
    EXPECT_EQ(
        ReadRegistryString(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\Vornikel\\Settings", "D2 Path"),
        "D:\\Diablo II");
    EXPECT_EQ(
        ReadRegistryString(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\Vornikel\\Settings", "D2 Drive"),
        "d:");
}

TEST_F(LocationTest, ReadsEachValueOnItsOwnAndIgnoresValuesThatAreNoText)
{
    WriteUserRegistryString(kSettingsKey, "D2 Drive", "E: [DISC]");
    EXPECT_EQ(LoadLocation().path, "");
    EXPECT_EQ(LoadLocation().drive, "E: [DISC]");

    const DWORD number = 7;
    RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "D2 Path", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(LoadLocation().path, "");
}

TEST_F(LocationTest, FindsTheGameWhereItRecordsItselfOnlyWhenItsArchiveIsThere)
{
    TempDir perUser;
    TempDir machineWide;
    WriteTextFile(machineWide / "patch_d2.mpq", "MPQ");

    // A recorded folder without the game's archive is no game folder.
    RecordGame(HKEY_CURRENT_USER, perUser.Path());
    EXPECT_FALSE(FindGameDirectory());

    // The machine-wide value lives in the 32-bit view, where the 32-bit game writes it.
    RecordGame(HKEY_LOCAL_MACHINE, machineWide.Path() + "\\");
    EXPECT_EQ(FindGameDirectory(), machineWide.Path() + "\\");

    WriteTextFile(perUser / "patch_d2.mpq", "MPQ");
    EXPECT_EQ(FindGameDirectory(), perUser.Path());
}
