// A stand-in for the archiver mpq2k.exe, for the tests and the demo only. Started as
// "mpq2k.exe s SCRIPT", it reads its script as the real archiver does, one command a line, and
// for each "o ARCHIVE" line opens that archive (creating it when it is missing, as the real one
// does) and appends kArchiveRecord to it; it reads no other command. Like the real one it ends
// with exit code 0 whatever happens. It appends to a log beside itself (its own path with ".log"
// for ".exe") how it was started and the script's bytes. Beside it, a file ".wait" keeps it
// running for as long as that file exists, a file ".unchanged" makes it change no archive, and a
// file ".exitcode" holding a number makes that number its exit code.
#include "ArchiverLog.h"

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

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

// The archiver's words: separated by spaces only; a word that starts with a quote (" or ') runs to
// the same quote, or to the line's end when it isn't closed; a quote inside a word is a letter.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    for (std::size_t at = 0; at < line.size();) {
        if (line[at] == ' ') {
            ++at;
            continue;
        }
        const char quote = line[at];
        if (quote == '"' || quote == '\'') {
            const std::size_t end = std::min(line.find(quote, at + 1), line.size());
            words.push_back(line.substr(at + 1, end - at - 1));
            at = end + 1;
        } else {
            const std::size_t end = std::min(line.find(' ', at), line.size());
            words.push_back(line.substr(at, end - at));
            at = end;
        }
    }
    return words;
}

// Carries out the script's "o" lines: CR, LF and CR LF all end a line.
void OpenArchives(const std::string& script, bool change)
{
    std::size_t start = 0;
    while (start <= script.size()) {
        const std::size_t end = std::min(script.find_first_of("\r\n", start), script.size());
        const std::vector<std::string> words = Words(script.substr(start, end - start));
        if (words.size() >= 2 && (words[0] == "o" || words[0] == "O")) {
            const HANDLE archive = CreateFileA(words[1].c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                               FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            if (change)
                WriteFile(archive, kArchiveRecord, static_cast<DWORD>(strlen(kArchiveRecord)), &written, nullptr);
            CloseHandle(archive);
        }
        start = end + (script.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
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
    OpenArchives(script, !Exists(base + L".unchanged"));
    bool exitCodeGiven = false;
    const std::string exitCode = Slurp(base + L".exitcode", exitCodeGiven);
    return exitCodeGiven ? std::stoi(exitCode) : 0;
}
