#include "app/InstallScript.h"
#include "system/FileSystem.h"
#include "system/ScopedHandle.h"
#include "system/Win32Error.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <thread>

namespace {

const std::string kShort = "C:\\GAMES\\DIABLO~1\\patch_d2.mpq";

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

TEST(RewriteScript, ReplacesEveryExactOccurrenceOnceAndKeepsEveryOtherByte)
{
    struct Row {
        std::string script;
        std::string rewritten;
    };
    const std::string nul(1, '\0');
    const Row rows[] = {
        {"", ""},
        {"no archive named here\r\n", "no archive named here\r\n"},
        {"o patch_d2.mpq\r\n", "o " + kShort + "\r\n"},
        {"a data\\patch_d2.mpqx b", "a data\\" + kShort + "x b"},
        {"patch_d2.mpqpatch_d2.mpq", kShort + kShort},
        {"PATCH_D2.MPQ Patch_d2.mpq patch_d2.mp q", "PATCH_D2.MPQ Patch_d2.mpq patch_d2.mp q"},
        {"patch_d2.mpq" + nul + "\x1a\r\rpatch_d2.mpq\n", kShort + nul + "\x1a\r\r" + kShort + "\n"},
        {"patch_patch_d2.mpq.mpq", "patch_" + kShort + ".mpq"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(RewriteScript(row.script, kShort), row.rewritten) << row.script;

    // A short path that itself ends in the name is put in once, and not searched again.
    EXPECT_EQ(RewriteScript("o patch_d2.mpq", "C:\\G\\patch_d2.mpq"), "o C:\\G\\patch_d2.mpq");
    EXPECT_EQ(RewriteScript("patch_d2.mpq", "patch_d2.mpq patch_d2.mpq"), "\"patch_d2.mpq patch_d2.mpq\"");

    // A path with a space stays one word for the archiver, in quotes unless the script has them.
    const std::string spaced = "D:\\Games\\Diablo II\\patch_d2.mpq";
    EXPECT_EQ(RewriteScript("o patch_d2.mpq\r\na \"patch_d2.mpq\" 'patch_d2.mpq'", spaced),
              "o \"" + spaced + "\"\r\na \"" + spaced + "\" '" + spaced + "'");
}

TEST(RewriteScript, FindsMentionsAtEveryPositionAndNearTheEnd)
{
    // Mentions at each offset within eight bytes, next to look-alikes, and cut off at the end.
    for (std::size_t offset = 0; offset < 24; ++offset) {
        for (const std::string& tail : {std::string(), std::string("patch_d2.mp"), std::string("q"), std::string("xpatch_d2.mpq")}) {
            const std::string script = std::string(offset, 'p') + "patch_d2.mpq_patch_d2.mpqpatch_d2.mpq" +
                                       std::string(offset % 7, 'q') + "patch_d2.mpX" + tail;
            std::string expected;
            std::size_t from = 0;
            for (std::size_t found = script.find("patch_d2.mpq"); found != std::string::npos;
                 found = script.find("patch_d2.mpq", from)) {
                expected += script.substr(from, found - from) + kShort;
                from = found + 12;
            }
            expected += script.substr(from);
            EXPECT_EQ(RewriteScript(script, kShort), expected) << script;
        }
    }
}

TEST(ArchiverCommandLine, QuotesOnlyPathsThatHoldASpace)
{
    EXPECT_EQ(ArchiverCommandLine("C:\\Mods\\Vornikel"), "C:\\Mods\\Vornikel\\mpq2k.exe s C:\\Mods\\Vornikel\\correctscript.tmp");
    EXPECT_EQ(ArchiverCommandLine("C:\\My Mods\\Vornikel"),
              "\"C:\\My Mods\\Vornikel\\mpq2k.exe\" s \"C:\\My Mods\\Vornikel\\correctscript.tmp\"");
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
    WriteRewrittenScript(dir / "a.txt", "o patch_d2.mpq", kShort);
    EXPECT_EQ(ReadWholeFile(dir / "a.txt"), "o " + kShort + "\r\n");

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
}

TEST(WholeFiles, FailuresLeaveTheTargetAsItWasAndNoTemporary)
{
    TempDir dir;
    WriteTextFile(dir / "patch_d2.mpq", std::string(4 << 20, 'a'));
    WriteTextFile(dir / "old.mpq", "unmodded");

    // The copy is complete when the target turns out to exist: the temporary holding it goes.
    EXPECT_EQ(FailureCode([&] { CopyFileDurably(dir / "patch_d2.mpq", dir / "old.mpq", false); }),
              static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(FailureCode([&] { CopyFileDurably(dir / "patch_d2.mpq", dir / "old.mpq", true, [](int) { return false; }); }),
              static_cast<DWORD>(ERROR_REQUEST_ABORTED));
    EXPECT_EQ(FailureCode([&] { ReadWholeFile(dir / "missing.txt"); }), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(FailureCode([&] { WriteWholeFile(dir / "no folder\\x.txt", "x"); }));

    EXPECT_EQ(ReadWholeFile(dir / "old.mpq"), "unmodded");
    EXPECT_EQ(FileNamesIn(dir.Path()), (std::vector<std::string>{"old.mpq", "patch_d2.mpq"}));
}
