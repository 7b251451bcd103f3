#include "TestSupport.h"

#include "settings/Location.h"
#include "install/MpqArchive.h"
#include "system/CodePage.h"
#include "system/ScopedHandle.h"
#include "system/Win32Error.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>

TempDir::TempDir()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static std::atomic<int> counter{0};
    for (;;) {
        path_ = std::string(temp) + "installer-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
        if (CreateDirectoryA(path_.c_str(), nullptr))
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            ThrowLastError("Create folder", path_);
    }
}

TempDir::~TempDir() { RemoveTree(path_); }

void WriteTextFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadTextFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void MakeDirectory(const std::string& path)
{
    if (!CreateDirectoryA(path.c_str(), nullptr))
        ThrowLastError("Create folder", path);
}

std::vector<std::string> FileNamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (find) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileA(find.Get(), &found));
    }
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileA((path + "\\*").c_str(), &found));
    if (find) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find.Get(), &found));
    }
    RemoveDirectoryA(path.c_str());
}

FileHandle HoldExclusively(const std::string& path)
{
    return FileHandle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

std::string MpqArchiveOf(const std::vector<MpqFile>& files, std::uint32_t hashEntries, bool listfile,
                         std::uint32_t headerSize)
{
    std::vector<MpqFile> stored = files;
    if (listfile) {
        std::string names;
        for (const MpqFile& file : files)
            names += file.name + "\r\n";
        stored.push_back({"(listfile)", names});
    }
    std::string data;
    std::vector<MpqBlockEntry> blocks;
    for (const MpqFile& file : stored) {
        const auto size = static_cast<std::uint32_t>(file.bytes.size());
        blocks.push_back({static_cast<std::uint32_t>(32 + data.size()), size, size, kMpqFileExists});
        data += file.bytes;
    }
    // Entries never used are all ones, as the archivers leave them.
    std::vector<MpqHashEntry> hashes(hashEntries);
    std::memset(hashes.data(), 0xFF, hashes.size() * sizeof(MpqHashEntry));
    for (std::uint32_t block = 0; block < stored.size() && block < hashEntries; ++block) {
        const std::string& name = stored[block].name;
        std::uint32_t slot = MpqHash(name, MpqHashType::TableIndex) & (hashEntries - 1);
        while (hashes[slot].block != kMpqNeverUsed)
            slot = (slot + 1) % hashEntries;
        hashes[slot] = {MpqHash(name, MpqHashType::NameA), MpqHash(name, MpqHashType::NameB), 0, 0, 0, block};
    }
    return MpqArchiveFrom(data, hashes, blocks, headerSize);
}

std::string MpqArchiveFrom(const std::string& data, std::vector<MpqHashEntry> hashes, std::vector<MpqBlockEntry> blocks,
                           std::uint32_t headerSize)
{
    const auto encrypted = [](auto table, std::uint32_t key) {
        const std::span<std::byte> bytes = std::as_writable_bytes(std::span(table));
        EncryptMpqTable(bytes, key);
        return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    const auto hashEntries = static_cast<std::uint32_t>(hashes.size());
    const auto hashTable = static_cast<std::uint32_t>(32 + data.size());
    const std::uint32_t blockTable = hashTable + hashEntries * 16;
    const auto blockCount = static_cast<std::uint32_t>(blocks.size());
    // Header size, archive size, format version 0 with sector size shift 3, the tables' offsets
    // from the header, their entries.
    const std::uint32_t fields[] = {
        headerSize, blockTable + blockCount * 16, 3 << 16, hashTable, blockTable, hashEntries, blockCount};
    std::string archive = "MPQ\x1A";
    archive.append(reinterpret_cast<const char*>(fields), sizeof fields);
    return archive + data + encrypted(hashes, kMpqHashTableKey) + encrypted(blocks, kMpqBlockTableKey);
}

std::string MpqArchive(std::uint32_t hashEntries, std::uint32_t headerSize)
{
    return MpqArchiveOf({{"data\\global\\excel\\misc.txt", "Name\tcode\r\nGold\tgld\r\n"},
                         {"data\\global\\ui\\Loading\\loadingscreen.dc6", std::string(300, '\x07')}},
                        hashEntries, true, headerSize);
}

std::string WithMpqField(std::string archive, std::size_t at, std::uint32_t value)
{
    std::memcpy(archive.data() + at, &value, 4);
    return archive;
}

std::string MpqUserDataHeader(std::uint32_t headerAt)
{
    const std::uint32_t fields[] = {0, headerAt, 0};  // its size, the header's offset, its own size
    return "MPQ\x1B" + std::string(reinterpret_cast<const char*>(fields), 12) + std::string(496, '\0');
}

std::vector<MpqSoundnessCase> MpqSoundnessCases()
{
    const std::string sound = MpqArchive();
    const std::string half = sound.substr(0, sound.size() / 2);
    // A new archive written in place over an older, smaller one, stopped half-way: its header points
    // at tables past the old archive's end.
    const std::string grown = MpqArchiveOf({{"data\\global\\excel\\misc.txt", std::string(2000, 'n')}}, 4);
    return {
        {"at the start", sound, true},
        {"with bytes after it", sound + "more", true},
        {"at 512", std::string(512, 'x') + sound, true},
        {"after a user-data header", MpqUserDataHeader(512) + sound, true},
        {"after a user-data header pointing past the end", MpqUserDataHeader(1 << 20) + sound, true},
        {"its block table of 3 entries claiming 5", WithMpqField(sound, 28, 5), true},
        {"cut by one byte", sound.substr(0, sound.size() - 1), true},
        {"with a hash table of 3 entries", MpqArchive(3), true},
        {"with a hash table of 0 entries", MpqArchive(0), true},
        {"its hash table at the file's end", WithMpqField(sound, 16, static_cast<std::uint32_t>(sound.size())), true},
        {"cut in half", half, false},
        {"cut in half, at 512", std::string(512, 'x') + half, false},
        {"after a user-data header that points at no header", MpqUserDataHeader(256) + sound, false},
        {"written half-way over an older one", grown.substr(0, sound.size() / 2) + sound.substr(sound.size() / 2),
         false},
        {"its hash table past the end", WithMpqField(sound, 16, static_cast<std::uint32_t>(sound.size() + 1)), false},
        {"with a header cut off", std::string(512, 'x') + sound.substr(0, 28), false},
        {"with a sector size of 0", WithMpqField(sound, 12, 0), false},
        {"with a header size under 32", MpqArchive(4, 31), false},
        {"of another signature", "MPQ\x1C" + sound.substr(4), false},
        {"at no multiple of 512", "x" + sound, false},
        {"of four bytes", "MPQ\x1A", false},
    };
}

std::vector<MpqFile> GameLikeFiles(std::size_t count)
{
    static const char* const folders[] = {"data\\global\\excel\\", "data\\global\\items\\", "data\\global\\Monsters\\",
                                          "data\\local\\font\\latin\\"};
    std::vector<MpqFile> files;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string name = folders[i % 4] + std::string("file") + std::to_string(i) + (i % 2 ? ".dc6" : ".txt");
        files.push_back({name, name + std::string(i % 97, '#')});
    }
    return files;
}

std::string D2LikeArchive() { return MpqArchiveOf(GameLikeFiles(kD2LikeFiles), 4096, false); }

void PlaceMod(const std::string& folder, const std::string& script, const std::string& scriptName)
{
    WriteTextFile(folder + "\\modsettings.ini",
                  "[MainSettings]\r\nTitle=Test Mod\r\nAuthor=Tester\r\nFeatures=Everything\r\n"
                  "ScriptFile=" +
                      scriptName + "\r\n");
    WriteTextFile(folder + "\\" + scriptName, script);
    if (!CopyFileA(BesideThisProgram("mpq2k.exe").c_str(), (folder + "\\mpq2k.exe").c_str(), FALSE))
        ThrowLastError("Copy file", BesideThisProgram("mpq2k.exe"));
}

PlatformOverride::PlatformOverride() : saved_(Platform()) {}

PlatformOverride::~PlatformOverride() { Platform() = saved_; }

void ForgetShortNames()
{
    Platform().getShortPathNameA = [](LPCSTR longPath, LPSTR shortPath, DWORD size) {
        return static_cast<DWORD>(lstrlenA(lstrcpynA(shortPath, longPath, static_cast<int>(size))));
    };
    Platform().getShortPathNameW = [](LPCWSTR longPath, LPWSTR shortPath, DWORD size) {
        return static_cast<DWORD>(lstrlenW(lstrcpynW(shortPath, longPath, static_cast<int>(size))));
    };
}

namespace {
const char* const kGameKey = "Software\\Blizzard Entertainment\\Diablo II";

REGSAM GameView(HKEY root) { return root == HKEY_LOCAL_MACHINE ? KEY_WOW64_32KEY : 0; }
}  // namespace

void ForgetGameLocations()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(root, kGameKey, 0, KEY_SET_VALUE | GameView(root), &opened) == ERROR_SUCCESS)
            RegDeleteValueA(RegKey(opened).Get(), "InstallPath");
    }
}

