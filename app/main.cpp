// Install.exe: opens Form1 on the mod in the folder that holds the executable and runs its
// messages until the window closes; or, given switches, does what they ask without a window.
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/ModFolder.h"
#include "app/Unattended.h"

#include <commctrl.h>
#include <objbase.h>

#include <string>

namespace {

// The installer runs from a folder the player just downloaded, often as administrator: a DLL
// planted there (or in the current directory) under a system DLL's name must never be loaded.
// Every DLL the program or the system loads for it from here on comes from the system folder.
void LoadDllsOnlyFromSystemFolder()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    // Present from Windows 8 on, and on Windows 7 with its loader update (KB2533623).
    const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (!setDefaultDllDirectories || !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryA("");  // at least takes the current directory out of the search
    // The system DLLs the window loads later (themes, drawing, the banner's decoder) are loaded
    // now from the system folder, so that a later load by bare name finds them loaded: Wine
    // resolves its own DLLs' delay-loaded imports without regard to the restriction above.
    for (const char* name : {"uxtheme.dll", "msimg32.dll", "propsys.dll", "windowscodecs.dll"})
        LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    LoadDllsOnlyFromSystemFolder();
    // A drive without a medium answers with an error code, not with a system box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

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
    ShowWindow(window, show);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    CoUninitialize();
    return static_cast<int>(msg.wParam);
}
