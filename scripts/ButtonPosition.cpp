// The demo's way to find a button: Wine draws a window's controls inside its one X window, so
// xdotool can't see them. Prints "X Y", the screen position of the middle of the button that
// shows TEXT in the visible top-level window of the window class CLASS, for xdotool to click.
//   button_position CLASS TEXT
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

struct ButtonSearch {
    const char* text;
    HWND found;
};

BOOL CALLBACK MatchButton(HWND child, LPARAM param)
{
    auto* search = reinterpret_cast<ButtonSearch*>(param);
    char className[16] = "";
    char text[256] = "";
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(className, "Button") == 0 && std::strcmp(text, search->text) == 0) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: button_position CLASS TEXT\n");
        return 2;
    }
    // xdotool moves the pointer in the screen's own pixels, whatever the DPI.
    SetProcessDPIAware();
    const HWND window = FindWindowA(argv[1], nullptr);
    ButtonSearch search{argv[2], nullptr};
    if (window && IsWindowVisible(window))
        EnumChildWindows(window, MatchButton, reinterpret_cast<LPARAM>(&search));
    RECT rect;
    if (!search.found || !GetWindowRect(search.found, &rect))
        return 1;
    std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return 0;
}
