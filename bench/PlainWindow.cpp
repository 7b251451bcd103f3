// The start-up yardstick: Install.exe's window, with the same fifteen standard controls of the
// same classes and styles at the same places, filled with the same content through the plainest
// calls the platform has for it, by a program that shares none of the installer's code. That is
// what showing this window costs any program on this platform: the drives from GetLogicalDrives
// and GetVolumeInformationA, the open folder and its subfolders from FindFirstFileA and
// FindNextFileA, drawn with shell32's folder icons as Dir1 draws them, the description through
// GetPrivateProfileStringA from the description file beside the program, the banner decoded by
// WIC at the picture's size, and the same fonts. Built with the same compiler, options and
// manifest (common controls 6, DPI awareness) as Install.exe.
//
// Built a second time with UNFILLED defined, as the yardstick of earlier figures: the same window
// and controls with only the texts they are created with, no fonts, no pictures, no list entries.
#include "system/ScopedHandle.h"

#include <windows.h>

#include <commctrl.h>
#include <wincodec.h>
#include <wrl/client.h>

#include "resource.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

#ifdef UNFILLED
constexpr bool kFilled = false;
#else
constexpr bool kFilled = true;
#endif

const char* const kClassName = "PlainWindow";
const char* const kTitle = "Vornikel 1.1 - Diablo 2 mod installer by the Vornikel team";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kClientWidthTwips = 6090;
constexpr int kClientHeightTwips = 4395;

enum : int {
    kFrame1 = 100,
    kLabel1,
    kLabel2,
    kText1,
    kFrame2,
    kDir1,
    kDrive1,
    kLabel3,
    kFrame3,
    kCommand1,
    kLabel4,
    kText2,
    kText3,
    kLabel5,
    kImage1,
};

struct Control {
    int id;
    int parent;  // 0 for the window itself
    const char* className;
    DWORD style;
    DWORD exStyle;
    const char* text;
    int left, top, width, height;  // twips, in the parent's client area
};

constexpr DWORD kFrame = BS_GROUPBOX;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kScriptBox = ES_MULTILINE | ES_AUTOVSCROLL;

// In tab order, as Install.exe makes them.
// clang-format off
const Control kControls[] = {
    {kFrame1,   0,       "BUTTON",   kFrame, WS_EX_CONTROLPARENT, "Mod Info", 45, 60, 5880, 1425},
    {kLabel1,   kFrame1, "STATIC",   kLabel, 0, "Label1", 180, 210, 5625, 285},
    {kLabel2,   kFrame1, "STATIC",   kLabel, 0, "Author: ", 180, 510, 5655, 270},
    {kText1,    kFrame1, "EDIT",     kScriptBox | ES_READONLY | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, "Text1", 165, 795, 5655, 510},
    {kFrame2,   0,       "BUTTON",   kFrame, WS_EX_CONTROLPARENT, "Diablo 2 Directory", 30, 1530, 2760, 2775},
    {kDir1,     kFrame2, "LISTBOX",  LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, "", 90, 1020, 2565, 1665},
    {kDrive1,   kFrame2, "COMBOBOX", CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP, 0, "", 90, 660, 2565, 315},
    {kLabel3,   kFrame2, "STATIC",   kLabel, 0, "Please select your diablo 2 directory.", 105, 255, 2535, 390},
    {kFrame3,   0,       "BUTTON",   kFrame, WS_EX_CONTROLPARENT, "Complete Install", 2850, 3030, 3180, 1305},
    {kCommand1, kFrame3, "BUTTON",   BS_PUSHBUTTON | WS_TABSTOP, 0, "Install Mod", 105, 270, 3000, 375},
    {kLabel4,   kFrame3, "STATIC",   kLabel, 0, "", 645, 675, 1965, 195},
    {kText2,    0,       "EDIT",     kScriptBox, WS_EX_CLIENTEDGE, "Text2", 6045, 1665, 2250, 1245},
    {kText3,    0,       "EDIT",     kScriptBox, WS_EX_CLIENTEDGE, "Text2", 6060, 1620, 2250, 1245},
    {kLabel5,   kFrame3, "STATIC",   kLabel, 0, "", 60, 855, 3015, 360},
    {kImage1,   0,       "STATIC",   SS_BITMAP | SS_REALSIZECONTROL, 0, "", 2910, 1635, 3000, 1305},
};
// clang-format on

int Twips(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

int Scale(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), 96); }

const Control& Find(int id)
{
    return *std::find_if(std::begin(kControls), std::end(kControls), [id](const Control& c) { return c.id == id; });
}

HWND Item(HWND window, int id)
{
    const int parent = Find(id).parent;
    return GetDlgItem(parent ? GetDlgItem(window, parent) : window, id);
}

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { FreeLibrary(h); }
};
using ScopedModule = Scoped<ModuleTraits>;

// What the filled window holds for as long as it is open.
struct Contents {
    UINT dpi = 96;
    int openFolders = 0;  // the folder list's entries down to the open folder
    ScopedIcon openIcon;
    ScopedIcon closedIcon;
    ScopedFont font;
    ScopedFont titleFont;
    ScopedBitmap banner;
};