void RecordGame(HKEY root, const std::string& folder)
{
    HKEY created = nullptr;
    if (RegCreateKeyExA(root, kGameKey, 0, nullptr, 0, KEY_SET_VALUE | GameView(root), nullptr, &created, nullptr))
        throw std::runtime_error("cannot record the game's folder");
    const RegKey key(created);
    RegSetValueExA(key.Get(), "InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
}

std::string ThisProgram()
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return self;
}

std::string BesideThisProgram(const std::string& name)
{
    const std::string self = ThisProgram();
    return self.substr(0, self.rfind('\\') + 1) + name;
}

std::string BuiltInstallExe()
{
    std::string path = ThisProgram();
    return path.replace(path.rfind("\\tests\\"), std::string::npos, "\\Install.exe");
}

UniqueHandle StartProcess(const std::wstring& commandLine, const std::wstring& directory, DWORD* processId)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                        &started))
        return UniqueHandle();
    const UniqueHandle thread(started.hThread);
    if (processId)
        *processId = started.dwProcessId;
    return UniqueHandle(started.hProcess);
}

UniqueHandle StartProcess(const std::string& commandLine, const std::string& directory, DWORD* processId)
{
    return StartProcess(FromCodePage(commandLine), FromCodePage(directory), processId);
}

ProgramRun RunProgram(const std::string& commandLine, const std::string& directory)
{
    return RunProgram(FromCodePage(commandLine), FromCodePage(directory));
}

