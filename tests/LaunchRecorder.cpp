// Stand-in for an outside program in the tests: writes down how it was started to a file beside
// itself (its own path followed by ".txt"), one line each: its process id, its own path, its
// command line, its current directory, the window state asked for (-1 for none), then its
// arguments. Then it ends.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, directory);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

    // Written aside and renamed into place, so that a test never reads half a record.
    const std::string record = std::string(self) + ".txt";
    const std::string partial = record + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << GetCurrentProcessId() << "\n"
            << self << "\n"
            << GetCommandLineA() << "\n"
            << directory << "\n"
            << show << "\n";
        for (int i = 1; i < __argc; ++i)
            out << __argv[i] << "\n";
    }
    return MoveFileExA(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
