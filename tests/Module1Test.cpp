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
}

TEST(GetShortPath, GivesAPathThatCantBeConvertedBackUnchanged)
{
    TempDir dir;
    const std::string missing = dir / "No Such Folder\\patch_d2.mpq";
    EXPECT_EQ(GetShortPath(missing), missing);
    EXPECT_EQ(GetShortPath(""), "");
}

TEST(GetShortPath, GivesAShortFormOf200CharactersOrMoreWhole)
{
    TempDir dir;
    std::string folder = dir.Path();
    while (folder.size() < 225) {
        folder += "\\abcdefgh";
        MakeDirectory(folder);
    }
    const std::string archive = folder + "\\patch d2 archive.mpq";
    WriteTextFile(archive, "MPQ archive");

    const std::string shortPath = GetShortPath(archive);

    ASSERT_GE(shortPath.size(), 200u) << "the test needs a short form this long";
    EXPECT_TRUE(LooksShort(shortPath)) << shortPath;
    EXPECT_EQ(ReadTextFile(shortPath), "MPQ archive");
}
