#include "system/FileSystem.h"

#include "system/ScopedHandle.h"
#include "system/Win32Error.h"

#include <windows.h>

#include <algorithm>
#include <vector>

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

namespace {

constexpr DWORD kChunk = 1 << 20;

// A file made beside a target, to be written and then renamed onto it; removed unless it was.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target)
    {
        const std::size_t separator = target.rfind('\\');
        const std::string folder = separator == std::string::npos ? "." : target.substr(0, separator + 1);
        char path[MAX_PATH] = "";
        if (!GetTempFileNameA(folder.c_str(), "ins", 0, path))
            ThrowLastError("Create a temporary file", folder);
        // Wine hands back a name even when it couldn't create the file (a read-only folder); then
        // its last error still says why, and is reported instead of a later "file not found".
        const DWORD error = GetLastError();
        if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
            throw Win32Error("Create a temporary file", folder, error ? error : ERROR_CANNOT_MAKE);
        path_ = path;
    }
    ~TemporaryFile()
    {
        if (!path_.empty())
            DeleteFileA(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& Path() const { return path_; }

    void RenameTo(const std::string& target, DWORD flags)
    {
        if (!MoveFileExA(path_.c_str(), target.c_str(), flags | MOVEFILE_WRITE_THROUGH))
            ThrowLastError("Rename", path_ + " to " + target);
        path_.clear();
    }

private:
    std::string path_;
};

FileHandle OpenForReading(const std::string& path)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        ThrowLastError("Open", path);
    return file;
}

FileHandle OpenForWriting(const TemporaryFile& temporary)
{
    FileHandle file(CreateFileA(temporary.Path().c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        ThrowLastError("Open", temporary.Path());
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
    if (!FlushFileBuffers(file.Get()))
        ThrowLastError("Write", path);
}

// Writes what `produce` hands over to a temporary file beside `target`, small pieces gathered into
// whole buffers, flushes it to the disk and only then renames it onto `target` with `renameFlags`.
void WriteBeside(const std::string& target, DWORD renameFlags, const std::function<void(const PieceSink&)>& produce)
{
    TemporaryFile temporary(target);
    {
        const FileHandle file = OpenForWriting(temporary);
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
        Flush(file, temporary.Path());
    }
    temporary.RenameTo(target, renameFlags);
}

}  // namespace

std::string ReadWholeFile(const std::string& path)
{
    const FileHandle file = OpenForReading(path);
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

void WriteWholeFile(const std::string& path, const std::function<void(const PieceSink&)>& produce)
{
    WriteBeside(path, MOVEFILE_REPLACE_EXISTING, produce);
}

void CopyFileSafely(const std::string& from, const std::string& to)
{
    const FileHandle source = OpenForReading(from);
    std::vector<char> buffer(kChunk);
    WriteBeside(to, 0, [&](const PieceSink& put) {
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(source.Get(), buffer.data(), kChunk, &read, nullptr))
                ThrowLastError("Read", from);
            if (read == 0)
                break;
            put(std::string_view(buffer.data(), read));
        }
    });
}
