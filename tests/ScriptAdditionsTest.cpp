#include "install/ScriptAdditions.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

// The a lines while the game's archive is open, named as the archiver's manual names them.
TEST(ScriptAdditions, AreTheFilesTheALinesAddToTheGamesArchiveByTheirNamesInIt)
{
    TempDir mod;
    for (const char* folder : {"data", "data\\global", "data\\global\\ui", "empty"})
        MakeDirectory(mod / folder);
    for (const char* file : {"armor.txt", "data\\a.dc6", "data\\b.dc6", "data\\global\\ui\\c.dc6", "data\\x.wav",
                             "a long name.txt", "data\\\xE9.txt"})
        WriteTextFile(mod / file, "12345");
    char alias[MAX_PATH] = "";
    ASSERT_TRUE(GetShortPathNameA((mod / "a long name.txt").c_str(), alias, MAX_PATH) && std::strchr(alias, '~'));
    const std::string script =
        "a armor.txt\r\n"  // before the game's archive is open
        "o patch_d2.mpq\r\n"
        "a armor.txt data\\global\\excel\\armor.txt /c\r\n"
        "a data/a.dc6\r\n"
        "a DATA\\B.DC6 b.dc6\r\na DATA\\\xC9.TXT accent.txt\r\n" +
        std::string("a ") + (std::strrchr(alias, '\\') + 1) +
        " alias.txt\r\n"
        "a data\\*.dc6 /R /auto\r\n"
        "A data\\*.wav sound /wav /c\r\n"
        "a missing.txt\r\n"
        "a empty\\*\r\n"
        "o other.mpq\r\n"
        "a armor.txt\r\n";
    const ScriptAdditions added = WhatTheScriptAdds(script, mod.Path());
    std::vector<std::string> names;
    for (const AddedFile& file : added.files) {
        names.push_back(file.name);
        EXPECT_EQ(file.size, 5u);
        EXPECT_EQ(file.lossy, file.name == "sound\\x.wav");
    }
    EXPECT_EQ(names, (std::vector<std::string>{"data\\global\\excel\\armor.txt", "data/a.dc6", "b.dc6", "accent.txt",
                                               "alias.txt", "data\\a.dc6", "data\\b.dc6", "data\\global\\ui\\c.dc6",
                                               "sound\\x.wav"}));
    EXPECT_EQ(added.files[0].source, mod / "armor.txt");
    EXPECT_EQ(added.missing, (std::vector<std::string>{"missing.txt", "empty\\*"}));
}

// Links back up the tree, made beside the tests on the Linux side, as Wine makes none: Wine shows
// them as reparse points. /r lists what lies below and passes over them, where it would never end.
TEST(ScriptAdditions, PatternsWithRNeverGoIntoLinks)
{
    const std::string loop = BesideThisProgram("link-loop");
    ASSERT_NE(GetFileAttributesA((loop + "\\data\\self").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    WriteTextFile(loop + "\\data\\sub\\a.txt", "a");
    ScriptAdditions added = WhatTheScriptAdds("o patch_d2.mpq\r\n\r\na data\\* d /r\r\n", loop);
    ASSERT_EQ(added.files.size(), 1u);
    EXPECT_EQ(added.files[0].name, "d\\sub\\a.txt");
    std::vector<std::string> links;
    for (const LinkPassedOver& link : added.links)
        links.push_back(std::to_string(link.line) + " " + link.folder);
    std::sort(links.begin(), links.end());
    EXPECT_EQ(links, (std::vector<std::string>{"3 " + loop + "\\data\\self", "3 " + loop + "\\data\\sub\\up"}));
}
