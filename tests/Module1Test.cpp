#include "system/CodePage.h"
#include "system/FileSystem.h"
#include "system/Module1.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

// True when every name in `path` after the drive fits 8.3 and nothing in it is a space.
bool LooksShort(const std::string& path)
{
    if (path.find(' ') != std::string::npos)
        return false;
    std::size_t start = path.find('\\') + 1;
    while (start < path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        const std::string name = path.substr(start, end - start);
        const std::size_t dot = name.find('.');
        const std::size_t stem = dot == std::string::npos ? name.size() : dot;
        const std::size_t extension = dot == std::string::npos ? 0 : name.size() - dot - 1;
        if (stem > 8 || extension > 3)
            return false;
        start = end + 1;
    }
    return true;
}

struct ArchiveWithShortForm {
    std::string longPath;
    std::string shortPath;
};

// An 8.3 file name of 1 to 12 characters.
std::string ShortFileName(std::size_t length)
{
    return length <= 8 ? std::string(length, 'p') : std::string(length - 4, 'p') + ".mpq";
}

// Creates a file under `dir` in a folder whose long name has spaces, below 8.3 folders chosen so
// that the file's short form is `shortLength` characters long.
ArchiveWithShortForm MakeArchiveWithShortForm(const TempDir& dir, const std::string& longFolder,
                                              std::size_t shortLength)
{
    ArchiveWithShortForm archive{dir / longFolder, ""};
    MakeDirectory(archive.longPath);
    archive.shortPath = GetShortPath(archive.longPath);
    while (archive.shortPath.size() + 1 + 12 < shortLength) {
        archive.longPath += "\\abcdefgh";
        archive.shortPath += "\\abcdefgh";
        MakeDirectory(archive.longPath);
    }
    const std::string name = ShortFileName(shortLength - archive.shortPath.size() - 1);
    archive.longPath += '\\';
    archive.shortPath += '\\';
    archive.longPath += name;
    archive.shortPath += name;
    WriteTextFile(archive.longPath, "MPQ archive");
    return archive;
}

}  // namespace

TEST(GetShortPath, GivesLongNamesAndSpacesTheirShortFormForTheSameFile)
{
    TempDir dir;
    MakeDirectory(dir / "Diablo II Lord of Destruction");
    const std::string archive = dir / "Diablo II Lord of Destruction\\patch_d2.mpq";
    WriteTextFile(archive, "MPQ archive");

    const std::string shortPath = GetShortPath(archive);

    EXPECT_NE(shortPath, archive);
    EXPECT_TRUE(LooksShort(shortPath)) << shortPath;
    EXPECT_TRUE(FileExists(shortPath)) << shortPath;
    EXPECT_EQ(ReadTextFile(shortPath), "MPQ archive");
    EXPECT_EQ(GetShortPath(shortPath), shortPath);
    EXPECT_EQ(GetShortPath(FromCodePage(archive)), FromCodePage(shortPath));
}

TEST(GetShortPath, GivesAPathThatCantBeConvertedBackUnchanged)
{
    TempDir dir;
    const std::string missing = dir / "No Such Folder\\patch_d2.mpq";
    EXPECT_EQ(GetShortPath(missing), missing);
    EXPECT_EQ(GetShortPath(FromCodePage(missing)), FromCodePage(missing));
    EXPECT_EQ(GetShortPath(""), "");
}

TEST(GetShortPath, GivesAShortFormUpTo199CharactersButTheLongPathForALongerOne)
{
    TempDir dir;
    const ArchiveWithShortForm fits = MakeArchiveWithShortForm(dir, "Diablo II", 199);
    const ArchiveWithShortForm tooLong = MakeArchiveWithShortForm(dir, "Diablo II Expansion", 200);

    EXPECT_EQ(GetShortPath(fits.longPath), fits.shortPath);
    EXPECT_EQ(GetShortPath(tooLong.longPath), tooLong.longPath);
}
