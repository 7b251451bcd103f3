#include "app/ModCheck.h"
#include "system/CodePage.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(CheckModFolder, PassesAGoodModAndNamesEachProblemAPlayersWindowsWouldMeet)
{
    TempDir mod;
    PlaceMod(mod.Path());
    WriteTextFile(mod / "listfile.dat", "data\\global\\excel\\misc.txt\r\n");
    const std::wstring folder = FromCodePage(mod.Path());
    std::vector<CheckResult> results = CheckModFolder(folder);
    EXPECT_EQ(results.size(), 11u);
    for (const CheckResult& result : results)
        EXPECT_TRUE(result.ok) << ToCodePageLossy(result.text);

    // Windows can't read a section after a UTF-8 byte-order mark (Wine can), the name must be
    // exactly patch_d2.mpq, and the archiver must be there.
    WriteTextFile(mod / "modsettings.ini", "\xEF\xBB\xBF[MainSettings]\r\nTitle=T\r\nAuthor=A\r\nFeatures=" +
                                               std::string(255, 'f') + "\r\nScriptFile=mod script.txt\r\n");
    WriteTextFile(mod / "mod script.txt", "o PATCH_D2.MPQ\r\n");
    DeleteFileA((mod / "mpq2k.exe").c_str());
    results = CheckModFolder(folder);
    EXPECT_EQ(results.size(), 11u);
    std::vector<std::string> problems;
    for (const CheckResult& result : results) {
        if (!result.ok)
            problems.push_back(ToCodePageLossy(result.text).substr(0, 40));
    }
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "modsettings.ini starts with a UTF-8 byte", "Features in [MainSettings] is 255 charac",
                            "The script never names patch_d2.mpq (in ", "mpq2k.exe, the archiver, which the insta"}));
}
