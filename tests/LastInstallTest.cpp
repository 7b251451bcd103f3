#include "install/LastInstall.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

TEST(LastInstall, IsCutShortWhereItsNoteOutlivedTheInstallExeThatWroteIt)
{
    const struct {
        bool noted, atWork, backedUp;
        LastInstall is;
    } cases[] = {
        {false, false, true, LastInstall::Ended},
        {true, false, true, LastInstall::Interrupted},
        {true, false, false, LastInstall::InterruptedWithoutBackup},
        {true, true, true, LastInstall::AtWork},
        {false, true, false, LastInstall::AtWork},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JudgeLastInstall(c.noted, c.atWork, c.backedUp), c.is) << c.noted << c.atWork << c.backedUp;

    EXPECT_EQ(AtWorkName(L"C:\\Games\\Diablo II"), AtWorkName(L"c:\\games\\DIABLO II\\"));
    EXPECT_NE(AtWorkName(L"C:\\Games\\Diablo II"), AtWorkName(L"C:\\Games\\Diablo"));

    // Held by another thread as by another process; this thread's own hold is no other's work.
    TempDir game;
    std::optional<OwnedMutex> held = TakeAtWork(game.Path());
    ASSERT_TRUE(held);
    EXPECT_FALSE(InstallAtWork(game.Path()));
    const auto elsewhere = [](const std::string& folder) {
        bool atWork = false;
        std::thread([&] { atWork = InstallAtWork(folder); }).join();
        return atWork;
    };
    EXPECT_TRUE(elsewhere(game.Path() + "\\"));
    held.reset();
    EXPECT_FALSE(elsewhere(game.Path()));
}
