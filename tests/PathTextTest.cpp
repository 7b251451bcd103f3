#include "system/PathText.h"

#include <gtest/gtest.h>

TEST(PathText, ReportsRootsWithTheirBackslashAndOtherFoldersWithout)
{
    EXPECT_EQ(ReportedPath("c:\\"), "C:\\");
    EXPECT_EQ(ReportedPath("C:\\windows\\"), "C:\\windows");
    EXPECT_EQ(ReportedPath("C:\\windows\\system32\\..\\"), "C:\\windows");
    EXPECT_EQ(SplitFolderPath("C:\\Games\\Diablo II"), (std::vector<std::string>{"C:\\", "Games", "Diablo II"}));
    EXPECT_EQ(SplitFolderPath("C:\\"), (std::vector<std::string>{"C:\\"}));
    EXPECT_EQ(SplitFolderPath("\\\\server\\share\\mods"), (std::vector<std::string>{"\\\\server\\share", "mods"}));
    EXPECT_EQ(JoinPath("C:\\", "Games"), "C:\\Games");
    EXPECT_EQ(JoinPath("C:\\Games", "Diablo II"), "C:\\Games\\Diablo II");
}
