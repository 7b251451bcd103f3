#include "system/CodePage.h"
#include "system/PathText.h"
#include "system/Win32Error.h"
#include "window/DirList.h"

#include "FormTestSupport.h"

#include <algorithm>

namespace {

std::vector<std::string> OpenNames(const std::vector<FolderEntry>& entries)
{
    std::vector<std::string> names;
    for (const FolderEntry& entry : entries) {
        EXPECT_EQ(FromCodePage(entry.open), entry.shown);
        names.push_back(entry.open);
    }
    return names;
}

}  // namespace

TEST(ListSubfolders, ListsVisibleFoldersSortedWithoutRegardToCase)
{
    TempDir dir;
    for (const char* name : {"beta", "Alpha", "gamma", "Delta Force", "secret"})
        MakeDirectory(dir / name);
    SetFileAttributesA((dir / "secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteTextFile(dir / "aardvark.txt", "not a folder");

    EXPECT_EQ(OpenNames(ListSubfolders(dir.Path())),
              (std::vector<std::string>{"Alpha", "beta", "Delta Force", "gamma"}));
    EXPECT_TRUE(ListSubfolders(dir / "Alpha").empty());
    try {
        ListSubfolders(dir / "missing");
        FAIL() << "a missing folder was listed";
    } catch (const Win32Error& error) {
        EXPECT_EQ(error.Code(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
        EXPECT_EQ(error.Path(), dir / "missing");
    }
}

TEST(ListSubfolders, OrdersNamesAsTheSystemComparesThemPunctuationAndDigitsIncluded)
{
    TempDir dir;
    std::vector<std::string> names{"a-b", "ab", "a_b", "AB c", "a b", "a'b", "a.b",
                                   "_x",  "-x", "x-",  "10",   "9",   "B",   "b c"};
    for (const auto& name : names)
        MakeDirectory(dir / name);

    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    EXPECT_EQ(OpenNames(ListSubfolders(dir.Path())), names);
}

using Dir1Test = FormTest;

TEST_F(Dir1Test, ShowsTheWayDownAsOpenFoldersThenTheSubfolders)
{
    TempDir games;
    MakeDirectory(games / "Diablo II");
    MakeDirectory(games / "Diablo II\\Save");
    MakeDirectory(games / "Diablo II\\data");
    auto form = Start();
    DirList& dir1 = form->Dir1();

    dir1.SetPath(games / "Diablo II\\");
    EXPECT_EQ(dir1.Path(), games / "Diablo II");

    const auto open = SplitFolderPath(dir1.Path());
    ASSERT_EQ(dir1.OpenFolderCount(), static_cast<int>(open.size()));
    HWND list = dir1.Handle();
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(open.size() + 2));
    for (size_t i = 0; i < open.size(); ++i)
        EXPECT_EQ(EntryIndex(*form, open[i]), static_cast<int>(i));
    EXPECT_EQ(EntryIndex(*form, "data"), static_cast<int>(open.size()));
    EXPECT_EQ(EntryIndex(*form, "Save"), static_cast<int>(open.size() + 1));
    // The open folder is the one highlighted.
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), static_cast<LRESULT>(open.size() - 1));
}

TEST_F(Dir1Test, ADoubleClickOrEnterOpensAFolderASingleClickOnlyHighlightsIt)
{
    TempDir games;
    MakeDirectory(games / "Diablo II");
    auto form = Start();
    DirList& dir1 = form->Dir1();
    dir1.SetPath(games.Path());

    ClickEntry(*form, EntryIndex(*form, "Diablo II"));
    EXPECT_EQ(dir1.Path(), games.Path());
    DoubleClickEntry(*form, EntryIndex(*form, "Diablo II"));
    EXPECT_EQ(dir1.Path(), games / "Diablo II");

    // Up the way again, to the drive's root.
    DoubleClickEntry(*form, 0);
    EXPECT_EQ(dir1.Path(), games.Path().substr(0, 3));
    EXPECT_EQ(dir1.Path().back(), '\\');
    EXPECT_EQ(dir1.OpenFolderCount(), 1);

    // Enter, as the window's dialog keys pass it on.
    dir1.SetPath(games.Path());
    ClickEntry(*form, EntryIndex(*form, "Diablo II"));
    SetFocus(dir1.Handle());
    MSG enter{};
    enter.hwnd = dir1.Handle();
    enter.message = WM_KEYDOWN;
    enter.wParam = VK_RETURN;
    EXPECT_TRUE(IsDialogMessageA(form->Handle(), &enter));
    EXPECT_EQ(dir1.Path(), games / "Diablo II");

    // A name the code page can't hold is shown as it is and opened by its alias.
    const std::wstring polish = FromCodePage(games.Path()) + L"\\Diablo II \x141";
    ASSERT_TRUE(CreateDirectoryW(polish.c_str(), nullptr));
    dir1.SetPath(games.Path());
    const int last = static_cast<int>(SendMessageA(dir1.Handle(), LB_GETCOUNT, 0, 0)) - 1;
    EXPECT_EQ(dir1.EntryShownName(last), L"Diablo II \x141");
    DoubleClickEntry(*form, last);
    const std::string alias = AnsiPathOf(polish).value_or("?");
    EXPECT_EQ(dir1.Path(), games / alias.substr(alias.rfind('\\') + 1));
    EXPECT_EQ(dir1.EntryShownName(dir1.OpenFolderCount() - 1), L"Diablo II \x141");
}

TEST_F(Dir1Test, AFolderThatCantBeOpenedLeavesTheListAsItWas)
{
    TempDir games;
    WriteTextFile(games / "patch_d2.mpq", "MPQ");
    auto form = Start();
    DirList& dir1 = form->Dir1();
    dir1.SetPath(games.Path());
    const LRESULT entries = SendMessageA(dir1.Handle(), LB_GETCOUNT, 0, 0);

    EXPECT_THROW(dir1.SetPath(games / "gone"), Win32Error);
    EXPECT_THROW(dir1.SetPath(games / "patch_d2.mpq"), Win32Error);
    EXPECT_EQ(dir1.Path(), games.Path());
    EXPECT_EQ(SendMessageA(dir1.Handle(), LB_GETCOUNT, 0, 0), entries);
}

TEST_F(Dir1Test, AFolderGoneSinceItWasListedIsReportedAndTheListStays)
{
    TempDir games;
    MakeDirectory(games / "Diablo II");
    auto form = Start();
    form->Dir1().SetPath(games.Path());
    RemoveDirectoryA((games / "Diablo II").c_str());

    MessageBoxWatcher boxes;
    DoubleClickEntry(*form, EntryIndex(*form, "Diablo II"));

    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Folder Not Opened");
    EXPECT_EQ(shown[0].text,
              "The folder " + (games / "Diablo II") + " can't be read:\n\n" + SystemErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(form->Dir1().Path(), games.Path());
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_EQ(form->ExitCode(), 0);

    // Nor can a folder whose name the code page can't hold, on a volume without 8.3 names.
    const PlatformOverride noShortNames;
    ForgetShortNames();
    ASSERT_TRUE(CreateDirectoryW((FromCodePage(games.Path()) + L"\\\x141").c_str(), nullptr));
    form->Dir1().SetPath(games.Path());
    DoubleClickEntry(*form, form->Dir1().OpenFolderCount());
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].title, "Folder Not Opened");
    EXPECT_NE(boxes.Boxes()[1].text.find("Rename the folder"), std::string::npos) << boxes.Boxes()[1].text;
    EXPECT_EQ(form->Dir1().Path(), games.Path());
}

