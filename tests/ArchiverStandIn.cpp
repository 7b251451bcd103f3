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
// When it appends, it first adds the files of each "a" line after an "o" line for real, in place,
// as the real one does: "a SOURCE [NAME] [/c] [/wav] [/auto] [/r]" stores one file under NAME or
// under SOURCE as written; a SOURCE with wildcards stores the files it matches in the folder NAME
// (SOURCE's own folder as written when none is given), and with "/r" those of its subfolders too.
// Files are stored as they are, whatever the options ask; the file data goes where the tables
// stood and the tables are written anew after it; a "(listfile)" is written anew too, naming the
// added files after its own. A file "-skip.txt" beside it (mpq2k-skip.txt) names, one a line,
// names in the archive it leaves out; a file ".slow" holding a number pauses that many milliseconds
// before each file it adds, as a slow disk or a compressing archiver would.
#include "ArchiverLog.h"

#include "install/ArchiverScript.h"
#include "install/MpqArchive.h"

#include <windows.h>

#include <shlwapi.h>

#include <algorithm>
#include <cstring>
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

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(tolower(c)); });
    return text;
}

// The files an "a" line names: (name in the archive, source path), by the rules above.
void Matches(const std::string& source, const std::string& folder, bool recurse,
             std::vector<std::pair<std::string, std::string>>& files)
{
    const std::size_t slash = source.find_last_of('\\');
    const std::string sourceFolder = slash == std::string::npos ? "" : source.substr(0, slash + 1);
    const std::string pattern = source.substr(sourceFolder.size());
    const std::string prefix = folder.empty() ? "" : folder + "\\";
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((sourceFolder + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        const bool isFolder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        if (isFolder && recurse && name != "." && name != "..")
            Matches(sourceFolder + name + "\\" + pattern, prefix + name, recurse, files);
        else if (!isFolder && PathMatchSpecA(name.c_str(), pattern.c_str()))
            files.emplace_back(prefix + name, sourceFolder + name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

std::vector<std::pair<std::string, std::string>> FilesOf(const ScriptCommand& command)
{
    std::vector<std::string> words;
    bool recurse = false;
    for (std::size_t i = 1; i < command.words.size(); ++i) {
        if (command.words[i][0] == '/')
            recurse = recurse || Lower(command.words[i]) == "/r";
        else
            words.push_back(command.words[i]);
    }
    std::vector<std::pair<std::string, std::string>> files;
    if (words.empty())
        return files;
    const std::string& source = words[0];
    if (source.find_first_of("*?") == std::string::npos) {
        files.emplace_back(words.size() > 1 ? words[1] : source, source);
        return files;
    }
    const std::size_t slash = source.find_last_of('\\');
    Matches(source,
            words.size() > 1             ? words[1]
            : slash == std::string::npos ? ""
                                         : source.substr(0, slash),
            recurse, files);
    return files;
}

// Adds `files` to the archive at `path` (header at its start, format version 0), in place.
void AddFiles(const std::string& path, const std::vector<std::pair<std::string, std::string>>& files,
              const std::vector<std::string>& skipped, DWORD pause)
{
    const HANDLE archive = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    std::uint32_t header[8] = {};
    DWORD done = 0;
    if (archive == INVALID_HANDLE_VALUE)
        return;
    if (!ReadFile(archive, header, sizeof header, &done, nullptr) || done != sizeof header || header[0] != 0x1A51504D) {
        CloseHandle(archive);
        return;
    }
    const auto readTable = [&](std::uint32_t at, std::uint32_t entries, std::uint32_t key) {
        std::vector<std::uint32_t> table(entries * 4);
        SetFilePointer(archive, static_cast<LONG>(at), nullptr, FILE_BEGIN);
        ReadFile(archive, table.data(), static_cast<DWORD>(table.size() * 4), &done, nullptr);
        DecryptMpqTable(std::as_writable_bytes(std::span(table)), key);
        return table;
    };
    std::vector<std::uint32_t> hashes = readTable(header[4], header[6], kMpqHashTableKey);
    std::vector<std::uint32_t> blocks = readTable(header[5], header[7], kMpqBlockTableKey);
    std::uint32_t end = std::min(header[4], header[5]);
    const std::uint32_t mask = header[6] - 1;
    // The hash table's slot of `name`: its entry, or the first one free; past the mask when full.
    const auto slotOf = [&](const std::string& name) {
        std::uint32_t slot = MpqHash(name, MpqHashType::TableIndex) & mask;
        std::uint32_t probed = 0;
        while (probed++ <= mask && hashes[slot * 4 + 3] < kMpqDeleted &&
               !(hashes[slot * 4] == MpqHash(name, MpqHashType::NameA) &&
                 hashes[slot * 4 + 1] == MpqHash(name, MpqHashType::NameB)))
            slot = (slot + 1) & mask;
        return probed > mask + 1 ? mask + 1 : slot;
    };
    const auto store = [&](const std::string& name, const std::string& bytes) {
        const std::uint32_t slot = slotOf(name);
        if (slot > mask)
            return;
        SetFilePointer(archive, static_cast<LONG>(end), nullptr, FILE_BEGIN);
        WriteFile(archive, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        const auto size = static_cast<std::uint32_t>(bytes.size());
        const std::uint32_t hash[] = {MpqHash(name, MpqHashType::NameA), MpqHash(name, MpqHashType::NameB), 0,
                                      static_cast<std::uint32_t>(blocks.size() / 4)};
        std::copy(std::begin(hash), std::end(hash), hashes.begin() + slot * 4);
        blocks.insert(blocks.end(), {end, size, size, kMpqFileExists});
        end += size;
    };
    std::string added;
    for (const auto& [name, source] : files) {
        if (std::find(skipped.begin(), skipped.end(), Lower(name)) != skipped.end())
            continue;
        bool read = false;
        const std::string bytes = ReadAll(
            CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr), read);
        if (read) {
            Sleep(pause);
            store(name, bytes);
            added += name + "\r\n";
        }
    }
    // As archivers built on the common MPQ libraries do, a "(listfile)" is written anew, naming the
    // added files too.
    const std::uint32_t listfile = slotOf("(listfile)");
    if (listfile <= mask && hashes[listfile * 4 + 3] < blocks.size() / 4) {
        const std::uint32_t* const block = &blocks[hashes[listfile * 4 + 3] * 4];
        std::string names(block[1], '\0');
        SetFilePointer(archive, static_cast<LONG>(block[0]), nullptr, FILE_BEGIN);
        ReadFile(archive, names.data(), block[1], &done, nullptr);
        if (!names.empty() && names.back() != '\n')
            names += "\r\n";
        store("(listfile)", names + added);
    }
    header[4] = end;
    header[5] = end + static_cast<std::uint32_t>(hashes.size() * 4);
    header[7] = static_cast<std::uint32_t>(blocks.size() / 4);
    header[2] = header[5] + header[7] * 16;
    EncryptMpqTable(std::as_writable_bytes(std::span(hashes)), kMpqHashTableKey);
    EncryptMpqTable(std::as_writable_bytes(std::span(blocks)), kMpqBlockTableKey);
    SetFilePointer(archive, static_cast<LONG>(end), nullptr, FILE_BEGIN);
    WriteFile(archive, hashes.data(), static_cast<DWORD>(hashes.size() * 4), &done, nullptr);
    WriteFile(archive, blocks.data(), static_cast<DWORD>(blocks.size() * 4), &done, nullptr);
    SetEndOfFile(archive);
    SetFilePointer(archive, 0, nullptr, FILE_BEGIN);
    WriteFile(archive, header, sizeof header, &done, nullptr);
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
    bool skipListed = false;
    std::vector<std::string> skipped;
    std::istringstream skipLines(Lower(Slurp(base + L"-skip.txt", skipListed)));
    for (std::string line; std::getline(skipLines, line);)
        skipped.push_back(line.substr(0, line.find_last_not_of("\r") + 1));
    bool slow = false;
    const DWORD pause = static_cast<DWORD>(atoi(Slurp(base + L".slow", slow).c_str()));
    // Each archive's adds are made before the record is appended to it.
    std::string archive;
    std::vector<std::pair<std::string, std::string>> adds;
    const auto close = [&] {
        if (archive.empty())
            return;
        if (change == Change::Append && !adds.empty())
            AddFiles(archive, adds, skipped, pause);
        ChangeArchive(archive, change);
        adds.clear();
    };
    for (const ScriptCommand& command : ScriptCommands(script)) {
        if (CommandLetter(command) == 'o' && command.words.size() >= 2) {
            close();
            archive = command.words[1];
        } else if (CommandLetter(command) == 'a' && !archive.empty()) {
            for (auto& file : FilesOf(command))
                adds.push_back(std::move(file));
        }
    }
    close();
    bool exitCodeGiven = false;
    const std::string exitCode = Slurp(base + L".exitcode", exitCodeGiven);
    return exitCodeGiven ? std::stoi(exitCode) : 0;
}
