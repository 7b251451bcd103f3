// A stand-in for the archiver mpq2k.exe, for the tests and the demo only. Started as
// "mpq2k.exe s SCRIPT", it reads its script as the real archiver does, one command a line, and
// for each "o ARCHIVE" line opens that archive (creating it when it is missing, as the real one
// does) and appends kArchiveRecord to its end: past an MPQ archive's tables, where no reader
// looks, so a sound archive stays sound. It carries out no other command. Like the real one it
// ends with exit code 0 whatever happens. It appends to a log beside itself (its own path with
// ".log" for ".exe") how it was started and the script's bytes. Beside it, a file ".wait" keeps
// it running for as long as that file exists, and a file ".exitcode" holding a number makes that
// number its exit code. Instead of appending, ".unchanged" makes it change no archive,
// ".truncate" cuts each archive to half its size as an archiver dying half-way would, and
// ".rewrite" writes each archive's own bytes over it in place, at the same size with a new
// last-write time.
#include "ArchiverLog.h"

#include "install/ArchiverScript.h"

#include <windows.h>

#include <sstream>
#include <string>

namespace {

// Every byte of an opened file, which it closes.
std::string ReadAll(HANDLE file, bool& read)
{
    std::string bytes;
    read = file != INVALID_HANDLE_VALUE;
    char buffer[65536];
    DWORD got = 0;
    while (read && ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    if (read)
        CloseHandle(file);
    return bytes;
}

// Its own files are found by their wide names: its folder's name may be one the ANSI calls can't use.
std::string Slurp(const std::wstring& path, bool& read)
{
    return ReadAll(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr), read);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

enum class Change { Append, None, Truncate, Rewrite };

void ChangeArchive(const std::string& path, Change change)
{
    const HANDLE archive = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size{};
    GetFileSizeEx(archive, &size);
    DWORD done = 0;
    if (change == Change::Append) {
        SetFilePointer(archive, 0, nullptr, FILE_END);
        WriteFile(archive, kArchiveRecord, static_cast<DWORD>(strlen(kArchiveRecord)), &done, nullptr);
    } else if (change == Change::Truncate) {
        SetFilePointer(archive, static_cast<LONG>(size.QuadPart / 2), nullptr, FILE_BEGIN);
        SetEndOfFile(archive);
    } else if (change == Change::Rewrite) {
        std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
        ReadFile(archive, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        SetFilePointer(archive, 0, nullptr, FILE_BEGIN);
        WriteFile(archive, bytes.data(), done, &done, nullptr);
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        SetFileTime(archive, nullptr, nullptr, &now);
    }
    CloseHandle(archive);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring base = std::wstring(self).substr(0, std::wstring(self).rfind(L'.'));
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, directory);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);

    bool scriptRead = false;
    const bool scriptCommand = __argc == 3 && std::string(__argv[1]) == "s";
    const std::string script =
        scriptCommand
            ? ReadAll(CreateFileA(__argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
                      scriptRead)
            : std::string();

    std::ostringstream record;
    record << "process: " << GetCurrentProcessId() << "\n"
           << "command line: " << GetCommandLineA() << "\n"
           << "directory: " << directory << "\n"
           << "show: " << ((startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1) << "\n"
           << "script: " << (scriptRead ? std::to_string(script.size()) : std::string("unreadable")) << "\n"
           << script << "\nend of record\n";
    // One write of the whole record, appended, so that starts that overlap don't interleave.
    const HANDLE log = CreateFileW((base + L".log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::string bytes = record.str();
    DWORD written = 0;
    WriteFile(log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(log);

    while (Exists(base + L".wait"))
        Sleep(10);
    const Change change = Exists(base + L".unchanged")  ? Change::None
                          : Exists(base + L".truncate") ? Change::Truncate
                          : Exists(base + L".rewrite")  ? Change::Rewrite
                                                        : Change::Append;
    for (const ScriptCommand& command : ScriptCommands(script)) {
        if (CommandLetter(command) == 'o' && command.words.size() >= 2)
            ChangeArchive(command.words[1], change);
    }
    bool exitCodeGiven = false;
    const std::string exitCode = Slurp(base + L".exitcode", exitCodeGiven);
    return exitCodeGiven ? std::stoi(exitCode) : 0;
}
