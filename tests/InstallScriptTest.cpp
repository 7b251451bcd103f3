#include "install/InstallScript.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

const std::string kShort = "C:\\GAMES\\DIABLO~1\\patch_d2.mpq";

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

    // The file the archiver reads closes the last line.
    TempDir dir;
    WriteRewrittenScript(dir / "correctscript.tmp", "o patch_d2.mpq", kShort);
    EXPECT_EQ(ReadTextFile(dir / "correctscript.tmp"), "o " + kShort + "\r\n");
}

TEST(RewriteScript, FindsMentionsAtEveryPositionAndNearTheEnd)
{
    // Mentions at each offset within eight bytes, next to look-alikes, and cut off at the end.
    for (std::size_t offset = 0; offset < 24; ++offset) {
        for (const std::string& tail :
             {std::string(), std::string("patch_d2.mp"), std::string("q"), std::string("xpatch_d2.mpq")}) {
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
    EXPECT_EQ(ArchiverCommandLine("C:\\Mods\\Vornikel"),
              "C:\\Mods\\Vornikel\\mpq2k.exe s C:\\Mods\\Vornikel\\correctscript.tmp");
    EXPECT_EQ(ArchiverCommandLine("C:\\My Mods\\Vornikel"),
              "\"C:\\My Mods\\Vornikel\\mpq2k.exe\" s \"C:\\My Mods\\Vornikel\\correctscript.tmp\"");
}
