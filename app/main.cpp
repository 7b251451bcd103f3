// Install.exe: opens Form1 on the mod in the folder that holds the executable and runs its
// messages until the window closes; or, given switches, does what they ask without a window.
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/ModFolder.h"
#include "app/Unattended.h"
#include "system/ProcessSetup.h"

#include <string>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    const ProcessSetup setup;
    const CommandLine command = ParseCommandLine(ArgumentsOf(GetCommandLineW()));
    if (command.mode != Mode::Window)
        return RunUnattended(command);
    const std::optional<std::string> applicationDirectory = ModFolder();
    if (!applicationDirectory)
        return kExitFailed;
    Form1 form(*applicationDirectory);
    HWND window = form.Create(instance);
    if (!window)
        return form.ExitCode() ? form.ExitCode() : 1;
    // A press is carried out only on the folder it was asked for, never on another one.
    if (!command.game.empty() && form.OpenFolder(command.game) && command.press != Press::None)
        form.PressOnceRunning(command.press);
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
