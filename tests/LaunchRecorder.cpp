// Stand-in for an outside program in the tests: writes down how it was started to the file that
// the environment variable LAUNCH_RECORD names, one line each: its own path, its command line,
// its current directory, the window state asked for (-1 for none), then its arguments.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char record[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("LAUNCH_RECORD", record, MAX_PATH))
        return 1;
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, directory);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

    // Written aside and renamed into place, so that a test never reads half a record.
    const std::string partial = std::string(record) + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << self << "\n" << GetCommandLineA() << "\n" << directory << "\n" << show << "\n";
        for (int i = 1; i < __argc; ++i)
            out << __argv[i] << "\n";
    }
    return MoveFileExA(partial.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