// How long it takes is the benchmark's (row 3); here, that none of them is lost.
TEST_F(Dir1Test, OpensAFolderOfTenThousandSubfoldersWhole)
{
    TempDir big;
    for (int i = 0; i < 10000; ++i)
        MakeDirectory(big / ("Folder " + std::to_string(i)));
    auto form = Start();
    form->Dir1().SetPath(big.Path());
    EXPECT_EQ(SendMessageA(form->Dir1().Handle(), LB_GETCOUNT, 0, 0), form->Dir1().OpenFolderCount() + 10000);
}

// Japanese Windows' code page, 932, where "ソ" is the bytes 0x83 0x5C, the second of them the byte
// of "\\": the list takes paths apart by characters. Runs in the prefix of a Japanese locale.
TEST_F(Dir1Test, TakesPathsApartByCharactersInCodePage932)
{
    ASSERT_EQ(GetACP(), 932u);
    const std::string so = ToCodePage(L"\x30BD").value();
    const std::string software = ToCodePage(L"\x30BD\x30D5\x30C8").value();
    ASSERT_EQ(so, "\x83\x5C");
    EXPECT_EQ(SplitFolderPath("C:\\" + software + "\\" + so), (std::vector<std::string>{"C:\\", software, so}));
    EXPECT_EQ(JoinPath("C:\\" + so, "Save"), "C:\\" + so + "\\Save");

    TempDir games;
    MakeDirectory(games / software);
    MakeDirectory(games / software + "\\Diablo II");
    MakeDirectory(games / so);
    MakeDirectory(games / so + "\\Save");
    auto form = Start();
    DirList& dir1 = form->Dir1();
    dir1.SetPath(games.Path());
    DoubleClickEntry(*form, EntryIndex(*form, software));
    DoubleClickEntry(*form, EntryIndex(*form, "Diablo II"));
    EXPECT_EQ(dir1.Path(), games / software + "\\Diablo II");
    dir1.SetPath(games / so + "\\");
    EXPECT_EQ(dir1.Path(), games / so);
    EXPECT_EQ(EntryIndex(*form, "Save"), dir1.OpenFolderCount());
}
