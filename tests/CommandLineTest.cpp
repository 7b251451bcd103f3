#include "app/CommandLine.h"

#include <gtest/gtest.h>

TEST(CommandLine, ReadsSwitchesInEitherCaseWithAGameFolderToTheEndOfTheLine)
{
    EXPECT_EQ(ArgumentsOf(L"\"C:\\My Mod\\Install.exe\"  /s /d=x"), L"/s /d=x");
    EXPECT_EQ(ArgumentsOf(L"Install.exe"), L"");
    EXPECT_EQ(ParseCommandLine(L"").mode, Mode::Window);

    CommandLine command = ParseCommandLine(L"-s /Log=\"C:\\my logs\\a.log\" /D=C:\\Games\\Diablo II /x  ");
    EXPECT_EQ(command.mode, Mode::Install);
    EXPECT_EQ(command.log, L"C:\\my logs\\a.log");
    EXPECT_EQ(command.game, L"C:\\Games\\Diablo II /x");
    EXPECT_EQ(ParseCommandLine(L"/RESTORE /D=\"D:\\Diablo II\"").game, L"D:\\Diablo II");
    EXPECT_EQ(ParseCommandLine(L"/restore \"/D=D:\\Diablo II\"").game, L"D:\\Diablo II");
    EXPECT_EQ(ParseCommandLine(L"/CHECK").mode, Mode::Check);
    EXPECT_TRUE(ParseCommandLine(L"/clean /S").clean);

    command = ParseCommandLine(L"/?");
    EXPECT_EQ(command.mode, Mode::Usage);
    EXPECT_EQ(command.mistaken, L"");
    for (const wchar_t* bad : {L"/S /S", L"/S /CHECK", L"/X", L"S", L"/D=C:\\Games", L"/CHECK /D=C:\\", L"/S /LOG=",
                               L"/S=1", L"/CLEAN", L"/RESTORE /CLEAN", L"/S /CLEAN /CLEAN"})
        EXPECT_NE(ParseCommandLine(bad).mistaken, L"") << bad;
}
