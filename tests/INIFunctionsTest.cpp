#include "description/INIFunctions.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using INIFunctions::INIFile;
using INIFunctions::ReadINI;

namespace {

class INIFunctionsTest : public testing::Test {
protected:
    void SetUp() override { INIFile = dir / "modsettings.ini"; }

    TempDir dir;
};

}  // namespace

TEST_F(INIFunctionsTest, ReadsValuesEmptyAndMissingKeysAlikeWithoutAnyBox)
{
    WriteTextFile(INIFile,
                  "[MainSettings]\r\nTitle=\r\nAuthor = Vornikel \r\nFeatures=\"Quoted\" ; not a comment\r\n"
                  "ScriptFile=mod.txt\r\n[Other]\r\nOnly=here\r\n");
    MessageBoxWatcher boxes;
    EXPECT_EQ(ReadINI("MainSettings", "Title"), "");
    EXPECT_EQ(ReadINI("MainSettings", "Missing"), "");
    EXPECT_EQ(ReadINI("NoSuchSection", "Title"), "");
    EXPECT_EQ(ReadINI("mainsettings", "AUTHOR"), "Vornikel");
    EXPECT_EQ(ReadINI("MainSettings", "Features"), "\"Quoted\" ; not a comment");
    EXPECT_EQ(ReadINI("MainSettings", "ScriptFile"), "mod.txt");
    EXPECT_EQ(ReadINI("MainSettings", "Only"), "");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(INIFunctionsTest, KeepsAValueOf254CharactersAndCutsALongerOneThere)
{
    const std::string exact(254, 'x');
    const std::string longer = std::string(254, 'y') + std::string(46, 'z');
    WriteTextFile(INIFile, "[MainSettings]\r\nExact=" + exact + "\r\nLonger=" + longer + "\r\n");
    EXPECT_EQ(ReadINI("MainSettings", "Exact"), exact);
    EXPECT_EQ(ReadINI("MainSettings", "Longer"), std::string(254, 'y'));
}

TEST_F(INIFunctionsTest, AMissingFileShowsItsBoxOnEveryReadAndReadsEmpty)
{
    MessageBoxWatcher boxes;
    EXPECT_EQ(ReadINI("MainSettings", "Title"), "");
    EXPECT_EQ(ReadINI("MainSettings", "Title"), "");

    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 2u);
    for (const auto& box : shown) {
        EXPECT_EQ(box.title, "File Not Found");
        EXPECT_EQ(box.text, INIFile + " not found.");
        EXPECT_TRUE(box.criticalStopIcon);
        EXPECT_TRUE(box.onlyOkButton);
    }
}

TEST_F(INIFunctionsTest, HiddenOrSystemFilesAndFoldersCountAsMissingReadOnlyDoesNot)
{
    WriteTextFile(INIFile, "[MainSettings]\r\nTitle=Hidden mod\r\n");
    MessageBoxWatcher boxes;

    SetFileAttributesA(INIFile.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(ReadINI("MainSettings", "Title"), "");
    SetFileAttributesA(INIFile.c_str(), FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(ReadINI("MainSettings", "Title"), "");
    SetFileAttributesA(INIFile.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(ReadINI("MainSettings", "Title"), "Hidden mod");
    SetFileAttributesA(INIFile.c_str(), FILE_ATTRIBUTE_NORMAL);

    INIFile = dir.Path();
    EXPECT_EQ(ReadINI("MainSettings", "Title"), "");
    EXPECT_EQ(boxes.Boxes().size(), 3u);
}

TEST_F(INIFunctionsTest, SeesTheFileAsItIsAtEachRead)
{
    WriteTextFile(INIFile, "[MainSettings]\r\nTitle=First\r\n");
    EXPECT_EQ(ReadINI("MainSettings", "Title"), "First");

    DeleteFileA(INIFile.c_str());
    WriteTextFile(INIFile, "[MainSettings]\r\nTitle=Second, a longer title\r\n");
    EXPECT_EQ(ReadINI("MainSettings", "Title"), "Second, a longer title");

    DeleteFileA(INIFile.c_str());
    MessageBoxWatcher boxes;
    EXPECT_EQ(ReadINI("MainSettings", "Title"), "");
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}