// Group boxes pass on to the window what their controls send them to draw.
LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_DRAWITEM || message == WM_CTLCOLORSTATIC)
        return SendMessageA(GetParent(frame), message, wParam, lParam);
    return DefSubclassProc(frame, message, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto* contents = reinterpret_cast<const Contents*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!contents || item.itemID == static_cast<UINT>(-1))
            return TRUE;
        const int index = static_cast<int>(item.itemID);
        const bool selected = item.itemState & ODS_SELECTED;
        const UINT dpi = contents->dpi;
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        const int iconSize = Scale(16, dpi);
        const int left = item.rcItem.left + Scale(2, dpi) + std::min(index, contents->openFolders) * Scale(8, dpi);
        const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - iconSize) / 2;
        DrawIconEx(item.hDC, left, top,
                   index < contents->openFolders ? contents->openIcon.Get() : contents->closedIcon.Get(), iconSize,
                   iconSize, 0, nullptr, DI_NORMAL);
        std::string name(static_cast<size_t>(SendMessageA(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0)) + 1, '\0');
        SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(name.data()));
        RECT textRect = item.rcItem;
        textRect.left = left + iconSize + Scale(4, dpi);
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        DrawTextA(item.hDC, name.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        if (item.itemState & ODS_FOCUS)
            DrawFocusRect(item.hDC, &item.rcItem);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        // The read-only feature box reads as a text box, as Install.exe shows it.
        if (contents && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kText1) {
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateControls(HWND window, HINSTANCE instance, UINT dpi)
{
    for (const Control& control : kControls) {
        const int left = Twips(control.left, dpi);
        const int top = Twips(control.top, dpi);
        // A combo box's window is as high as its open list, as Install.exe makes it.
        const int height = Twips(control.height, dpi) * (control.id == kDrive1 ? 8 : 1);
        const HWND parent = control.parent ? GetDlgItem(window, control.parent) : window;
        if (!CreateWindowExA(control.exStyle, control.className, control.text,
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | control.style, left, top,
                             Twips(control.width, dpi), height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr))
            return nullptr;
    }
    return window;
}

// Fills the controls as Install.exe does when it opens on the mod beside it, with no game
// location remembered. False when the platform fails at any step.
bool Fill(HWND window, HINSTANCE instance, Contents& contents)
{
    const UINT dpi = contents.dpi;

    // Fonts: the dialog font, and Impact for the title, or the dialog font in bold without it.
    const auto font = [dpi](const char* face, int tenthsOfPoint, int weight) {
        return ScopedFont(CreateFontA(-MulDiv(tenthsOfPoint, static_cast<int>(dpi), 720), 0, 0, 0, weight, FALSE, FALSE,
                                      FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, face));
    };
    contents.font = font("MS Shell Dlg 2", 80, FW_NORMAL);
    contents.titleFont = font("Impact", 83, FW_NORMAL);
    char face[LF_FACESIZE] = "";
    {
        const ScreenDC screen;
        const HGDIOBJ old = SelectObject(screen.Get(), contents.titleFont.Get());
        GetTextFaceA(screen.Get(), LF_FACESIZE, face);
        SelectObject(screen.Get(), old);
    }
    if (lstrcmpiA(face, "Impact") != 0)
        contents.titleFont = font("MS Shell Dlg 2", 83, FW_BOLD);
    for (const Control& control : kControls) {
        const HFONT chosen = control.id == kLabel1 ? contents.titleFont.Get() : contents.font.Get();
        SendMessageA(Item(window, control.id), WM_SETFONT, reinterpret_cast<WPARAM>(chosen), FALSE);
        // What the controls in the group boxes draw through their parent reaches the window.
        if (control.style == kFrame)
            SetWindowSubclass(Item(window, control.id), FrameProc, 0, 0);
    }

    // The drive list: every drive as "c: [LABEL]", the current one selected, closed as high as
    // the layout has it.
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, current);
    const HWND drives = Item(window, kDrive1);
    const DWORD mask = GetLogicalDrives();
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        if (!(mask & (1u << (letter - 'a'))))
            continue;
        const char root[] = {letter, ':', '\\', '\0'};
        char label[MAX_PATH + 1] = "";
        GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0);
        const std::string text = std::string{letter, ':'} + (label[0] ? std::string(" [") + label + "]" : "");
        const LRESULT index = SendMessageA(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (std::tolower(static_cast<unsigned char>(current[0])) == letter)
            SendMessageA(drives, CB_SETCURSEL, index, 0);
    }
    // How the field's height maps to the closed height differs between systems: measured and
    // corrected, and once more where the first correction fell short.
    const int wanted = Twips(Find(kDrive1).height, dpi);
    LRESULT field = SendMessageA(drives, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 2; ++attempt) {
        RECT closed;
        GetWindowRect(drives, &closed);
        if (closed.bottom - closed.top == wanted)
            break;
        field += wanted - (closed.bottom - closed.top);
        SendMessageA(drives, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }

    // The folder list: the folders from the root down to the current one, open, then the current
    // folder's subfolders that aren't hidden, closed, sorted without regard to case.
    std::vector<std::string> open;
    for (const char* part = current; *part;) {
        const char* end = part;
        while (*end && *end != '\\')
            ++end;
        open.emplace_back(part, open.empty() ? end + 1 : end);
        part = *end ? end + 1 : end;
    }
    std::vector<std::string> subfolders;
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileA((std::string(current) + (open.size() > 1 ? "\\*" : "*")).c_str(), &found));
    if (!find)
        return false;
    do {
        const std::string name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) &&
            name != "." && name != "..")
            subfolders.push_back(name);
    } while (FindNextFileA(find.Get(), &found));
    std::sort(subfolders.begin(), subfolders.end(),
              [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    const HWND folders = Item(window, kDir1);
    for (const auto* names : {&open, &subfolders}) {
        for (const std::string& name : *names)
            SendMessageA(folders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    contents.openFolders = static_cast<int>(open.size());
    SendMessageA(folders, LB_SETCURSEL, open.size() - 1, 0);
    SendMessageA(folders, LB_SETITEMHEIGHT, 0, Scale(18, dpi));
    // Only shell32's pictures are wanted, not its code.
    const ScopedModule shell32(
        LoadLibraryExA("shell32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    const int iconSize = Scale(16, dpi);
    const auto folderIcon = [&shell32, iconSize](int resourceId) {
        return ScopedIcon(static_cast<HICON>(
            LoadImageA(shell32.Get(), MAKEINTRESOURCEA(resourceId), IMAGE_ICON, iconSize, iconSize, 0)));
    };
    contents.closedIcon = folderIcon(4);
    contents.openIcon = folderIcon(5);
    if (!contents.closedIcon || !contents.openIcon)
        return false;

    // The description, from the description file beside the program.
    char program[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string ini = program;
    ini = ini.substr(0, ini.rfind('\\')) + "\\modsettings.ini";
    const auto value = [&ini](const char* key) {
        char text[255] = "";
        GetPrivateProfileStringA("MainSettings", key, "", text, sizeof text, ini.c_str());
        return std::string(text);
    };
    SetWindowTextA(Item(window, kLabel1), value("Title").c_str());
    SetWindowTextA(Item(window, kLabel2), ("Author: " + value("Author")).c_str());
    SetWindowTextA(Item(window, kText1), ("Mod Features: " + value("Features")).c_str());

    // The banner, decoded and scaled to the picture's size by Windows' imaging component.
    const SIZE size{Twips(Find(kImage1).width, dpi), Twips(Find(kImage1).height, dpi)};
    const HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(IDR_BANNER), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    const HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    if (!loaded)
        return false;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, size.cx, -size.cy, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* pixels = nullptr;
    contents.banner = ScopedBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    const UINT stride = (static_cast<UINT>(size.cx) * 3 + 3) & ~3u;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapScaler> scaler;
    ComPtr<IWICFormatConverter> converter;
    const bool decoded =
        contents.banner &&
        SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromMemory(static_cast<BYTE*>(LockResource(loaded)),
                                               SizeofResource(instance, resource))) &&
        SUCCEEDED(CoCreateInstance(CLSID_WICJpegDecoder, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&decoder))) &&
        SUCCEEDED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateBitmapScaler(&scaler)) &&
        SUCCEEDED(scaler->Initialize(frame.Get(), size.cx, size.cy, WICBitmapInterpolationModeFant)) &&
        SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(scaler.Get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr,
                                        0.0, WICBitmapPaletteTypeCustom)) &&
        SUCCEEDED(
            converter->CopyPixels(nullptr, stride, stride * static_cast<UINT>(size.cy), static_cast<BYTE*>(pixels)));
    if (!decoded)
        return false;
    SendMessageA(Item(window, kImage1), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(contents.banner.Get()));
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&contents));
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    // A drive without a medium answers the drive list with an error code, not a system box.
    if (kFilled)
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const bool com = kFilled && SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    // The version 6 controls that the manifest asks for are there once the library is loaded.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    const auto icon = [instance](int size) {
        return ScopedIcon(
            kFilled ? static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_INSTALL), IMAGE_ICON, size, size, 0))
                    : nullptr);
    };
    const ScopedIcon bigIcon = icon(32);
    const ScopedIcon smallIcon = icon(16);
    windowClass.hIcon = bigIcon.Get();
    windowClass.hIconSm = smallIcon.Get();
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    RegisterClassExA(&windowClass);

    Contents contents;
    contents.dpi = static_cast<UINT>(GetDeviceCaps(ScreenDC().Get(), LOGPIXELSY));
    RECT outer{0, 0, Twips(kClientWidthTwips, contents.dpi), Twips(kClientHeightTwips, contents.dpi)};
    AdjustWindowRectEx(&outer, kWindowStyle, FALSE, 0);
    const HWND window =
        CreateWindowExA(0, kClassName, kTitle, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
                        outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    if (!window || !CreateControls(window, instance, contents.dpi) || (kFilled && !Fill(window, instance, contents)))
        return 1;
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (com)
        CoUninitialize();
    return static_cast<int>(msg.wParam);
}
