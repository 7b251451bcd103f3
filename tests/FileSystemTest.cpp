#include "system/FileSystem.h"
#include "system/ScopedHandle.h"
#include "system/Win32Error.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <thread>

namespace {

std::optional<DWORD> FailureCode(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Win32Error& error) {
        return error.Code();
    }
    return std::nullopt;
}
}  // namespace

TEST(FileExists, CountsPlainReadOnlyAndArchiveFilesButNotHiddenSystemOrFolders)
{
    TempDir dir;
    const std::string file = dir / "patch_d2.mpq";
    WriteTextFile(file, "MPQ");
    EXPECT_TRUE(FileExists(file));

    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(FileExists(file));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(FileExists(file));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_SYSTEM);
    EXPECT_FALSE(FileExists(file));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_FALSE(FileExists(dir.Path()));
    EXPECT_TRUE(DirectoryExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir / "missing.mpq"));
    EXPECT_FALSE(DirectoryExists(file));
}

TEST(WholeFiles, AreReadWrittenAndCopiedByteForByteWithoutTemporariesLeft)
{
    TempDir dir;
    std::string bytes = "line\r\n";
    bytes += std::string(1, '\0') + "\x1a" + std::string(3 << 20, 'x') + "\r";
    WriteWholeFile(dir / "a.txt", bytes);
    EXPECT_EQ(ReadWholeFile(dir / "a.txt"), bytes);
    WriteWholeFile(dir / "a.txt", "short");
    EXPECT_EQ(ReadWholeFile(dir / "a.txt"), "short");
    WriteWholeFile(dir / "empty.txt", "");
    EXPECT_EQ(ReadWholeFile(dir / "empty.txt"), "");
    // Pieces are written in order whatever their sizes, however they fall on the write buffer.
    const std::string pieces[] = {"", "a", std::string((1 << 20) - 1, 'b'), "cd", std::string(3 << 20, 'e'), "f"};
    WriteWholeFile(dir / "a.txt", [&](const PieceSink& put) {
        for (const std::string& piece : pieces)
            put(piece);
    });
    EXPECT_EQ(ReadWholeFile(dir / "a.txt"), pieces[1] + pieces[2] + pieces[3] + pieces[4] + pieces[5]);

    // A copy is the file as it was, its time and attributes too; what a killed copy left goes.
    WriteTextFile(dir / "patch_d2.mpq", bytes);
    SetFileAttributesA((dir / "patch_d2.mpq").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteTextFile(dir / "copy.mpq.partial", "torn");
    SetFileAttributesA((dir / "copy.mpq.partial").c_str(), FILE_ATTRIBUTE_READONLY);
    CopyFileDurably(dir / "patch_d2.mpq", dir / "copy.mpq", false);
    EXPECT_EQ(ReadWholeFile(dir / "copy.mpq"), bytes);
    EXPECT_EQ(StampOf(dir / "copy.mpq"), StampOf(dir / "patch_d2.mpq"));
    EXPECT_EQ(GetFileAttributesA((dir / "copy.mpq").c_str()) & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((dir / "copy.mpq").c_str(), FILE_ATTRIBUTE_NORMAL);
    CopyFileDurably(dir / "a.txt", dir / "copy.mpq", true);
    EXPECT_EQ(ReadWholeFile(dir / "copy.mpq"), ReadWholeFile(dir / "a.txt"));
    EXPECT_EQ(FileNamesIn(dir.Path()), (std::vector<std::string>{"a.txt", "copy.mpq", "empty.txt", "patch_d2.mpq"}));

    // A scanner holding the target for a moment is waited out.
    FileHandle held(CreateFileA((dir / "a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    std::thread scanner([&held] {
        Sleep(500);
        held.Reset();
    });
    EXPECT_NO_THROW(WriteWholeFile(dir / "a.txt", "after the scan"));
    scanner.join();
    EXPECT_EQ(ReadWholeFile(dir / "a.txt"), "after the scan");
    const PlatformOverride locking;
    int refusals = 2;
    Platform().moveFileEx = [&refusals](LPCSTR from, LPCSTR to, DWORD flags) {
        return refusals-- > 0 ? (SetLastError(ERROR_LOCK_VIOLATION), FALSE) : MoveFileExA(from, to, flags);
    };
    EXPECT_NO_THROW(WriteWholeFile(dir / "a.txt", "after the lock"));
    EXPECT_EQ(ReadWholeFile(dir / "a.txt"), "after the lock");
}

TEST(WholeFiles, FailuresLeaveTheTargetAsItWasAndNoTemporary)
{
    TempDir dir;
    WriteTextFile(dir / "patch_d2.mpq", std::string(4 << 20, 'a'));
    WriteTextFile(dir / "old.mpq", "unmodded");

    // The copy is complete when the target turns out to exist: the temporary holding it goes.
    EXPECT_EQ(FailureCode([&] { CopyFileDurably(dir / "patch_d2.mpq", dir / "old.mpq", false); }),
              static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(
        FailureCode([&] { CopyFileDurably(dir / "patch_d2.mpq", dir / "old.mpq", true, [](int) { return false; }); }),
        static_cast<DWORD>(ERROR_REQUEST_ABORTED));
    EXPECT_EQ(FailureCode([&] { ReadWholeFile(dir / "missing.txt"); }), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(FailureCode([&] { WriteWholeFile(dir / "no folder\\x.txt", "x"); }));

    // Windows reports a copy's progress, and takes a cancel there (Wine never asks): the copy
    // stops half-way, and its temporary goes.
    {
        const PlatformOverride reporting;
        Platform().copyFileEx = [](LPCSTR from, LPCSTR to, LPPROGRESS_ROUTINE progress, LPVOID context, LPBOOL,
                                   DWORD flags) -> BOOL {
            WriteTextFile(to, "half");
            LARGE_INTEGER total{}, done{};
            total.QuadPart = 4 << 20;
            done.QuadPart = 2 << 20;
            if (progress(total, done, total, done, 1, CALLBACK_CHUNK_FINISHED, nullptr, nullptr, context) ==
                PROGRESS_CONTINUE)
                return DeleteFileA(to) && CopyFileExA(from, to, nullptr, nullptr, nullptr, flags);
            SetLastError(ERROR_REQUEST_ABORTED);
            return FALSE;
        };
        EXPECT_EQ(FailureCode([&] {
                      CopyFileDurably(dir / "patch_d2.mpq", dir / "old.mpq", true,
                                      [](int percent) { return percent != 50; });
                  }),
                  static_cast<DWORD>(ERROR_REQUEST_ABORTED));
    }
    EXPECT_EQ(ReadWholeFile(dir / "old.mpq"), "unmodded");
    EXPECT_EQ(FileNamesIn(dir.Path()), (std::vector<std::string>{"old.mpq", "patch_d2.mpq"}));

    // What reaches the disk: a copy or a file is forced there before it takes its target's name.
    const PlatformOverride recording;
    std::string calls;
    Platform().flushFileBuffers = [&](HANDLE file) { return calls += "flush ", FlushFileBuffers(file); };
    Platform().moveFileEx = [&](LPCSTR from, LPCSTR to, DWORD flags) {
        return calls += "rename ", MoveFileExA(from, to, flags);
    };
    CopyFileDurably(dir / "patch_d2.mpq", dir / "old.mpq", true);
    WriteWholeFile(dir / "new.txt", "x");
    EXPECT_EQ(calls, "flush rename flush rename ");
}
