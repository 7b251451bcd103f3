#include "system/CodePage.h"
#include "system/FileSystem.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(AnsiPathOf, IsThePathItselfItsAliasOrNothingForANameOutsideTheCodePage)
{
    TempDir dir;
    const std::wstring plain = FromCodePage(dir / "Diablo II");
    const std::wstring polish = FromCodePage(dir.Path()) + L"\\\x141ukasz mod";
    ASSERT_TRUE(CreateDirectoryW(plain.c_str(), nullptr) && CreateDirectoryW(polish.c_str(), nullptr));

    EXPECT_EQ(AnsiPathOf(plain), dir / "Diablo II");
    EXPECT_FALSE(ToCodePage(polish));
    EXPECT_EQ(ToCodePageLossy(L"\x141ukasz"), "?ukasz");
    const std::optional<std::string> alias = AnsiPathOf(polish);
    ASSERT_TRUE(alias);
    ASSERT_TRUE(CreateDirectoryW((polish + L"\\seen").c_str(), nullptr));
    EXPECT_TRUE(DirectoryExists(*alias + "\\seen")) << *alias;

    // Where the volume keeps no 8.3 names there is nothing to use, nor for a path that is gone.
    const PlatformOverride noShortNames;
    ForgetShortNames();
    EXPECT_FALSE(AnsiPathOf(polish));
    EXPECT_FALSE(AnsiPathOf(polish + L"\\gone"));
    EXPECT_EQ(AnsiPathOf(plain), dir / "Diablo II");
}
