#include "install/Failure.h"
#include "settings/Location.h"
#include "system/CodePage.h"
#include "system/FileSystem.h"
#include "system/Texts.h"

#include "FormTestSupport.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>

namespace {

RECT RectInParent(HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Where each control stands in its parent, in pixels: the layout's twips divided by 15 at 96 DPI and
// by 10 at 144 DPI, halves rounded up.
struct Placed {
    ControlId id;
    RECT at96;
    RECT at144;
};

const Placed kPlaced[] = {
    {kFrame1, {3, 4, 395, 99}, {5, 6, 593, 149}},          {kLabel1, {12, 14, 387, 33}, {18, 21, 581, 50}},
    {kLabel2, {12, 34, 389, 52}, {18, 51, 584, 78}},       {kText1, {11, 53, 388, 87}, {17, 80, 583, 131}},
    {kFrame2, {2, 102, 186, 287}, {3, 153, 279, 431}},     {kDir1, {6, 68, 177, 179}, {9, 102, 266, 269}},
    {kDrive1, {6, 44, 177, 65}, {9, 66, 266, 98}},         {kLabel3, {7, 17, 176, 43}, {11, 26, 265, 65}},
    {kFrame3, {190, 202, 402, 289}, {285, 303, 603, 434}}, {kCommand1, {7, 18, 207, 43}, {11, 27, 311, 65}},
    {kLabel4, {43, 45, 174, 58}, {65, 68, 262, 88}},       {kText2, {403, 111, 553, 194}, {605, 167, 830, 292}},
    {kText3, {404, 108, 554, 191}, {606, 162, 831, 287}},  {kLabel5, {4, 57, 205, 81}, {6, 86, 308, 122}},
    {kImage1, {194, 109, 394, 196}, {291, 164, 591, 295}},
};

int IconWidth(HWND window, WPARAM kind)
{
    ICONINFO info{};
    BITMAP bitmap{};
    if (GetIconInfo(reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, kind, 0)), &info)) {
        GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    return bitmap.bmWidth;
}

void ExpectLayoutAt(Form1& form, UINT dpi, SIZE client, int titleHeight)
{
    ASSERT_EQ(form.Dpi(), dpi);
    RECT area;
    GetClientRect(form.Handle(), &area);
    EXPECT_EQ(area.right, client.cx);
    EXPECT_EQ(area.bottom, client.cy);
    for (const Placed& placed : kPlaced) {
        const RECT expected = dpi == 96 ? placed.at96 : placed.at144;
        const RECT actual = RectInParent(form.Control(placed.id));
        EXPECT_TRUE(EqualRect(&actual, &expected))
            << FindControlSpec(placed.id).name << " at " << dpi << ": " << actual.left << "," << actual.top << ","
            << actual.right << "," << actual.bottom;
    }
    LOGFONTA title{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(form.Control(kLabel1), WM_GETFONT, 0, 0)), sizeof title, &title);
    EXPECT_EQ(title.lfHeight, titleHeight);
    EXPECT_EQ(IconWidth(form.Handle(), ICON_BIG), MulDiv(32, dpi, 96));
    EXPECT_EQ(IconWidth(form.Handle(), ICON_SMALL), MulDiv(16, dpi, 96));
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
    WriteDescription(
        "[MainSettings]\r\nTitle=Hardcore Horadrim & Friends\r\nAuthor=Vornikel\r\n"
        "Features=" +
        std::string(254, 'f') + "\r\n");
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
    struct Expected {
        ControlId id;
        const char* className;
        ControlId parent;
        const char* text;  // as created; null for what start-up fills
    };
    const Expected controls[] = {
        {kFrame1, "BUTTON", kForm1, "Mod Info"},
        {kLabel1, "STATIC", kFrame1, nullptr},
        {kLabel2, "STATIC", kFrame1, nullptr},
        {kText1, "EDIT", kFrame1, nullptr},
        {kFrame2, "BUTTON", kForm1, "Diablo 2 Directory"},
        {kDir1, "LISTBOX", kFrame2, nullptr},
        {kDrive1, "COMBOBOX", kFrame2, nullptr},
        {kLabel3, "STATIC", kFrame2, "Please select your diablo 2 directory."},
        {kFrame3, "BUTTON", kForm1, "Complete Install"},
        {kCommand1, "BUTTON", kFrame3, "Install Mod"},
        {kLabel4, "STATIC", kFrame3, ""},
        {kText2, "EDIT", kForm1, "Text2"},
        {kText3, "EDIT", kForm1, "Text2"},
        {kLabel5, "STATIC", kFrame3, ""},
        {kImage1, "STATIC", kForm1, nullptr},
    };
    for (const Expected& expected : controls) {
        HWND control = form->Control(expected.id);
        ASSERT_TRUE(control) << expected.className;
        EXPECT_EQ(ClassOf(control), expected.className) << FindControlSpec(expected.id).name;
        EXPECT_EQ(GetParent(control), form->Control(expected.parent)) << FindControlSpec(expected.id).name;
        if (expected.text) {
            EXPECT_EQ(Text(control), expected.text);
        }
    }

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
    const HWND order[] = {form->Control(kText1), form->Control(kDir1), form->Control(kDrive1), form->Control(kCommand1),
                          form->Control(kText1)};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(GetNextDlgTabItem(window, order[i], FALSE), order[i + 1]) << "after tab stop " << i;
}

