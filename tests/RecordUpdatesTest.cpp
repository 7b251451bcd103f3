#include "install/RecordUpdates.h"

#include "description/INIFunctions.h"
#include "install/InstalledMods.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

class SilentHost : public InstallHost {
public:
    HWND Owner() const override { return nullptr; }
    bool Attended() const override { return false; }
    void Tell(const std::wstring&, const std::wstring&, UINT) override {}
    int Ask(const std::wstring&, const std::wstring&, UINT, int unattended) override { return unattended; }
    void ShowStatus(const std::wstring&) override {}
    void ShowProgress(const std::wstring&) override {}
    void ShowBackupLine(const std::wstring&) override {}
    void EnableCommands(bool) override {}
    void Post(UINT, WPARAM) override {}
};

}  // namespace

// The record tells what the archive holds since its backup: with no backup, an install isn't recorded.
TEST(RecordUpdates, AnInstallIsRecordedOnlyBesideABackup)
{
    TempDir mod, game;
    INIFunctions::INIFile = mod / "modsettings.ini";
    WriteTextFile(INIFunctions::INIFile, "[MainSettings]\r\nTitle=Old Mod\r\n");
    SilentHost host;
    Report report(mod.Path(), host);
    const Verdict installed{ArchiveVerdict::HoldsAllFiles, 1, {}, 0, true};
    RecordTheVerdict(report, installed, game.Path(), mod.Path(), "1.14d");
    EXPECT_EQ(FileNamesIn(game.Path()), std::vector<std::string>{});
    WriteTextFile(game / "patch_d2_backup.mpq", "");
    RecordTheVerdict(report, installed, game.Path(), mod.Path(), "1.14d");
    ASSERT_EQ(ReadModsRecord(game.Path()).mods.size(), 1u);
    EXPECT_EQ(ReadModsRecord(game.Path()).mods[0].title, "Old Mod");
}
