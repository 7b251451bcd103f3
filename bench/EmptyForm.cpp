// The start-up yardstick: Install.exe's window with the same fifteen standard controls, of the
// same classes and styles, where the layout puts them, and nothing filled in: no texts but those
// they are created with, no fonts, no pictures, no list entries. That is what a window of these
// controls costs any program on this platform. Built with the same compiler, options and manifest
// (common controls 6, DPI awareness) as Install.exe.
#include "system/ScopedHandle.h"
#include "window/Layout.h"

#include <windows.h>

#include <commctrl.h>

namespace {

const char* const kClassName = "EmptyForm";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

bool CreateControls(HWND window, HINSTANCE instance, UINT dpi)
{
    for (const ControlSpec& control : kForm1Controls) {
        const ControlClass cls = ClassFor(control);
        const RECT rect = ControlRect(control, dpi);
        // A combo box's height is that of its open list, as Form1 gives it.
        const int height = (rect.bottom - rect.top) * (control.kind == ControlKind::DriveList ? 8 : 1);
        const HWND parent = control.parent == kForm1 ? window : GetDlgItem(window, control.parent);
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | cls.style;
        if (!CreateWindowExA(cls.exStyle, cls.className, control.text, style, rect.left, rect.top,
                             rect.right - rect.left, height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr))
            return false;
    }
    return true;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    // The version 6 controls that the manifest asks for are there once the library is loaded.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    RegisterClassExA(&windowClass);

    const UINT dpi = static_cast<UINT>(GetDeviceCaps(ScreenDC().Get(), LOGPIXELSY));
    RECT outer{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
    AdjustWindowRectEx(&outer, kWindowStyle, FALSE, 0);
    HWND window =
        CreateWindowExA(0, kClassName, "Empty form", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    if (!window || !CreateControls(window, instance, dpi))
        return 1;
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
