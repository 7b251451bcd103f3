#include "app/Failure.h"
#include "settings/Location.h"
#include "system/FileSystem.h"

#include "FormTestSupport.h"

#include <cctype>

namespace {

RECT RectInParent(HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ExpectLayoutAt(Form1& form, UINT dpi)
{
    ASSERT_EQ(form.Dpi(), dpi);
    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, TwipsToPixels(6090, dpi));
    EXPECT_EQ(client.bottom, TwipsToPixels(4395, dpi));
    for (const ControlSpec& layout : kForm1Controls) {
        const RECT expected = ControlRect(layout, dpi);
        const RECT actual = RectInParent(form.Control(layout.id));
        EXPECT_EQ(actual.left, expected.left) << layout.name << " at " << dpi;
        EXPECT_EQ(actual.top, expected.top) << layout.name << " at " << dpi;
        EXPECT_EQ(actual.right, expected.right) << layout.name << " at " << dpi;
        EXPECT_EQ(actual.bottom, expected.bottom) << layout.name << " at " << dpi;
    }
    LOGFONTA title{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(form.Control(kLabel1), WM_GETFONT, 0, 0)), sizeof title, &title);
    EXPECT_EQ(title.lfHeight, -MulDiv(825, static_cast<int>(dpi), 7200));
}

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

}  // namespace

TEST_F(FormTest, StartUpShowsTheModsTitleAuthorAndFeatures)
{
    WriteDescription("[MainSettings]\r\nTitle=Hardcore Horadrim & Friends\r\nAuthor=Vornikel\r\n"
                     "Features=" + std::string(254, 'f') + "\r\n");
    MessageBoxWatcher boxes;
    auto form = Start();
    ASSERT_TRUE(form->Handle());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));

    EXPECT_EQ(Text(form->Control(kLabel1)), "Hardcore Horadrim & Friends");
    EXPECT_EQ(Text(form->Control(kLabel2)), "Author: Vornikel");
    EXPECT_EQ(Text(form->Control(kText1)), "Mod Features: " + std::string(254, 'f'));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(Text(form->Handle()), "Vornikel 1.1 - Diablo 2 mod installer by the Vornikel team");
}

TEST_F(FormTest, AMissingDescriptionFileIsReportedThreeTimesAndStartUpGoesOn)
{
    DeleteFileA((mod / "modsettings.ini").c_str());
    MessageBoxWatcher boxes;
    auto form = Start();
    ASSERT_TRUE(form->Handle());

    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 3u);
    for (const auto& box : shown) {
        EXPECT_EQ(box.title, "File Not Found");
        EXPECT_EQ(box.text, mod.Path() + "\\modsettings.ini not found.");
        EXPECT_TRUE(box.criticalStopIcon);
    }
    EXPECT_EQ(Text(form->Control(kLabel1)), "");
    EXPECT_EQ(Text(form->Control(kLabel2)), "Author: ");
    EXPECT_EQ(Text(form->Control(kText1)), "Mod Features: ");
    EXPECT_EQ(form->Dir1().Path(), CurrentDrivePath());
}

