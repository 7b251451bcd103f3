#include "window/Form1.h"

#include "commandline/CommandLine.h"
#include "description/INIFunctions.h"
#include "install/Failure.h"
#include "install/GameFiles.h"
#include "install/InstalledMods.h"
#include "install/LastInstall.h"
#include "resources/resource.h"
#include "settings/Location.h"
#include "system/CodePage.h"
#include "system/Drives.h"
#include "system/Elevation.h"
#include "system/FileSystem.h"
#include "system/Platform.h"
#include "system/Texts.h"
#include "system/UserMessages.h"
#include "window/Banner.h"

#include <commctrl.h>

const wchar_t* const kForm1Title = L"Vornikel 1.1 - Diablo 2 mod installer by the Vornikel team";

namespace {

const wchar_t* const kClassName = L"VornikelForm1";

// The system menu's own commands use the values from 0xF000 up, and their low four bits.
constexpr UINT kRestoreCommand = 0x0010;
constexpr UINT kInstallOntoTheOriginalCommand = 0x0020;

// Carries out a press (a Press) once the window runs its messages; above the installer's own.
constexpr UINT kPressMessage = WM_APP + 16;

UINT WindowDpi(HWND window)
{
    // GetDpiForWindow exists from Windows 10 on; older systems have one DPI for everything.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow)
        return getDpiForWindow(window);
    return static_cast<UINT>(GetDeviceCaps(ScreenDC().Get(), LOGPIXELSY));
}

// The size of the system's icons of kind `metric` (SM_CXICON, SM_CXSMICON) at `dpi`; Windows
// before 10 has one DPI for everything.
int IconSize(int metric, UINT dpi)
{
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetSystemMetricsForDpi")));
    return forDpi ? forDpi(metric, dpi) : GetSystemMetrics(metric);
}

// The window's icon at `size` pixels: scaled down from the icon's larger image by the common
// controls where they can, which looks better than the icon's nearest image stretched.
ScopedIcon LoadIconAt(HINSTANCE instance, int size)
{
    using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    static const auto scaleDown = reinterpret_cast<LoadIconWithScaleDownFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("comctl32.dll"), "LoadIconWithScaleDown")));
    HICON icon = nullptr;
    if (scaleDown && SUCCEEDED(scaleDown(instance, MAKEINTRESOURCEW(IDI_INSTALL), size, size, &icon)))
        return ScopedIcon(icon);
    return ScopedIcon(
        static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_INSTALL), IMAGE_ICON, size, size, 0)));
}

// Group frames contain their controls, as in the layout; what the controls tell their parent
// goes on to the window, which handles it for all of them.
LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
        return SendMessageW(GetParent(frame), message, wParam, lParam);
    default:
        return DefSubclassProc(frame, message, wParam, lParam);
    }
}

ScopedFont MakeFont(const char* face, int tenthsOfPoint, UINT dpi, int weight)
{
    return ScopedFont(CreateFontA(-MulDiv(tenthsOfPoint, static_cast<int>(dpi), 720), 0, 0, 0, weight, FALSE, FALSE,
                                  FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, face));
}

bool FontHasFace(HFONT font, const char* face)
{
    const ScreenDC screen;
    HGDIOBJ old = SelectObject(screen.Get(), font);
    char actual[LF_FACESIZE] = "";
    GetTextFaceA(screen.Get(), LF_FACESIZE, actual);
    SelectObject(screen.Get(), old);
    return lstrcmpiA(actual, face) == 0;
}

