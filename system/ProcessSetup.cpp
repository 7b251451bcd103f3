#include "system/ProcessSetup.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

namespace {

// The installer runs from a folder the player just downloaded, often as administrator: a DLL
// planted there (or in the current directory) under a system DLL's name must never be loaded.
// Every DLL the program or the system loads for it from here on comes from the system folder.
// False where the loader can't be told so and only the current directory is taken out.
bool SearchOnlyTheSystemFolder()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    // Present from Windows 8 on, and on Windows 7 with its loader update (KB2533623).
    const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return true;
    SetDllDirectoryA("");
    return false;
}

// The system DLLs the window loads later are loaded now by their full path in the system folder
// and stay loaded, so that a later load by bare name finds them loaded: Wine resolves its own
// DLLs' delay-loaded imports without regard to the restriction above, and a Windows 7 without the
// loader update would look beside the program first.
void LoadLaterSystemDlls(bool searchRestricted)
{
    const std::string folder = SystemFolder();
    if (folder.empty())
        return;
    // Without the restriction, the DLLs these import are looked for beside them, in the system
    // folder, instead of beside the program.
    const DWORD flags = searchRestricted ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH;
    for (const char* name : kLaterSystemDlls)
        LoadLibraryExA((folder + "\\" + name).c_str(), nullptr, flags);
}

}  // namespace

std::string SystemFolder()
{
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

ProcessSetup::ProcessSetup()
{
    LoadLaterSystemDlls(SearchOnlyTheSystemFolder());
    // A drive without a medium answers with an error code, not with a system box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

ProcessSetup::~ProcessSetup()
{
    // A thread that was already in another apartment stays there: only COM started here is ended.
    if (comStarted_)
        CoUninitialize();
}
