#include "install/ScriptAdditions.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

// The a lines while the game's archive is open, named as the archiver's manual names them.
TEST(ScriptAdditions, AreTheFilesTheALinesAddToTheGamesArchiveByTheirNamesInIt)
{
    TempDir mod;
    for (const char* folder : {"data", "data\\global", "data\\global\\ui", "empty"})
        MakeDirectory(mod / folder);
    for (const char* file : {"armor.txt", "data\\a.dc6", "data\\b.dc6", "data\\global\\ui\\c.dc6", "data\\x.wav"})
        WriteTextFile(mod / file, "12345");
    const std::string script =
        "a armor.txt\r\n"  // before the game's archive is open
        "o patch_d2.mpq\r\n"
        "a armor.txt data\\global\\excel\\armor.txt /c\r\n"
        "a data/a.dc6\r\n"
        "a data\\*.dc6 /auto /r\r\n"
        "A data\\*.wav sound /wav\r\n"
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
    EXPECT_EQ(names, (std::vector<std::string>{"data\\global\\excel\\armor.txt", "data/a.dc6", "data\\a.dc6",
                                               "data\\b.dc6", "data\\global\\ui\\c.dc6", "sound\\x.wav"}));
    EXPECT_EQ(added.files[0].source, mod / "armor.txt");
    EXPECT_EQ(added.missing, (std::vector<std::string>{"missing.txt", "empty\\*"}));
}
