#include "FormTestSupport.h"

void FormTest::SetUp()
{
    unexpectedBoxes.emplace([](const ShownBox& box) {
        ADD_FAILURE() << "an unexpected message box came up: " << box.title << ": " << box.text;
    });
    ForgetGameLocations();
    WriteDescription("[MainSettings]\r\nTitle=Test Mod\r\nAuthor=Tester\r\nFeatures=Everything\r\n");
}

void FormTest::TearDown()
{
    ForgetGameLocations();
    // A closed window leaves its quit message behind; it must not end a later message box.
    PumpMessages();
}

std::unique_ptr<Form1> FormTest::Start(Language language)
{
    auto form = std::make_unique<Form1>(mod.Path(), language);
    form->Create(GetModuleHandleA(nullptr));
    return form;
}

std::string FormTest::Text(HWND control)
{
    std::string text(static_cast<size_t>(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
    SendMessageA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(strlen(text.c_str()));
    return text;
}

std::string FormTest::CurrentDrivePath()
{
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, current);
    return current;
}

void FormTest::ChooseDrive(Form1& form, char letter)
{
    HWND combo = form.Drive1().Handle();
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[MAX_PATH] = "";
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        if (text[0] == letter) {
            SendMessageA(combo, CB_SETCURSEL, i, 0);
            SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(kDrive1, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
            return;
        }
    }
    ADD_FAILURE() << "no drive " << letter << ": in the list";
}

void FormTest::ClickEntry(Form1& form, int index)
{
    HWND list = form.Dir1().Handle();
    SendMessageA(list, LB_SETCURSEL, index, 0);
    SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(kDir1, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void FormTest::DoubleClickEntry(Form1& form, int index)
{
    ClickEntry(form, index);
    HWND list = form.Dir1().Handle();
    SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(kDir1, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
}

int FormTest::EntryIndex(Form1& form, const std::string& text)
{
    return static_cast<int>(SendMessageA(form.Dir1().Handle(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(text.c_str())));
}