// Sizes the window so that its client area is exactly width x height pixels.
void SizeWindowForClient(HWND window, int width, int height)
{
    RECT outer;
    RECT client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    SetWindowPos(window, nullptr, 0, 0, width + frameWidth, height + frameHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The control's window at `dpi`: a combo box's window is as high as its open list.
RECT ControlWindowRect(const ControlSpec& layout, UINT dpi)
{
    RECT rect = ControlRect(layout, dpi);
    if (layout.kind == ControlKind::DriveList)
        rect.bottom = rect.top + (rect.bottom - rect.top) * 8;
    return rect;
}

// A closed combo box is as high as its field plus its edges; how the field height that
// CB_SETITEMHEIGHT takes maps to that differs between systems, so measure and correct once.
void SetClosedComboHeight(HWND combo, int height)
{
    const auto closedHeight = [combo] {
        RECT rect;
        GetWindowRect(combo, &rect);
        return static_cast<int>(rect.bottom - rect.top);
    };
    int field = static_cast<int>(SendMessageA(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 2 && closedHeight() != height; ++attempt) {
        field += height - closedHeight();
        SendMessageA(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
}

}  // namespace

Form1::Form1(std::string applicationDirectory, Language language)
    : applicationDirectory_(std::move(applicationDirectory)), language_(language),
      installer_(applicationDirectory_, *this)
{
}

Form1::~Form1()
{
    if (window_)
        DestroyWindow(window_);
}

HWND Form1::Create(HINSTANCE instance)
{
    instance_ = instance;
    // A Unicode window, so that it shows any language's texts on any code page.
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);  // fails harmlessly when a second window registers it again

    CreateWindowExW(0, kClassName, kForm1Title, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                    CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance, this);
    if (!window_) {
        ShowFailure(nullptr, Win32Error("Create the installer's window", "", GetLastError()), language_);
        exitCode_ = 1;
        return nullptr;
    }
    try {
        dpi_ = WindowDpi(window_);
        CreateControls(instance);
        ApplyDpi(dpi_);
        OpenDefaultFolder();
        LoadForm();
    } catch (const std::exception& failure) {
        Fail(failure);
    }
    return window_;
}

HWND Form1::Control(ControlId id) const
{
    if (id == kForm1)
        return window_;
    for (size_t i = 0; i < kForm1Controls.size(); ++i) {
        if (kForm1Controls[i].id == id)
            return controls_[i];
    }
    return nullptr;
}

void Form1::OpenINI(const std::string& sfile) { INIFunctions::INIFile = sfile; }

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = window;
        form->messageTarget_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(window, message, wParam, lParam);
    // Whatever handler fails, its failure ends here, in the one report.
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& failure) {
        form->Fail(failure);
        return 0;
    }
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (installer_.HandleMessage(message, wParam))
        return 0;
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = DirListItemHeight(dpi_);
        return TRUE;
    case WM_DRAWITEM:
        if (wParam == kDir1)
            dir1_.Draw(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        // The feature box is read-only, yet reads as a text box.
        if (reinterpret_cast<HWND>(lParam) == Control(kText1)) {
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        PlaceControls(LOWORD(wParam));
        ApplyDpi(LOWORD(wParam));
        return 0;
    }
    case kPressMessage:
        // Handed over by Install.exe without an administrator's rights, which asked the player's
        // questions: "Install Mod" goes onto the archive as it is, as the player chose there.
        if (static_cast<Press>(wParam) == Press::Install)
            installer_.Install(dir1_.Path(), drive1_.Drive(), Onto::TheArchiveAsItIs, Origin::HandedOver);
        else if (static_cast<Press>(wParam) == Press::Restore)
            installer_.Restore(dir1_.Path(), false, Origin::HandedOver);
        else if (static_cast<Press>(wParam) == Press::Clean)
            installer_.Install(dir1_.Path(), drive1_.Drive(), Onto::TheOriginal, Origin::HandedOver);
        return 0;
    case WM_INITMENUPOPUP:
        if (HIWORD(lParam))
            PrepareSystemMenu(reinterpret_cast<HMENU>(wParam));
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == kRestoreCommand) {
            RestoreBackup();
            return 0;
        }
        if ((wParam & 0xFFF0) == kInstallOntoTheOriginalCommand) {
            InstallOntoTheOriginal();
            return 0;
        }
        break;
    case WM_CLOSE:
        // What runs is finished out of sight, and the window closes at its end: a copy that can't
        // be cancelled any more, and the archiver, change the archive, which is then judged and
        // recorded as at any end.
        installer_.Abandon();
        if (Installing()) {
            closing_ = true;
            ShowWindow(window_, SW_HIDE);
            return 0;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(exitCode_);
        return 0;
    case WM_NCDESTROY: {
        HWND window = window_;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        window_ = nullptr;
        controls_.fill(nullptr);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void Form1::OnCommand(int id, int code)
{
    if (id == kDrive1 && code == CBN_SELCHANGE) {
        DriveChanged();
    } else if (id == kDir1 && code == LBN_DBLCLK) {
        OpenHighlightedFolder();
    } else if (id == kCommand1 && code == BN_CLICKED) {
        InstallMod();
    } else if (id == IDOK) {
        // Enter, passed on by the dialog keys: it opens the highlighted folder, or presses the
        // focused button.
        HWND focus = GetFocus();
        if (focus == dir1_.Handle())
            OpenHighlightedFolder();
        else if (focus == Control(kCommand1))
            SendMessageA(focus, BM_CLICK, 0, 0);
    }
}

void Form1::InstallMod() { installer_.Install(dir1_.Path(), drive1_.Drive(), Onto::AskWhenModsRecorded); }

void Form1::InstallOntoTheOriginal() { installer_.Install(dir1_.Path(), drive1_.Drive(), Onto::TheOriginal); }

void Form1::RestoreBackup() { installer_.Restore(dir1_.Path(), true); }

void Form1::EnableCommands(bool enabled)
{
    HWND command1 = Control(kCommand1);
    if (!enabled && GetFocus() == command1)
        SetFocus(dir1_.Handle());
    EnableWindow(command1, enabled);
    if (enabled && closing_)
        PostMessageA(window_, WM_CLOSE, 0, 0);
}

// A command that ended may have changed the record Label5 tells of: a restore removes it.
void Form1::ShowStatus(const std::wstring& text)
{
    SetText(kLabel4, text);
    if (showsInstalledHere_)
        ShowInstalledHere();
}

void Form1::ShowProgress(const std::wstring& text) { SetText(kLabel4, text); }

void Form1::ShowBackupLine(const std::wstring& text)
{
    SetText(kLabel5, text);
    showsInstalledHere_ = false;
}

void Form1::Post(UINT message, WPARAM wParam) { PostMessageA(messageTarget_, message, wParam, 0); }

void Form1::Tell(const std::wstring& text, const std::wstring& title, UINT style)
{
    ::Tell(window_, text, title, style);
}

int Form1::Ask(const std::wstring& text, const std::wstring& title, UINT style, int)
{
    return ::Tell(window_, text, title, style);
}

// The window closes once the elevated installer has started; its own press is over by then. The
// administrator's process has none of the player's drive letters mapped to network shares: it is
// started from the mod's folder by its network path, as it is handed the game's.
DWORD Form1::ContinueAsAdministrator(Press press, const std::string& game)
{
    const std::optional<std::string> own = AnsiPathOf(ThisProgramsPath());
    if (!own)
        return ERROR_NO_UNICODE_TRANSLATION;
    const std::optional<std::string> program = Platform().folderForAdministrator(*own);
    const std::optional<std::string> folder = Platform().folderForAdministrator(applicationDirectory_);
    if (!program || !folder)
        return ERROR_BAD_NETPATH;
    // The language chosen with /LANG= goes on; Windows' own is the administrator's installer's too.
    const std::optional<Language> chosen =
        language_ == UserLanguage() ? std::nullopt : std::optional<Language>(language_);
    const DWORD started = StartAsAdministrator(window_, *program, PressArguments(press, game, chosen), *folder);
    if (started == ERROR_SUCCESS)
        PostMessageA(window_, WM_CLOSE, 0, 0);
    return started;
}

bool Form1::OpenFolder(const std::wstring& folder)
{
    try {
        const std::optional<std::string> usable = AnsiPathOf(folder);
        if (!usable)
            throw Win32Error("Open folder", ToCodePageLossy(folder), ERROR_NO_UNICODE_TRANSLATION);
        dir1_.SetPath(*usable);
    } catch (const Win32Error& failure) {
        ShowUnreadable(IDS_FOLDER_NOT_OPENED_TITLE, IDS_FOLDER_CANT_BE_READ, folder, failure);
        return false;
    }
    drive1_.Select(DriveLetterOf(dir1_.Path()));
    return true;
}

void Form1::PressOnceRunning(Press press) { PostMessageA(window_, kPressMessage, static_cast<WPARAM>(press), 0); }

void Form1::Fail(const std::exception& failure)
{
    ShowFailure(window_, failure, language_);
    exitCode_ = 1;
    if (window_)
        DestroyWindow(window_);
}

// Each control is made where the layout puts it at the window's DPI, so that start-up moves none.
void Form1::CreateControls(HINSTANCE instance)
{
    for (size_t i = 0; i < kForm1Controls.size(); ++i) {
        const ControlSpec& layout = kForm1Controls[i];
        const ControlClass cls = ClassFor(layout);
        const RECT rect = ControlWindowRect(layout, dpi_);
        const std::wstring text = layout.textId ? Text(language_, layout.textId, {L""}) : FromCodePage(layout.text);
        HWND control = CreateWindowExW(cls.exStyle, cls.className, text.c_str(),
                                       WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | cls.style, rect.left, rect.top,
                                       rect.right - rect.left, rect.bottom - rect.top, Control(layout.parent),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance, nullptr);
        if (!control)
            ThrowLastError("Create control", layout.name);
        controls_[i] = control;
        if (layout.kind == ControlKind::Frame)
            SetWindowSubclass(control, FrameProc, 0, 0);
    }
    dir1_.Attach(Control(kDir1), [this] { ShowInstalledHere(); });
    drive1_.Attach(Control(kDrive1));
}

// The way back to the game's own archive, where players look for a window's less common commands;
// the window's layout stays as it is. The item is added when the menu first opens: a window's own
// copy of the system menu costs start-up time that most runs never use.
void Form1::PrepareSystemMenu(HMENU menu)
{
    if (GetMenuState(menu, kRestoreCommand, MF_BYCOMMAND) == static_cast<UINT>(-1)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, kInstallOntoTheOriginalCommand,
                    Text(language_, IDS_INSTALL_ONTO_THE_ORIGINAL).c_str());
        AppendMenuW(menu, MF_STRING, kRestoreCommand, Text(language_, IDS_RESTORE_FROM_BACKUP).c_str());
    }
    const bool backedUp = !Installing() && AnyFileExists(BackupIn(dir1_.Path()));
    for (const UINT command : {kInstallOntoTheOriginalCommand, kRestoreCommand})
        EnableMenuItem(menu, command, MF_BYCOMMAND | (backedUp ? MF_ENABLED : MF_GRAYED));
}

void Form1::PlaceControls(UINT dpi)
{
    for (size_t i = 0; i < kForm1Controls.size(); ++i) {
        const RECT rect = ControlWindowRect(kForm1Controls[i], dpi);
        SetWindowPos(controls_[i], nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// What depends on the DPI besides the controls' places: fonts, and with them the drive list's
// closed height, the folder icons, the banner and the window's size.
void Form1::ApplyDpi(UINT dpi)
{
    dpi_ = dpi;
    ApplyFonts(dpi);
    ApplyIcons(dpi);
    const RECT drive1 = ControlRect(FindControlSpec(kDrive1), dpi);
    SetClosedComboHeight(Control(kDrive1), drive1.bottom - drive1.top);
    dir1_.SetDpi(dpi);
    ShowBanner();
    SizeWindowForClient(window_, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi));
}

void Form1::ApplyFonts(UINT dpi)
{
    ScopedFont font = MakeFont("MS Shell Dlg 2", 80, dpi, FW_NORMAL);
    ScopedFont titleFont = MakeFont("Impact", 83, dpi, FW_NORMAL);
    // Without Impact the title still stands out, in the window's own font made bold.
    if (!FontHasFace(titleFont.Get(), "Impact"))
        titleFont = MakeFont("MS Shell Dlg 2", 83, dpi, FW_BOLD);
    for (size_t i = 0; i < kForm1Controls.size(); ++i) {
        HFONT chosen = kForm1Controls[i].id == kLabel1 ? titleFont.Get() : font.Get();
        SendMessageA(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(chosen), FALSE);
    }
    // The fonts the controls used until now are deleted only once no control holds them.
    font_ = std::move(font);
    titleFont_ = std::move(titleFont);
    InvalidateRect(window_, nullptr, TRUE);
}

// The title bar's icon and the one the taskbar and Alt+Tab show, at the sizes the DPI asks for.
void Form1::ApplyIcons(UINT dpi)
{
    ScopedIcon icon = LoadIconAt(instance_, IconSize(SM_CXICON, dpi));
    ScopedIcon smallIcon = LoadIconAt(instance_, IconSize(SM_CXSMICON, dpi));
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.Get()));
    SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.Get()));
    icon_ = std::move(icon);
    smallIcon_ = std::move(smallIcon);
}

void Form1::ShowBanner()
{
    const RECT rect = ControlRect(FindControlSpec(kImage1), dpi_);
    HWND image = Control(kImage1);
    // The banner is decoration: where Windows can't decode it, the installer works without it.
    try {
        ScopedBitmap banner = LoadJpegResource(instance_, IDR_BANNER, rect.right - rect.left, rect.bottom - rect.top);
        SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner.Get()));
        banner_ = std::move(banner);
    } catch (const Win32Error&) {
        SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP, 0);
        banner_.Reset();
    }
    // A bitmap static sizes itself to its picture; the layout's size stands.
    SetWindowPos(image, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::OpenDefaultFolder()
{
    // The platform's default: the current directory, or its drive's root if that is gone.
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, current);
    for (const std::string& folder : {std::string(current), std::string(current).substr(0, 3)}) {
        try {
            dir1_.SetPath(folder);
            return;
        } catch (const Win32Error&) {
        }
    }
}

