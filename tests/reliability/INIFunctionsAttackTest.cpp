// modsettings.ini as a careless or hostile mod may ship it: the window still starts, shows at
// most 254 characters a value, says "File Not Found" only when there is no usable file, and
// never changes the file.
#include "description/INIFunctions.h"

#include "FormTestSupport.h"
#include "OtherProcess.h"
#include "Tally.h"

#include <random>

using namespace std::string_literals;

namespace {

struct Shown {
    std::string title;
    std::string author;
    std::string features;
    std::vector<ShownBox> boxes;
    bool started = false;
};

}  // namespace

class INIFunctionsAttack : public FormTest {
protected:
    // Starts the window on the description file as it stands, and checks it was left as it was.
    Shown StartOnDescription()
    {
        const std::string path = mod / "modsettings.ini";
        const bool isFile = (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) == 0;
        const std::string before = isFile ? ReadTextFile(path) : "";
        Shown shown;
        {
            MessageBoxWatcher boxes;
            auto form = Start();
            shown.started = form->Handle() != nullptr && form->ExitCode() == 0;
            if (shown.started) {
                shown.title = Text(form->Control(kLabel1));
                shown.author = Text(form->Control(kLabel2));
                shown.features = Text(form->Control(kText1));
            }
            form.reset();
            shown.boxes = boxes.Boxes();
        }
        PumpMessages();
        if (isFile) {
            EXPECT_EQ(ReadTextFile(path), before) << "the description file was changed";
        }
        EXPECT_TRUE(shown.started) << "the window didn't start";
        return shown;
    }

    void ExpectNotFoundThreeTimes(const Shown& shown)
    {
        ASSERT_EQ(shown.boxes.size(), 3u);
        for (const ShownBox& box : shown.boxes) {
            EXPECT_EQ(box.title, "File Not Found");
            EXPECT_EQ(box.text, (mod / "modsettings.ini") + " not found.");
            EXPECT_TRUE(box.criticalStopIcon);
        }
        EXPECT_EQ(shown.title, "");
        EXPECT_EQ(shown.author, "Author: ");
        EXPECT_EQ(shown.features, "Mod Features: ");
    }
};

TEST_F(INIFunctionsAttack, BinaryJunkAndNulBytesGiveShortValuesAndNoBox)
{
    std::mt19937 engine(7);
    for (int round = 0; round < 4; ++round) {
        AttackCase attack(Attack::BadInput);
        std::string junk;
        for (int i = 0; i < 8192; ++i)
            junk += static_cast<char>(engine() % 256);
        // Junk around a real section, so that the reader meets it on its way to the values.
        WriteDescription(junk + "\r\n[MainSettings]\r\nTitle=Real" + junk.substr(0, 600) + "\r\n" + junk);
        const Shown shown = StartOnDescription();
        EXPECT_TRUE(shown.boxes.empty());
        EXPECT_LE(shown.title.size(), 254u);
        EXPECT_LE(shown.author.size(), 254u + 8);
        EXPECT_LE(shown.features.size(), 254u + 14);
    }
    AttackCase attack(Attack::BadInput);
    WriteDescription("[MainSettings]\r\nTitle=ab\0cd\r\nAuthor=After the NUL\r\n"s);
    const Shown shown = StartOnDescription();
    EXPECT_TRUE(shown.boxes.empty());
    EXPECT_EQ(shown.title.substr(0, 2), "ab");
    EXPECT_EQ(shown.title.find('\0'), std::string::npos);
}

