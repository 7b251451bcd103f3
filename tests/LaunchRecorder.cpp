// Stand-in for an outside program in the tests: writes down how it was started (its own path,
// command line, arguments, current directory and the window state asked for) to the file that
// the environment variable LAUNCH_RECORD names, then ends.
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
        out << "program=" << self << "\nline=" << GetCommandLineA() << "\ndirectory=" << directory
            << "\nshow=" << show << "\n";
        for (int i = 1; i < __argc; ++i)
            out << "argument=" << __argv[i] << "\n";
    }
    return MoveFileExA(partial.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