void Form1::LoadForm()
{
    const auto read = [this](const char* key) {
        return FromCodePage(INIFunctions::ReadINI("MainSettings", key, language_));
    };
    OpenINI(applicationDirectory_ + "\\modsettings.ini");
    SetText(kLabel1, read("Title"));
    SetText(kLabel2, Text(language_, IDS_AUTHOR, {read("Author")}));
    SetText(kText1, Text(language_, IDS_MOD_FEATURES, {read("Features")}));
    ApplyStartLocation();
}

void Form1::ApplyStartLocation()
{
    GameLocation location = LoadLocation();
    if (location.path.empty() && location.drive.empty()) {
        if (const auto game = FindGameDirectory())
            location = {*game, DriveText(DriveLetterOf(*game), "")};
    }
    // A stored drive or folder that is gone (a removed disc, a deleted folder) is skipped: the
    // lists stay on the platform's defaults, and the stored values stay until the next install.
    const char drive = DriveLetterOf(location.drive);
    if (drive && drive != drive1_.Letter() && drive1_.Select(drive))
        FollowDrive();
    if (!location.path.empty()) {
        try {
            dir1_.SetPath(location.path);
        } catch (const Win32Error&) {
        }
    }
}

// A drive or folder that can't be read when the user picks it (no disc, a lost network drive,
// a folder deleted meanwhile) is told to the user; the lists stay where they were.
void Form1::DriveChanged()
{
    const std::string drive = drive1_.Drive();
    if (const auto failure = FollowDrive())
        ShowUnreadable(IDS_DRIVE_NOT_READY_TITLE, IDS_DRIVE_CANT_BE_READ, FromCodePage(drive), *failure);
}

