#include "install/InstallLog.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

// A viewer that follows the log as it grows (PowerShell's Get-Content -Wait) holds it open to read,
// sharing it for reading and writing: the run's lines are appended all the same, and the log past
// 1 MiB is trimmed by the first write that finds it let go.
TEST(InstallLog, AppendsWhileAViewerHoldsItAndTrimsItOnceLetGo)
{
    TempDir mod;
    const std::string path = mod / "Install.log";
    std::string older;
    while (older.size() <= 1024 * 1024)
        older += "an older line\r\n";
    WriteTextFile(path, older);
    InstallLog log(path);
    {
        const FileHandle viewer(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        log.Begin("Install Mod");
        log.Write();
        EXPECT_EQ(ReadTextFile(path).rfind(older, 0), 0u);
    }
    // One that lets no one write leaves the lines for the next write.
    {
        const FileHandle locked(
            CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        log.Line("Installed Sucessfully");
        log.Write();
    }
    log.Write();
    const std::string trimmed = ReadTextFile(path);
    EXPECT_LT(trimmed.size(), older.size() / 2 + 200);
    EXPECT_EQ(trimmed.rfind("an older line\r\n", 0), 0u);
    EXPECT_NE(trimmed.find(" Install Mod\r\n"), std::string::npos);
    EXPECT_NE(trimmed.find(" Installed Sucessfully\r\n"), std::string::npos);
}
