#include "install/ModFolder.h"

#include <gtest/gtest.h>

// Explorer opens a zip file as a folder named as the file; outside the temporary folder, its name
// tells, in any case.
TEST(ModFolder, AFolderNamedAsAZipFileInAnyCaseIsInsideOne)
{
    const std::pair<const wchar_t*, bool> folders[] = {{L"C:\\Downloads\\Mod.ZIP", true},
                                                       {L"C:\\Downloads\\mod.zip\\Mod", true},
                                                       {L"C:\\Downloads\\Mod.zipped", false}};
    for (const auto& [folder, insideAZip] : folders)
        EXPECT_EQ(StartedFromInsideAZip(folder), insideAZip) << folder;
}
