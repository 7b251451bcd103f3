#pragma once
// What the tests share: scratch folders on the real file system, files written byte for byte,
// and a watcher that records and closes the message boxes the code under test shows.
#include "install/MpqArchive.h"
#include "system/Platform.h"
#include "system/ScopedHandle.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A fresh folder under the temporary directory, removed with its contents at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

void WriteTextFile(const std::string& path, const std::string& bytes);
std::string ReadTextFile(const std::string& path);
void MakeDirectory(const std::string& path);
// The names of the files (not folders) in `folder`, sorted.
std::vector<std::string> FileNamesIn(const std::string& folder);
void RemoveTree(const std::string& path);
// The file opened as a program that shares it with no one, as a scanner does for a moment.
FileHandle HoldExclusively(const std::string& path);

struct ShownBox {
    std::string title;
    std::string text;
    bool criticalStopIcon = false;
    bool anyIcon = false;
    bool onlyOkButton = false;
};

// Watches a process (this one unless told) for message boxes from another thread; records each
// box and presses its OK button (or Yes, or the button Answer names), so that code that shows
// modal boxes runs on without a person.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(DWORD process = GetCurrentProcessId());
    // A guard for a test that drives a window: while no other watcher runs, each box is handed to
    // `unexpected` and closed, where the test would wait for it until its time ran out.
    explicit MessageBoxWatcher(std::function<void(const ShownBox&)> unexpected);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<ShownBox> Boxes() const;
    // From now on, boxes that have the button `id` (IDNO, IDCANCEL) are answered with it.
    void Answer(int id) { answer_ = id; }

private:
    void Watch();

    mutable std::mutex mutex_;
    std::vector<ShownBox> boxes_;
    DWORD process_;
    std::function<void(const ShownBox&)> unexpected_;
    std::atomic<bool> stop_{false};
    std::atomic<int> answer_{IDYES};
    std::thread thread_;
};

struct MpqFile {
    std::string name;  // with "\"
    std::string bytes;
};

// An MPQ archive of format version 0 as the archivers write one: `files` stored as they are (not
// compressed, not encrypted) after the header, then the hash table of `hashEntries` and the block
// table, both encrypted; a "(listfile)" naming the files when `listfile`. The header claims
// `headerSize` bytes. Files that find no free entry in the hash table (none when it has none) are
// stored but named nowhere.
std::string MpqArchiveOf(const std::vector<MpqFile>& files, std::uint32_t hashEntries, bool listfile = true,
                         std::uint32_t headerSize = 32);
// The same from its parts: the stored files' bytes after the header, and both tables as they are.
std::string MpqArchiveFrom(const std::string& data, std::vector<MpqHashEntry> hashes, std::vector<MpqBlockEntry> blocks,
                           std::uint32_t headerSize = 32);

// A small sound MPQ archive, as the game's patch_d2.mpq stands in the tests and the demo: two files
// and a "(listfile)", `hashEntries` in the hash table, a header that claims `headerSize` bytes.
std::string MpqArchive(std::uint32_t hashEntries = 4, std::uint32_t headerSize = 32);

// `count` small files named as the game's are (data\global\...), each holding its own name.
std::vector<MpqFile> GameLikeFiles(std::size_t count);

// `archive` with the header's 32-bit field at `at` set to `value`.
std::string WithMpqField(std::string archive, std::size_t at, std::uint32_t value);
// A user-data header of 512 bytes that points `headerAt` bytes on, to the archive's header.
std::string MpqUserDataHeader(std::uint32_t headerAt);

// Files that the game's reader, and StormLib's, open or refuse, and whether they are sound MPQ
// archives: whole, cut off, written half-way, and protected in the ways the game still reads.
struct MpqSoundnessCase {
    const char* what;
    std::string bytes;
    bool sound;
};
std::vector<MpqSoundnessCase> MpqSoundnessCases();

// An archive as the game's own patch_d2.mpq is: no "(listfile)", a hash table of thousands of
// entries, GameLikeFiles(kD2LikeFiles).
inline constexpr std::size_t kD2LikeFiles = 1500;
std::string D2LikeArchive();

// What the installer says when an install is done.
inline constexpr const char* kInstalledText = "Install Completed Sucessfully, A backup has been created as well.";

// A mod in `folder`: its description naming its script, the script, and the stand-in archiver.
void PlaceMod(const std::string& folder, const std::string& script = "o patch_d2.mpq\r\nPATCH_D2.MPQ\r\n",
              const std::string& scriptName = "mod script.txt");

// Puts stand-ins for the platform's calls (PlatformCalls) in place for as long as it lives.
class PlatformOverride {
public:
    PlatformOverride();
    ~PlatformOverride();
    PlatformOverride(const PlatformOverride&) = delete;
    PlatformOverride& operator=(const PlatformOverride&) = delete;

private:
    PlatformCalls saved_;
};

// As on a volume that keeps no 8.3 names: every short path Windows reports is the long one. For
// the life of a PlatformOverride.
void ForgetShortNames();

// A fresh user: nothing remembered by the installers, no game recorded by the game.
void ForgetGameLocations();

// Records `folder` as the game's InstallPath, as the game does (machine-wide: in the 32-bit view).
void RecordGame(HKEY root, const std::string& folder);

// A visible top-level window of `process` of the window class `className`, or null.
HWND FindVisibleWindow(DWORD process, const char* className);

// The running program's own path, and the path of `name` beside it: the build puts the programs
// the tests start there (the stand-in archiver, the launch recorder, the planted DLL).
std::string ThisProgram();
std::string BesideThisProgram(const std::string& name);

// The Install.exe the build made, in the build folder above the tests.
std::string BuiltInstallExe();

// How a program run to its end went.
struct ProgramRun {
    bool ended = false;  // within a minute
    DWORD exitCode = STILL_ACTIVE;
    std::string output;         // what it wrote to its standard output and error
    std::size_t boxes = 0;      // message boxes it showed, each answered
    bool showedWindow = false;  // a window of Install.exe's
};

// Runs `commandLine` in `directory` to its end, its standard output read through a pipe.
ProgramRun RunProgram(const std::string& commandLine, const std::string& directory);
ProgramRun RunProgram(const std::wstring& commandLine, const std::wstring& directory);

// Starts `commandLine` in `directory`; an empty owner when it couldn't be started.
UniqueHandle StartProcess(const std::wstring& commandLine, const std::wstring& directory, DWORD* processId = nullptr);
UniqueHandle StartProcess(const std::string& commandLine, const std::string& directory, DWORD* processId = nullptr);

// Processes the calling thread's pending window messages.
void PumpMessages();

// Processes window messages until `done` is true; false when `seconds` pass first.
bool WaitUntil(const std::function<bool()>& done, int seconds = 20);