TEST_F(INIFunctionsAttack, ByteOrderMarkAndMissingOrLoneLineEndsStillRead)
{
    {
        AttackCase attack(Attack::BadInput);
        // Windows doesn't parse the first line after a byte-order mark, Wine does: the title is
        // read or missing, never shown with the mark's bytes; later lines read either way.
        WriteDescription("\xEF\xBB\xBF[MainSettings]\r\nTitle=Marked\r\n[MainSettings]\r\nAuthor=Marked Author\r\n");
        const Shown shown = StartOnDescription();
        EXPECT_TRUE(shown.title == "Marked" || shown.title.empty()) << shown.title;
        EXPECT_TRUE(shown.boxes.empty());
    }
    {
        AttackCase attack(Attack::BadInput);
        WriteDescription("[MainSettings]\r\nAuthor=Nobody\r\nTitle=No Line End");
        const Shown shown = StartOnDescription();
        EXPECT_EQ(shown.title, "No Line End");
        EXPECT_EQ(shown.author, "Author: Nobody");
    }
    {
        AttackCase attack(Attack::BadInput);
        WriteDescription("[MainSettings]\nTitle=Unix\nAuthor=Lines\n");
        const Shown shown = StartOnDescription();
        EXPECT_EQ(shown.title, "Unix");
        EXPECT_EQ(shown.author, "Author: Lines");
    }
    {
        AttackCase attack(Attack::BadInput);
        WriteDescription("[MainSettings]\rTitle=Carriage\rAuthor=Returns\r");
        const Shown shown = StartOnDescription();
        EXPECT_TRUE(shown.boxes.empty());
        EXPECT_EQ(shown.title.find('\r'), std::string::npos);
        EXPECT_LE(shown.title.size(), 254u);
    }
}

TEST_F(INIFunctionsAttack, LongLinesAndLongValuesAreCutTo254Characters)
{
    {
        AttackCase attack(Attack::BadInput);
        WriteDescription("[MainSettings]\r\nTitle=" + std::string(1 << 20, 'x') +
                         "\r\nAuthor=After\r\nFeatures=" + std::string(300, 'f') + "\r\n");
        const Shown shown = StartOnDescription();
        EXPECT_EQ(shown.title, std::string(254, 'x'));
        EXPECT_EQ(shown.author, "Author: After");
        EXPECT_EQ(shown.features, "Mod Features: " + std::string(254, 'f'));
    }
    {
        AttackCase attack(Attack::BadInput);
        WriteDescription("[MainSettings]\r\nTitle=" + std::string(255, 'y') + "\r\n");
        EXPECT_EQ(StartOnDescription().title, std::string(254, 'y'));
    }
}

TEST_F(INIFunctionsAttack, OnlyCommentsAndRepeatedSectionsAndKeys)
{
    {
        AttackCase attack(Attack::BadInput);
        WriteDescription(";[MainSettings]\r\n;Title=Commented\r\n; Author=Out\r\n");
        const Shown shown = StartOnDescription();
        EXPECT_TRUE(shown.boxes.empty());
        EXPECT_EQ(shown.title, "");
        EXPECT_EQ(shown.author, "Author: ");
        EXPECT_EQ(shown.features, "Mod Features: ");
    }
    {
        AttackCase attack(Attack::BadInput);
        WriteDescription("[MainSettings]\r\nTitle=First\r\nTitle=Second\r\n[MainSettings]\r\nTitle=Third\r\n");
        EXPECT_EQ(StartOnDescription().title, "First");
    }
}

TEST_F(INIFunctionsAttack, ADirectoryOrAHiddenOrSystemFileCountsAsMissing)
{
    const std::string path = mod / "modsettings.ini";
    DeleteFileA(path.c_str());
    {
        AttackCase attack(Attack::BadInput);
        MakeDirectory(path);
        ExpectNotFoundThreeTimes(StartOnDescription());
        RemoveDirectoryA(path.c_str());
    }
    for (const DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
        AttackCase attack(Attack::BadInput);
        WriteDescription("[MainSettings]\r\nTitle=Hidden\r\n");
        SetFileAttributesA(path.c_str(), attribute);
        ExpectNotFoundThreeTimes(StartOnDescription());
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(INIFunctionsAttack, AFileLockedByAnotherProcessReadsAsEmptyValues)
{
    AttackCase attack(Attack::Fault);
    WriteDescription("[MainSettings]\r\nTitle=Locked\r\nAuthor=Away\r\n");
    const HeldByAnotherProcess held(mod / "modsettings.ini");
    ASSERT_TRUE(held.Holding());
    const Shown shown = StartOnDescription();
    EXPECT_TRUE(shown.boxes.empty());
    EXPECT_EQ(shown.title, "");
    EXPECT_EQ(shown.author, "Author: ");
}
