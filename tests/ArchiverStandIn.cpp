// A stand-in for the archiver mpq2k.exe, for the tests and the demo only: it changes no archive.
// Started as "mpq2k.exe s SCRIPT", it appends to a log beside itself (its own path with ".log"
// for ".exe") how it was started and the script's bytes, then ends with exit code 0. Beside it,
// a file ".wait" keeps it running for as long as that file exists, and a file ".exitcode"
// holding a number makes that number its exit code.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string Slurp(const std::string& path, bool& read)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    read = static_cast<bool>(in);
    return bytes.str();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string base = std::string(self).substr(0, std::string(self).rfind('.'));
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, directory);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);

    bool scriptRead = false;
    const bool scriptCommand = __argc == 3 && std::string(__argv[1]) == "s";
    const std::string script = scriptCommand ? Slurp(__argv[2], scriptRead) : std::string();

    std::ostringstream record;
    record << "process: " << GetCurrentProcessId() << "\n"
           << "command line: " << GetCommandLineA() << "\n"
           << "directory: " << directory << "\n"
           << "show: " << ((startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1) << "\n"
           << "script: " << (scriptRead ? std::to_string(script.size()) : std::string("unreadable")) << "\n"
           << script << "\nend of record\n";
    // One write of the whole record, appended, so that starts that overlap don't interleave.
    const HANDLE log = CreateFileA((base + ".log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::string bytes = record.str();
    DWORD written = 0;
    WriteFile(log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(log);

    while (GetFileAttributesA((base + ".wait").c_str()) != INVALID_FILE_ATTRIBUTES)
        Sleep(10);
    if (!scriptRead)
        return 2;
    bool exitCodeGiven = false;
    const std::string exitCode = Slurp(base + ".exitcode", exitCodeGiven);
    return exitCodeGiven ? std::stoi(exitCode) : 0;
}
