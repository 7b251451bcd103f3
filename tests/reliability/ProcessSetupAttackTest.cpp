// The installer runs from a folder the player just downloaded, usually as administrator. DLLs a
// mod planted beside Install.exe, or in the current directory, under the names of system DLLs
// are never loaded.
#include "system/ProcessSetup.h"
#include "system/Win32Error.h"

#include "OtherProcess.h"
#include "Tally.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

const char* const kPlantedNames[] = {"version.dll", "uxtheme.dll", "msimg32.dll", "propsys.dll", "windowscodecs.dll"};

void Plant(const std::string& folder)
{
    for (const char* name : kPlantedNames)
        ASSERT_TRUE(CopyFileA(BesideThisProgram("planted_dll.dll").c_str(), (folder + "\\" + name).c_str(), FALSE));
}

std::vector<std::string> Marks(const std::string& folder)
{
    std::vector<std::string> marks;
    for (const std::string& name : FileNamesIn(folder)) {
        if (name.size() > 7 && name.compare(name.size() - 7, 7, ".loaded") == 0)
            marks.push_back(name);
    }
    return marks;
}

// Wine prefers its own builtin DLLs to same-named files beside a program, so a planted DLL would
// never run there and the test would prove nothing: the test runner asks Wine for native
// msimg32.dll, propsys.dll and windowscodecs.dll first (cmake/wine.sh), the search order Windows
// has. The window loads those after start-up (Wine's common controls load msimg32.dll by name
// when they draw). version.dll and uxtheme.dll stay on Wine's builtin order: Wine's own user32
// loads them while the process starts, before any code of the program runs, where Windows takes
// them from the system folder.

bool WaitFor(HANDLE process, DWORD milliseconds, DWORD& exitCode)
{
    if (WaitForSingleObject(process, milliseconds) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(process, &exitCode) != 0;
}

}  // namespace

TEST(ProcessSetupAttack, DllsPlantedBesideInstallExeOrInTheCurrentDirectoryAreNeverLoaded)
{
    // This program starts as Install.exe does: the DLLs its window loads later come from the system folder.
    for (const char* name : kLaterSystemDlls) {
        char path[MAX_PATH] = "not loaded";
        if (const HMODULE module = GetModuleHandleA(name))
            GetModuleFileNameA(module, path, MAX_PATH);
        EXPECT_EQ(lstrcmpiA(path, (SystemFolder() + "\\" + name).c_str()), 0) << name << ": " << path;
    }

    // Nor does a DLL of any other name beside this program load by its bare name.
    const std::string beside = BesideThisProgram("planted-elsewhere.dll");
    ASSERT_TRUE(CopyFileA(BesideThisProgram("planted_dll.dll").c_str(), beside.c_str(), FALSE));
    EXPECT_EQ(LoadLibraryA("planted-elsewhere.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    DeleteFileA(beside.c_str());

    TempDir mod;
    TempDir current;
    Plant(mod.Path());
    Plant(current.Path());
    WriteTextFile(mod / "modsettings.ini", "[MainSettings]\r\nTitle=Planted\r\n");
    ASSERT_TRUE(CopyFileA(BuiltInstallExe().c_str(), (mod / "Install.exe").c_str(), FALSE)) << BuiltInstallExe();

    // The plant is live: a program beside it that loads msimg32.dll by the default search gets it.
    ASSERT_TRUE(CopyFileA(ThisProgram().c_str(), (mod / "probe.exe").c_str(), FALSE));
    {
        const UniqueHandle probe = StartProcess('"' + (mod / "probe.exe") + "\" --load msimg32.dll", mod.Path());
        ASSERT_TRUE(probe);
        DWORD exitCode = 1;
        ASSERT_TRUE(WaitFor(probe.Get(), 20000, exitCode));
        EXPECT_EQ(Marks(mod.Path()), std::vector<std::string>{"msimg32.dll.loaded"});
    }
    DeleteFileA((mod / "msimg32.dll.loaded").c_str());
    DeleteFileA((mod / "probe.exe").c_str());

    AttackCase besideExe(Attack::BadInput);
    AttackCase inCurrentDirectory(Attack::BadInput);
    DWORD processId = 0;
    const UniqueHandle install = StartProcess('"' + (mod / "Install.exe") + '"', current.Path(), &processId);
    ASSERT_TRUE(install);
    HWND window = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!(window = FindVisibleWindow(processId, "VornikelForm1")) && std::chrono::steady_clock::now() < deadline)
        Sleep(20);
    ASSERT_TRUE(window) << "Install.exe didn't open its window";
    // The banner is decoded and the window painted before it is closed.
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    ASSERT_TRUE(WaitFor(install.Get(), 20000, exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(Marks(mod.Path()), std::vector<std::string>{});
    EXPECT_EQ(Marks(current.Path()), std::vector<std::string>{});
}
