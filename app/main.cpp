// Install.exe: opens Form1 on the mod in the folder that holds the executable and runs its
// messages until the window closes.
#include "app/Form1.h"
#include "system/CodePage.h"
#include "system/UserMessages.h"

#include <commctrl.h>
#include <objbase.h>

#include <string>

namespace {

// The folder that holds Install.exe, without a trailing "\" (except at a drive root), as the
// ANSI calls can use it: by its short name where the code page can't hold its real one.
std::wstring ProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find_last_of(L'\\') + 1);
    if (path.size() > 3)
        path.pop_back();
    return path;
}

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

    const std::wstring folder = ProgramFolder();
    const std::optional<std::string> applicationDirectory = AnsiPathOf(folder);
    if (!applicationDirectory) {
        Tell(nullptr,
             L"The name of the mod's folder can't be used:\n\n" + folder +
                 L"\n\nIt holds letters that this system's code page can't write, which the installer and the "
                 L"archiver need, and Windows keeps no short name for it. Move the mod's folder to a folder with a "
                 L"plain name (such as C:\\Mods) and start Install.exe there.",
             L"Vornikel - Mod Folder Not Usable", MB_OK | MB_ICONERROR);
        return 1;
    }
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
