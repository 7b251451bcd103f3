#include "commandline/CommandLine.h"
#include "system/CodePage.h"

#include <gtest/gtest.h>

#include <set>

TEST(CommandLine, ReadsSwitchesInEitherCaseWithAGameFolderToTheEndOfTheLine)
{
    EXPECT_EQ(ArgumentsOf(L"\"C:\\My Mod\\Install.exe\"  /s /d=x"), L"/s /d=x");
    EXPECT_EQ(ArgumentsOf(L"\"C:\\My Mod\\Install.exe\"/S"), L"/S");
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
    EXPECT_TRUE(ParseCommandLine(L"/S /AnyVersion").anyVersion);
    EXPECT_EQ(ParseCommandLine(L"/CHECK /D=C:\\Diablo II").game, L"C:\\Diablo II");

    // The window, open on a folder, carrying out a press there in the language it spoke: as
    // Install.exe started again as administrator is asked to.
    for (const auto& [press, language] : {std::pair{Press::Install, std::optional(Language::ChineseTraditional)},
                                          {Press::Restore, std::optional<Language>()},
                                          {Press::Clean, std::optional(Language::English)}}) {
        command = ParseCommandLine(ArgumentsOf(L"\"C:\\My Mod\\Install.exe\" " +
                                               FromCodePage(PressArguments(press, "C:\\Diablo II", language))));
        EXPECT_EQ(command.mode, Mode::Window);
        EXPECT_EQ(command.press, press);
        EXPECT_EQ(command.language, language);
        EXPECT_EQ(command.game, L"C:\\Diablo II");
    }
    // The window's language for the window; accepted, and changing nothing, beside the other switches.
    EXPECT_EQ(ParseCommandLine(L"/lang=zh-tw").language, Language::ChineseTraditional);
    EXPECT_EQ(ParseCommandLine(L"\"/LANG=ru\" /S /D=C:\\").mode, Mode::Install);
    EXPECT_EQ(ParseCommandLine(L"/CHECK -Lang=PL").language, Language::Polish);
    EXPECT_EQ(ParseCommandLine(L"/press /D=C:\\").press, Press::Install);

    command = ParseCommandLine(L"/?");
    EXPECT_EQ(command.mode, Mode::Usage);
    EXPECT_EQ(command.mistaken, L"");
    for (const wchar_t* bad : {L"/S /S",
                               L"/S /CHECK",
                               L"/X",
                               L"S",
                               L"/LOG=a",
                               L"/CHECK /ANYVERSION",
                               L"/S /LOG=",
                               L"/S=1",
                               L"/S /D=",
                               L"/S /D= \"\"",
                               L"/S /LOG=a /LOG=b",
                               L"/S /PRESS",
                               L"/PRESS=CHECK",
                               L"/CLEAN",
                               L"/RESTORE /CLEAN",
                               L"/S /CLEAN /CLEAN",
                               L"/LANG=xx",
                               L"/LANG=",
                               L"/LANG",
                               L"/LANG=de /LANG=de"})
        EXPECT_NE(ParseCommandLine(bad).mistaken, L"") << bad;

    // The usage's columns line up.
    const std::wstring usage = UsageText();
    std::set<std::size_t> columns;
    for (std::size_t line = usage.find(L"\nInstall.exe"); line != std::wstring::npos;
         line = usage.find(L"\nInstall.exe", line + 1))
        columns.insert(usage.find_first_not_of(L' ', usage.find(L"  ", line)) - line);
    EXPECT_EQ(columns.size(), 1u) << usage;
}
