#include "system/FileSystem.h"

#include "system/CodePage.h"
#include "system/PathText.h"
#include "system/Platform.h"
#include "system/ScopedHandle.h"
#include "system/Win32Error.h"

#include <algorithm>
#include <utility>

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

bool AnyFileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ThisProgramsPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring ThisProgramsFolder()
{
    std::wstring path = ThisProgramsPath();
    path.resize(path.find_last_of(L'\\') + 1);
    if (path.size() > 3)
        path.pop_back();
    return path;
}

std::wstring LongPathOf(const std::wstring& path)
{
    std::wstring longPath(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetLongPathNameW(path.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
        if (length == 0)
            return path;
        if (length < longPath.size()) {
            longPath.resize(length);
            return longPath;
        }
        longPath.resize(length);
    }
}

bool Inside(const std::wstring& path, const std::wstring& folder)
{
    const int length = static_cast<int>(folder.size());
    return length > 0 && path.size() > folder.size() && path[folder.size()] == L'\\' &&
           CompareStringOrdinal(path.c_str(), length, folder.c_str(), length, TRUE) == CSTR_EQUAL;
}

std::string FullPath(const std::string& path)
{
    std::string full(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0)
            ThrowLastError("Resolve path", path);
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);
    }
}

std::optional<FileStamp> StampOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    const auto join = [](DWORD high, DWORD low) { return (static_cast<ULONGLONG>(high) << 32) | low; };
    return FileStamp{join(data.nFileSizeHigh, data.nFileSizeLow),
                     join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)};
}

bool HeldByAnotherProgram(DWORD error) { return error == ERROR_SHARING_VIOLATION; }

DWORD WaitingOutScanners(const std::function<bool()>& attempt, bool (*held)(DWORD))
{
    for (int waited = 0;; waited += 100) {
        if (attempt())
            return ERROR_SUCCESS;
        const DWORD error = GetLastError();
        if (!held(error) || waited >= 2000)
            return error;
        Sleep(100);
    }
}

namespace {

constexpr DWORD kChunk = 1 << 20;

// Removes a file, read-only or not; true when it is gone.
bool Remove(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Renames with MOVEFILE_WRITE_THROUGH; a scanner's hold on the new file may show as a refused
// access or a lock violation too.
void RenameWaitingOutScanners(const std::string& from, const std::string& to, DWORD flags)
{
    const DWORD error = WaitingOutScanners(
        [&] { return Platform().moveFileEx(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH) != FALSE; },
        [](DWORD error) {
            return error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION || HeldByAnotherProgram(error);
        });
    if (error)
        throw Win32Error("Rename", from + " to " + to, error);
}

// A new, empty file of a name of its own in the folder of `target`.
std::string MakeTemporaryBeside(const std::string& target)
{
    const std::size_t separator = FindLastSeparator(target);
    const std::string folder = separator == std::string::npos ? "." : target.substr(0, separator + 1);
    char path[MAX_PATH] = "";
    if (!GetTempFileNameA(folder.c_str(), "ins", 0, path))
        ThrowLastError("Create a temporary file", folder);
    // Wine hands back a name even when it couldn't create the file (a read-only folder); then its
    // last error still says why, and is reported instead of a later "file not found".
    const DWORD error = GetLastError();
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        throw Win32Error("Create a temporary file", folder, error ? error : ERROR_CANNOT_MAKE);
    return path;
}

FileHandle OpenForWriting(const std::string& path, DWORD disposition)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        ThrowLastError("Open", path);
    return file;
}

void WriteAll(const FileHandle& file, const char* bytes, std::size_t size, const std::string& path)
{
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes, static_cast<DWORD>(std::min<std::size_t>(size, kChunk)), &written, nullptr))
            ThrowLastError("Write", path);
        bytes += written;
        size -= written;
    }
}

// Data that sits in the system's cache when the temporary is renamed could be lost to a power
// cut after the rename has reached the disk, leaving a torn file under the target's name.
void Flush(const FileHandle& file, const std::string& path)
{
    if (!Platform().flushFileBuffers(file.Get()))
        ThrowLastError("Write", path);
}

// The same for a file written by someone else. Flushing takes a handle open for writing, which a
// read-only file doesn't give; its attributes are put back afterwards.
void FlushFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly && !SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY))
        ThrowLastError("Write", path);
    Flush(OpenForWriting(path, OPEN_EXISTING), path);
    if (readOnly && !SetFileAttributesA(path.c_str(), attributes))
        ThrowLastError("Write", path);
}

