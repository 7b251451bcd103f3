#pragma once
// The file work the installer does: which paths count as present, full paths, and whole files
// read, written and copied so that a failure half-way never leaves a torn file under the
// target's name.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// True for a plain file: hidden and system files count as missing, and so do directories.
// Read-only and archive files count as present.
bool FileExists(const std::string& path);

// True for a file whatever its attributes, hidden and system included; false for a directory.
bool AnyFileExists(const std::string& path);

bool DirectoryExists(const std::string& path);

// The running program's own path, by its real name.
std::wstring ThisProgramsPath();

// The folder that holds the running program, without a trailing "\" except at a drive root, by its
// real name (which the ANSI code page may not hold).
std::wstring ThisProgramsFolder();

// The long form of an existing path, without the 8.3 aliases it may hold (%TEMP% often names the
// user's folder by one); the path itself when Windows can't tell it.
std::wstring LongPathOf(const std::wstring& path);

// Whether `path` lies in `folder` (given without a trailing "\"), compared as Windows compares names.
bool Inside(const std::wstring& path, const std::wstring& folder);

// The full path of `path` as Windows resolves it; a bare drive ("d:") resolves to the current
// directory that Windows keeps for that drive.
std::string FullPath(const std::string& path);

// What tells whether a program changed a file: its size and the time of its last write.
struct FileStamp {
    ULONGLONG size = 0;
    ULONGLONG lastWrite = 0;

    bool operator==(const FileStamp&) const = default;
};

// Nothing when the file can't be looked at (it is gone, for one).
std::optional<FileStamp> StampOf(const std::string& path);

// Every byte of the file. Throws Win32Error when it can't be opened or read.
std::string ReadWholeFile(const std::string& path);

// Creates or replaces `path` with exactly `bytes`. They go to a temporary file beside it, which is
// flushed to the disk and only then renamed over `path`; on failure the temporary is removed and
// `path` is as it was. Throws Win32Error.
void WriteWholeFile(const std::string& path, const std::string& bytes);

// Whether a file written whole is forced to the disk before it takes its name. A file the player
// keeps is; one that its reader takes the moment it is written, and that is written anew each time
// (the rewritten script), can't be torn by a power cut to any effect, and needn't wait for the disk.
enum class Durability { Durable, Transient };

// The same, with the bytes that `produce` hands, piece by piece, to the function it is given: a
// large text made of many pieces goes to the file without first being put together in memory.
using PieceSink = std::function<void(std::string_view)>;
void WriteWholeFile(const std::string& path, const std::function<void(const PieceSink&)>& produce,
                    Durability durability = Durability::Durable);

// A file under a name of its own that takes its target's name once it is complete (RenameTo, which
// waits out a scanner's brief hold); it is removed unless it did.
class PendingFile {
public:
    explicit PendingFile(std::string path) : path_(std::move(path)) {}
    ~PendingFile();
    PendingFile(PendingFile&& other) noexcept;
    PendingFile& operator=(PendingFile&&) = delete;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::string& Path() const { return path_; }
    void RenameTo(const std::string& target, DWORD flags);

private:
    std::string path_;
};

// WriteWholeFile's first half: the file written whole under a name of its own beside `path`, not
// yet named `path`, which nothing has touched. Throws Win32Error; nothing is left then.
PendingFile WriteBeside(const std::string& path, const std::function<void(const PieceSink&)>& produce,
                        Durability durability);

// The temporary that CopyFileDurably copies `to` through: `to` followed by ".partial".
std::string PartialPathOf(const std::string& to);

// What a copy's file attributes are: the source's, or a plain file's (read-only, hidden and system
// cleared), for a copy that must be found and changed as the file it replaces was.
enum class CopiedAttributes { Kept, Normal };

// Copies `from` to `to` as the platform copies files (timestamps and attributes kept, its fastest
// way; the attributes made normal when asked), through the temporary PartialPathOf(to), which is forced to the disk and
// only then renamed onto `to`: over an existing `to` when `replace`, never otherwise (ERROR_ALREADY_EXISTS). A
// temporary that an interrupted earlier copy left is removed first. `progress` is told the percent
// done where the platform reports it, and once more at the end; its false answer cancels the copy
// (ERROR_REQUEST_ABORTED). Throws Win32Error; the temporary is gone then and `to` as it was.
void CopyFileDurably(const std::string& from, const std::string& to, bool replace,
                     const std::function<bool(int percent)>& progress = {},
                     CopiedAttributes attributes = CopiedAttributes::Kept);

// Whether `error` is CreateFile's refusal of a file because another program holds it.
bool HeldByAnotherProgram(DWORD error);

// A virus scanner opens a freshly written file for a moment, and a call on it then fails with one
// of the errors `held` names: `attempt` is made again for about two seconds before its failure
// stands. ERROR_SUCCESS, or the last attempt's error.
DWORD WaitingOutScanners(const std::function<bool()>& attempt, bool (*held)(DWORD));

// Opens `path` for reading and writing, sharing it with no one, and closes it at once: whether
// the file could be changed now. Waits out a scanner's hold of about two seconds. ERROR_SUCCESS,
// or the system's error code (ERROR_SHARING_VIOLATION while another program holds it).
DWORD TryOpeningForChange(const std::string& path);
DWORD TryOpeningForChange(const std::wstring& path);
