// Install.exe: opens Form1 on the mod in the folder that holds the executable and runs its
// messages until the window closes; or, given switches, does what they ask without a window.
#include "commandline/CommandLine.h"
#include "commandline/Unattended.h"
#include "install/ModFolder.h"
#include "system/FileSystem.h"
#include "system/ProcessSetup.h"
#include "system/UserMessages.h"
#include "window/Form1.h"

#include <string>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    const ProcessSetup setup;
    const CommandLine command = ParseCommandLine(ArgumentsOf(GetCommandLineW()));
    if (command.mode != Mode::Window)
        return RunUnattended(command);
    const Language language = command.language.value_or(UserLanguage());
    if (StartedFromInsideAZip(ThisProgramsFolder())) {
        Tell(nullptr, UnpackFirstText(language, ThisProgramsFolder()), UnpackFirstTitle(language),
             MB_OK | MB_ICONEXCLAMATION);
        return kExitFailed;
    }
    const std::optional<std::string> applicationDirectory = ModFolder(
        language,
        [](const std::wstring& text, const std::wstring& title) { Tell(nullptr, text, title, MB_OK | MB_ICONERROR); });
    if (!applicationDirectory)
        return kExitFailed;
    Form1 form(*applicationDirectory, language);
    HWND window = form.Create(instance);
    if (!window)
        return form.ExitCode() ? form.ExitCode() : 1;
    // A press is carried out only on the folder it was asked for, never on another one.
    if (!command.game.empty() && form.OpenFolder(command.game) && command.press != Press::None)
        form.PressOnceRunning(command.press);
    ShowWindow(window, show);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