ProgramRun RunProgram(const std::wstring& commandLine, const std::wstring& directory)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE reading = nullptr;
    HANDLE writing = nullptr;
    ProgramRun run;
    if (!CreatePipe(&reading, &writing, &inherit, 1 << 20))
        return run;
    const UniqueHandle readEnd(reading);
    UniqueHandle writeEnd(writing);
    SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writing;
    startup.hStdError = writing;
    PROCESS_INFORMATION started{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(), &startup,
                        &started))
        return run;
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    writeEnd.Reset();
    {
        MessageBoxWatcher boxes(started.dwProcessId);
        for (int waited = 0; !run.ended && waited < 60000; waited += 20) {
            run.showedWindow = run.showedWindow || FindVisibleWindow(started.dwProcessId, "VornikelForm1");
            run.ended = WaitForSingleObject(process.Get(), 20) == WAIT_OBJECT_0;
        }
        run.boxes = boxes.Boxes().size();
    }
    GetExitCodeProcess(process.Get(), &run.exitCode);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(reading, buffer, sizeof buffer, &read, nullptr) && read > 0)
        run.output.append(buffer, read);
    return run;
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

namespace {

struct WindowSearch {
    DWORD process;
    const char* className;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (process == search->process && std::string(className) == search->className && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindVisibleWindow(DWORD process, const char* className)
{
    WindowSearch search{process, className, nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {

std::string WindowText(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HICON BoxIcon(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child))
            return reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    }
    return nullptr;
}

ShownBox Describe(HWND box)
{
    ShownBox shown;
    shown.title = WindowText(box);
    shown.text = WindowText(GetDlgItem(box, 0xFFFF));
    const HICON icon = BoxIcon(box);
    shown.anyIcon = icon != nullptr;
    shown.criticalStopIcon = icon && icon == LoadIconA(nullptr, IDI_HAND);
    int buttons = 0;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = "";
        GetClassNameA(child, className, sizeof className);
        if (std::string(className) == "Button" && IsWindowVisible(child))
            ++buttons;
    }
    shown.onlyOkButton = buttons == 1 && GetDlgItem(box, IDOK) && IsWindowVisible(GetDlgItem(box, IDOK));
    return shown;
}

}  // namespace

namespace {
std::atomic<int> expectingWatchers{0};
}  // namespace

MessageBoxWatcher::MessageBoxWatcher(DWORD process) : process_(process), thread_([this] { Watch(); })
{
    ++expectingWatchers;
}

MessageBoxWatcher::MessageBoxWatcher(std::function<void(const ShownBox&)> unexpected)
    : process_(GetCurrentProcessId()), unexpected_(std::move(unexpected)), thread_([this] { Watch(); })
{
}

MessageBoxWatcher::~MessageBoxWatcher()
{
    if (!unexpected_)
        --expectingWatchers;
    stop_ = true;
    thread_.join();
}

std::vector<ShownBox> MessageBoxWatcher::Boxes() const
{
    std::lock_guard lock(mutex_);
    return boxes_;
}

void MessageBoxWatcher::Watch()
{
    using namespace std::chrono_literals;
    while (!stop_) {
        const HWND box = unexpected_ && expectingWatchers > 0 ? nullptr : FindVisibleWindow(process_, "#32770");
        if (!box) {
            std::this_thread::sleep_for(5ms);
            continue;
        }
        // Give the box a moment to finish laying out its text and icon.
        std::this_thread::sleep_for(20ms);
        const ShownBox shown = Describe(box);
        if (unexpected_)
            unexpected_(shown);
        {
            std::lock_guard lock(mutex_);
            boxes_.push_back(shown);
        }
        const auto has = [box](int id) { return GetDlgItem(box, id) && IsWindowVisible(GetDlgItem(box, id)); };
        PostMessageA(box, WM_COMMAND, has(answer_) ? answer_.load() : has(IDYES) ? IDYES : IDOK, 0);
        for (int i = 0; i < 1000 && IsWindow(box) && IsWindowVisible(box); ++i)
            std::this_thread::sleep_for(2ms);
    }
}

bool WaitUntil(const std::function<bool()>& done, int seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}