TEST_F(FormTest, EveryControlHasItsKindParentAndFirstText)
{
    auto form = Start();
    const auto classOf = [](ControlKind kind) -> std::string {
        switch (kind) {
        case ControlKind::Frame:
        case ControlKind::Button:
            return "BUTTON";
        case ControlKind::Label:
        case ControlKind::Picture:
            return "STATIC";
        case ControlKind::TextBox:
            return "EDIT";
        case ControlKind::DriveList:
            return "COMBOBOX";
        case ControlKind::DirList:
            return "LISTBOX";
        }
        return "";
    };
    for (const ControlSpec& layout : kForm1Controls) {
        HWND control = form->Control(layout.id);
        ASSERT_TRUE(control) << layout.name;
        EXPECT_EQ(ClassOf(control), classOf(layout.kind)) << layout.name;
        EXPECT_EQ(GetParent(control), form->Control(layout.parent)) << layout.name;
    }
    for (ControlId id : {kFrame1, kFrame2, kFrame3, kLabel3, kCommand1, kLabel4, kLabel5, kText2, kText3})
        EXPECT_EQ(Text(form->Control(id)), FindControlSpec(id).text);
    EXPECT_EQ(Text(form->Control(kFrame2)), "Diablo 2 Directory");
    EXPECT_EQ(Text(form->Control(kText3)), "Text2");
    EXPECT_EQ(Text(form->Control(kCommand1)), "Install Mod");

    const LONG text1 = GetWindowLongA(form->Control(kText1), GWL_STYLE);
    EXPECT_TRUE(text1 & ES_MULTILINE);
    EXPECT_TRUE(text1 & WS_VSCROLL);
    EXPECT_TRUE(GetWindowLongA(form->Control(kText2), GWL_STYLE) & ES_MULTILINE);
    EXPECT_NE(SendMessageA(form->Control(kImage1), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
}

TEST_F(FormTest, KeyboardFocusFollowsTheTabOrder)
{
    auto form = Start();
    HWND window = form->Handle();
    const HWND order[] = {form->Control(kText1), form->Control(kDir1), form->Control(kDrive1),
                          form->Control(kCommand1), form->Control(kText1)};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(GetNextDlgTabItem(window, order[i], FALSE), order[i + 1]) << "after tab stop " << i;
}

TEST_F(FormTest, ControlsStandWhereTheLayoutPutsThemAtAnyDpi)
{
    auto form = Start();
    ExpectLayoutAt(*form, 96);
    // Beside the client area: at most 45 twips of the hidden script boxes show.
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_GE(RectInParent(form->Control(kText2)).left, client.right - 3);

    RECT suggested{0, 0, 700, 500};
    SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    ExpectLayoutAt(*form, 144);
    BITMAP banner{};
    GetObjectA(reinterpret_cast<HBITMAP>(SendMessageA(form->Control(kImage1), STM_GETIMAGE, IMAGE_BITMAP, 0)),
               sizeof banner, &banner);
    EXPECT_EQ(banner.bmWidth, 300);
    EXPECT_EQ(banner.bmHeight, 131);
}

TEST_F(FormTest, ChoosingADriveMovesTheDirectoryListToIt)
{
    ASSERT_NE(CurrentDrivePath()[0], 'C') << "the tests expect to start on another drive than C:";
    auto form = Start();
    EXPECT_EQ(form->Drive1().Letter(), static_cast<char>(std::tolower(CurrentDrivePath()[0])));

    ChooseDrive(*form, 'c');
    EXPECT_EQ(form->Drive1().Letter(), 'c');
    EXPECT_EQ(form->Dir1().Path(), "C:\\");
}

TEST_F(FormTest, ADriveThatCantBeReadIsReportedAndTheListReturnsToTheFoldersDrive)
{
    // A drive letter that points nowhere, like a drive without its disc.
    ASSERT_TRUE(DefineDosDeviceA(0, "Q:", "C:\\no drive here"));
    auto form = Start();
    const std::string before = form->Dir1().Path();

    MessageBoxWatcher boxes;
    ChooseDrive(*form, 'q');
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, "Q:", nullptr);

    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Drive Not Ready");
    EXPECT_EQ(shown[0].text.find("The drive q:"), 0u) << shown[0].text;
    EXPECT_NE(shown[0].text.find("(error "), std::string::npos) << shown[0].text;
    EXPECT_EQ(form->Dir1().Path(), before);
    EXPECT_EQ(form->Drive1().Letter(), static_cast<char>(std::tolower(before[0])));
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_EQ(form->ExitCode(), 0);
}

TEST_F(FormTest, StartUpOpensOnTheStoredLocationOnAnotherDrive)
{
    TempDir game;  // the temporary folder lies on C:
    ASSERT_EQ(game.Path()[0], 'C');
    SaveLocation(game.Path(), "C:");
    auto form = Start();

    EXPECT_EQ(form->Drive1().Letter(), 'c');
    EXPECT_EQ(form->Dir1().Path(), game.Path());
}

TEST_F(FormTest, AStoredDriveOrFolderThatIsGoneIsSkippedAndStaysStored)
{
    MessageBoxWatcher boxes;
    {
        SaveLocation("C:\\no such folder", "q: [GONE]");
        auto form = Start();
        EXPECT_EQ(form->Drive1().Letter(), static_cast<char>(std::tolower(CurrentDrivePath()[0])));
        EXPECT_EQ(form->Dir1().Path(), CurrentDrivePath());
    }
    {
        SaveLocation("C:\\no such folder", "c:");
        auto form = Start();
        EXPECT_EQ(form->Drive1().Letter(), 'c');
        EXPECT_EQ(form->Dir1().Path(), "C:\\");
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(LoadLocation().path, "C:\\no such folder");
    EXPECT_EQ(LoadLocation().drive, "c:");
}

TEST_F(FormTest, AFreshUserStartsOnTheFolderTheGameRecordedWhenItHoldsTheArchive)
{
    TempDir game;
    RecordGame(HKEY_CURRENT_USER, game.Path());
    {
        auto form = Start();
        EXPECT_EQ(form->Dir1().Path(), CurrentDrivePath());
    }
    WriteTextFile(game / "patch_d2.mpq", "MPQ");
    {
        auto form = Start();
        EXPECT_EQ(form->Drive1().Letter(), 'c');
        EXPECT_EQ(form->Dir1().Path(), game.Path());
    }
    // Nothing is remembered until the mod is installed.
    EXPECT_EQ(LoadLocation().path, "");
    EXPECT_EQ(LoadLocation().drive, "");

    // What the user chose last time wins over what the game recorded.
    TempDir chosen;
    SaveLocation(chosen.Path(), "c:");
    auto form = Start();
    EXPECT_EQ(form->Dir1().Path(), chosen.Path());
}

TEST(FailureReport, NamesTheOperationThePathAndTheSystemsText)
{
    const Win32Error failure("Copy file", "C:\\Games\\Diablo II\\patch_d2.mpq", ERROR_SHARING_VIOLATION);
    MessageBoxWatcher boxes;
    ShowFailure(nullptr, failure);

    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, kFailureTitle);
    EXPECT_EQ(shown[0].text, "Copy file failed.\n\nC:\\Games\\Diablo II\\patch_d2.mpq\n\n" +
                                 SystemErrorText(ERROR_SHARING_VIOLATION) + "\n\nThe installer will now close.");
    EXPECT_TRUE(shown[0].anyIcon);
}