DWORD CALLBACK ReportCopyProgress(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                                  HANDLE, HANDLE, void* context)
{
    const auto& progress = *static_cast<const std::function<bool(int)>*>(context);
    const int percent = total.QuadPart > 0 ? static_cast<int>(done.QuadPart * 100 / total.QuadPart) : 100;
    return progress(percent) ? PROGRESS_CONTINUE : PROGRESS_CANCEL;
}

}  // namespace

std::string ReadWholeFile(const std::string& path)
{
    const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        ThrowLastError("Open", path);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size))
        ThrowLastError("Read", path);
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t total = 0;
    while (total < bytes.size()) {
        DWORD read = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - total, kChunk));
        if (!ReadFile(file.Get(), bytes.data() + total, wanted, &read, nullptr))
            ThrowLastError("Read", path);
        if (read == 0)
            break;
        total += read;
    }
    bytes.resize(total);
    return bytes;
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    WriteWholeFile(path, [&bytes](const PieceSink& put) { put(bytes); });
}

// Small pieces are gathered into whole buffers; a durable file is flushed.
PendingFile WriteBeside(const std::string& path, const std::function<void(const PieceSink&)>& produce,
                        Durability durability)
{
    PendingFile temporary(MakeTemporaryBeside(path));
    const FileHandle file = OpenForWriting(temporary.Path(), TRUNCATE_EXISTING);
    std::string buffer;
    buffer.reserve(kChunk);
    const auto writeBuffer = [&] {
        WriteAll(file, buffer.data(), buffer.size(), temporary.Path());
        buffer.clear();
    };
    produce([&](std::string_view piece) {
        if (buffer.size() + piece.size() > kChunk)
            writeBuffer();
        if (piece.size() >= kChunk)
            WriteAll(file, piece.data(), piece.size(), temporary.Path());
        else
            buffer.append(piece);
    });
    writeBuffer();
    if (durability == Durability::Durable)
        Flush(file, temporary.Path());
    return temporary;
}

void WriteWholeFile(const std::string& path, const std::function<void(const PieceSink&)>& produce,
                    Durability durability)
{
    WriteBeside(path, produce, durability).RenameTo(path, MOVEFILE_REPLACE_EXISTING);
}

PendingFile::PendingFile(PendingFile&& other) noexcept : path_(std::exchange(other.path_, std::string())) {}

PendingFile::~PendingFile()
{
    if (!path_.empty())
        Remove(path_);
}

void PendingFile::RenameTo(const std::string& target, DWORD flags)
{
    RenameWaitingOutScanners(path_, target, flags);
    path_.clear();
}

std::string PartialPathOf(const std::string& to) { return to + ".partial"; }

void CopyFileDurably(const std::string& from, const std::string& to, bool replace,
                     const std::function<bool(int)>& progress, CopiedAttributes attributes)
{
    std::function<bool(int)> report = progress ? progress : [](int) { return true; };
    const std::string partial = PartialPathOf(to);
    // A fixed name, so that what a killed run left is found and removed here, not left for good.
    if (!Remove(partial))
        ThrowLastError("Remove", partial);
    PendingFile temporary(partial);
    if (!Platform().copyFileEx(from.c_str(), partial.c_str(), ReportCopyProgress, &report, nullptr,
                               COPY_FILE_FAIL_IF_EXISTS))
        ThrowLastError("Copy", from + " to " + partial);
    // Some platforms (Wine) never report progress, so a cancel is also seen once the copy is done.
    if (!report(100))
        throw Win32Error("Copy", from + " to " + partial, ERROR_REQUEST_ABORTED);
    if (attributes == CopiedAttributes::Normal && !SetFileAttributesA(partial.c_str(), FILE_ATTRIBUTE_NORMAL))
        ThrowLastError("Set the attributes of", partial);
    FlushFile(partial);
    temporary.RenameTo(to, replace ? MOVEFILE_REPLACE_EXISTING : 0);
}

DWORD TryOpeningForChange(const std::string& path) { return TryOpeningForChange(FromCodePage(path)); }

DWORD TryOpeningForChange(const std::wstring& path)
{
    return WaitingOutScanners(
        [&] {
            // Closed again at once; a handle that failed leaves the last error as it was.
            const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
            return static_cast<bool>(file);
        },
        HeldByAnotherProgram);
}