TEST_F(FormTest, ControlsStandWhereTheLayoutPutsThemAtAnyDpi)
{
    auto form = Start();
    ExpectLayoutAt(*form, 96, {406, 293}, -11);
    // Beside the client area: at most 45 twips of the hidden script boxes show.
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_GE(RectInParent(form->Control(kText2)).left, client.right - 3);

    RECT suggested{0, 0, 700, 500};
    SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    ExpectLayoutAt(*form, 144, {609, 440}, -17);
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

namespace {

std::wstring WideText(HWND control)
{
    wchar_t text[256] = L"";
    GetWindowTextW(control, text, 256);
    return text;
}

}  // namespace

// Russian, which no Western code page holds: an ANSI window would show question marks.
TEST_F(FormTest, TheWindowSpeaksItsLanguageInWideTextsAndItsBoxesToo)
{
    auto form = Start(Language::Russian);
    ASSERT_NE(::Text(Language::Russian, IDS_INSTALL_MOD), ::Text(Language::English, IDS_INSTALL_MOD));
    EXPECT_EQ(WideText(form->Control(kCommand1)), ::Text(Language::Russian, IDS_INSTALL_MOD));
    EXPECT_EQ(WideText(form->Control(kLabel2)), ::Text(Language::Russian, IDS_AUTHOR, {L"Tester"}));
    HMENU menu = GetSystemMenu(form->Handle(), FALSE);
    SendMessageW(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
    wchar_t item[256] = L"";
    GetMenuStringW(menu, 0x0010, item, 256, MF_BYCOMMAND);
    EXPECT_EQ(item, ::Text(Language::Russian, IDS_RESTORE_FROM_BACKUP));

    form.reset();
    PumpMessages();
    form = Start(Language::German);
    MessageBoxWatcher boxes;
    form->OpenFolder(L"C:\\no such folder");
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title,
              "Ordner nicht ge\xF6"
              "ffnet");
    EXPECT_EQ(shown[0].text.find("Der Ordner C:\\no such folder kann nicht gelesen werden:"), 0u) << shown[0].text;
}

namespace {

// The texts each control shows, with the values of a typical mod.
struct Shown {
    ControlId control;
    UINT id;
    std::array<std::wstring_view, 3> values;
};
const Shown kShownTexts[] = {
    {kFrame1, IDS_MOD_INFO, {}},
    {kFrame2, IDS_GAME_FOLDER, {}},
    {kLabel3, IDS_SELECT_GAME_FOLDER, {}},
    {kFrame3, IDS_COMPLETE_INSTALL, {}},
    {kCommand1, IDS_INSTALL_MOD, {}},
    {kLabel2, IDS_AUTHOR, {L"The Vornikel team"}},
    {kLabel5, IDS_INSTALLED_HERE_AND_ONE_MORE, {L"Median XL", L"2024-01-01"}},
    {kLabel5, IDS_INSTALLED_HERE_AND_MORE, {L"Median XL", L"2024-01-01", L"12"}},
    {kLabel5, IDS_INTERRUPTED_HERE, {L"Median XL", L"2024-01-01"}},
    {kLabel4, IDS_STATUS_CANCELLED, {}},
    {kLabel4, IDS_STATUS_NOT_FOUND, {}},
    {kLabel4, IDS_STATUS_DAMAGED, {}},
    {kLabel4, IDS_STATUS_READ_ONLY, {}},
    {kLabel4, IDS_STATUS_IN_USE, {}},
    {kLabel4, IDS_STATUS_NOT_CONFIRMED, {}},
    {kLabel4, IDS_STATUS_INSTALLED, {}},
    {kLabel4, IDS_STATUS_FAILED, {}},
    {kLabel4, IDS_STATUS_RESTORED, {}},
    {kLabel4, IDS_STATUS_FOLDER, {}},
    {kLabel4, IDS_PROGRESS_INSTALLING, {}},
    {kLabel4, IDS_PROGRESS_CHECKING_THE_MOD, {}},
    {kLabel4, IDS_PROGRESS_CHECKING_THE_ARCHIVE, {}},
    {kLabel4, IDS_PROGRESS_BACKING_UP, {L"100"}},
    {kLabel4, IDS_PROGRESS_RESTORING, {L"100"}},
    {kLabel5, IDS_BACKUP_LINE, {L"C:\\Program Files (x86)\\Diablo II\\patch_d2_backup.mpq"}},
};

// How many pixels `text` needs beyond the height where `control` shows it, in its font: a label
// the lines of its client area, wrapped at spaces; a group frame one line between its corners; a
// button one line of its face, inside its edges; INT_MAX where it is too wide. A label's last line
// counts where most of it shows: Label5 is 24 pixels high at 96 DPI, for two lines of 13.
int Overflow(HWND control, ControlKind kind, UINT dpi, const std::wstring& text)
{
    RECT room;
    GetClientRect(control, &room);
    if (kind == ControlKind::Button)
        InflateRect(&room, -MulDiv(4, dpi, 96), -MulDiv(4, dpi, 96));
    else if (kind == ControlKind::Frame)
        InflateRect(&room, -MulDiv(8, dpi, 96), 0);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT needed{0, 0, room.right - room.left, 0};
    DrawTextW(dc, text.c_str(), -1, &needed,
              DT_CALCRECT | DT_NOPREFIX | (kind == ControlKind::Label ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    const int lineHeight = metrics.tmHeight;
    const int lines = kind == ControlKind::Label ? (room.bottom - room.top + lineHeight / 2) / lineHeight : 1;
    const int height = kind == ControlKind::Button ? room.bottom - room.top : lines * lineHeight;
    return needed.right > room.right - room.left ? INT_MAX : needed.bottom - height;
}

bool Fits(HWND control, ControlKind kind, UINT dpi, const std::wstring& text)
{
    return Overflow(control, kind, dpi, text) <= 0;
}

}  // namespace

TEST_F(FormTest, EveryTextOfEveryLanguageFitsItsControlAt96And144Dpi)
{
    auto form = Start();
    // Chinese, Japanese and Korean characters are about as wide as a line is high, in a font Windows
    // links to the window's (Wine needs one installed); a font without them measures them narrow.
    ASSERT_FALSE(Fits(form->Control(kCommand1), ControlKind::Button, 96, std::wstring(20, L'\x5B89')))
        << "no font for Chinese is linked to the window's font";
    for (const UINT dpi : {96u, 144u}) {
        RECT suggested{0, 0, 700, 500};
        SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        for (const Language language : kLanguages) {
            for (const auto& [control, id, values] : kShownTexts) {
                const std::wstring text = ::Text(language, id, {values[0], values[1], values[2]});
                // Some English status lines need more than their line in Wine's wider font; no
                // translation needs more than they do.
                const HWND shown = form->Control(control);
                const ControlKind kind = FindControlSpec(control).kind;
                const std::wstring english = ::Text(Language::English, id, {values[0], values[1], values[2]});
                EXPECT_LE(Overflow(shown, kind, dpi, text), std::max(0, Overflow(shown, kind, dpi, english)))
                    << CodeOf(language) << " at " << dpi << " DPI in " << FindControlSpec(control).name << ": "
                    << ToUtf8(text);
            }
        }
    }
}
