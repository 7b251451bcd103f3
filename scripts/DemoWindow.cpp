// The demo's hands on the installer's window, which xdotool can't give: Wine draws a window's
// controls inside its one X window, and X knows nothing of a window's system menu.
//   demo_window position CLASS TEXT    prints "X Y", the screen position of the middle of the
//                                       button showing TEXT, for xdotool to click
//   demo_window syscommand CLASS ID    chooses the system menu's command ID, as a click on it does
//   demo_window text CLASS ID          prints the text of the control ID
// CLASS is the window class of the visible top-level window to act on.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchControl(HWND child, LPARAM param)
{
    auto* search = reinterpret_cast<ControlSearch*>(param);
    if (GetDlgCtrlID(child) != search->id)
        return TRUE;
    search->found = child;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: demo_window position|syscommand|text CLASS TEXT|ID\n");
        return 2;
    }
    // xdotool moves the pointer in the screen's own pixels, whatever the DPI.
    SetProcessDPIAware();
    const HWND window = FindWindowA(argv[2], nullptr);
    if (!window || !IsWindowVisible(window))
        return 1;
    const std::string verb = argv[1];
    if (verb == "syscommand")
        return PostMessageA(window, WM_SYSCOMMAND, std::strtoul(argv[3], nullptr, 0), 0) ? 0 : 1;
    if (verb == "text") {
        ControlSearch search{std::atoi(argv[3]), nullptr};
        EnumChildWindows(window, MatchControl, reinterpret_cast<LPARAM>(&search));
        char text[1024] = "";
        SendMessageA(search.found, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        std::printf("%s\n", text);
        return search.found ? 0 : 1;
    }
    ButtonSearch search{argv[3], nullptr};
    EnumChildWindows(window, MatchButton, reinterpret_cast<LPARAM>(&search));
    RECT rect;
    if (!search.found || !GetWindowRect(search.found, &rect))
        return 1;
    std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return 0;
}