void Form1::OpenHighlightedFolder()
{
    const int index = static_cast<int>(SendMessageA(dir1_.Handle(), LB_GETCURSEL, 0, 0));
    try {
        dir1_.OpenEntry(index);
    } catch (const Win32Error& failure) {
        ShowUnreadable(IDS_FOLDER_NOT_OPENED_TITLE, IDS_FOLDER_CANT_BE_READ, dir1_.EntryShownPath(index), failure);
    }
}

// Label5 tells what the archive of the folder Dir1 opened holds, where the record says, or that
// the last install there was cut short; a line about another folder goes when a folder without a
// record opens, while the backup line of the last press stays. A record that can't be read now is
// only left unshown: the install reads it again, and reports what stops it there.
void Form1::ShowInstalledHere()
{
    ModsRecord record;
    try {
        record = ReadModsRecord(dir1_.Path());
    } catch (const Win32Error&) {
    }
    const LastInstall last = LastInstallIn(dir1_.Path(), record);
    const std::wstring line = last == LastInstall::Interrupted || last == LastInstall::InterruptedWithoutBackup
                                  ? InterruptedHereLine(*record.underWay, language_)
                              : record.mods.empty() ? L""
                                                    : InstalledHereLine(record.mods, language_);
    if (line.empty() && !showsInstalledHere_)
        return;
    SetText(kLabel5, line);
    showsInstalledHere_ = !line.empty();
}

void Form1::ShowUnreadable(UINT titleId, UINT textId, const std::wstring& name, const Win32Error& failure)
{
    std::wstring message = Text(language_, textId, {name, FromCodePage(SystemErrorText(failure.Code()))});
    if (failure.Code() == ERROR_NO_UNICODE_TRANSLATION)
        message += L"\n\n" + Text(language_, IDS_NAME_NEEDS_PLAIN_LETTERS);
    ::Tell(window_, message, Text(language_, titleId), MB_OK | MB_ICONEXCLAMATION);
}

std::optional<Win32Error> Form1::FollowDrive()
{
    try {
        dir1_.SetPath(FullPath(std::string{drive1_.Letter(), ':'}));
        return std::nullopt;
    } catch (const Win32Error& failure) {
        drive1_.Select(DriveLetterOf(dir1_.Path()));
        return failure;
    }
}

void Form1::SetText(ControlId id, const std::wstring& text) { SetWindowTextW(Control(id), text.c_str()); }
