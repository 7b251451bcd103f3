// Install.exe: opens Form1 on the mod in the folder that holds the executable and runs its
// messages until the window closes.
#include "app/Form1.h"
#include "system/ProcessSetup.h"

#include <string>

namespace {

// The folder that holds Install.exe, without a trailing "\" (except at a drive root).
std::string ApplicationDirectory()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find_last_of('\\') + 1);
    if (path.size() > 3)
        path.pop_back();
    return path;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    const ProcessSetup setup;
    Form1 form(ApplicationDirectory());
    HWND window = form.Create(instance);
    if (!window)
        return form.ExitCode() ? form.ExitCode() : 1;
    ShowWindow(window, show);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
