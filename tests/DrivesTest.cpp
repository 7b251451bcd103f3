#include "system/Drives.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <bit>
#include <cctype>

TEST(DriveText, IsTheLowerCaseLetterAndColonThenTheLabelInBrackets)
{
    EXPECT_EQ(DriveText('C', "GAMES"), "c: [GAMES]");
    EXPECT_EQ(DriveText('z', ""), "z:");
}

TEST(DriveLetterOf, TakesTheFirstLetterOfAnyInstallersDriveForm)
{
    EXPECT_EQ(DriveLetterOf("C:"), 'c');
    EXPECT_EQ(DriveLetterOf("d:\\"), 'd');
    EXPECT_EQ(DriveLetterOf("e: [DISC]"), 'e');
    EXPECT_EQ(DriveLetterOf("c: [GAMES]"), 'c');
    EXPECT_EQ(DriveLetterOf(""), 0);
    EXPECT_EQ(DriveLetterOf("\\\\server\\share"), 0);
}

TEST(MachineDriveTexts, ListsEveryDriveWindowsReportsInItsTextForm)
{
    const auto drives = MachineDriveTexts();
    const DWORD mask = GetLogicalDrives();
    ASSERT_EQ(drives.size(), static_cast<size_t>(std::popcount(mask)));
    for (const auto& drive : drives) {
        ASSERT_GE(drive.size(), 2u);
        EXPECT_TRUE(std::islower(static_cast<unsigned char>(drive[0])));
        EXPECT_TRUE(mask & (1u << (drive[0] - 'a'))) << drive;
        EXPECT_EQ(drive[1], ':');
        if (drive.size() > 2) {
            EXPECT_EQ(drive.substr(2, 2), " [") << drive;
            EXPECT_EQ(drive.back(), ']') << drive;
        }
    }
}
