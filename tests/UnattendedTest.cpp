// Install.exe started with switches, as a script or a mod manager starts it: no window and no box,
// one line of output per outcome, and the exit code.
#include "commandline/CommandLine.h"
#include "commandline/Unattended.h"
#include "install/InstalledMods.h"
#include "system/CodePage.h"

#include "ArchiverLog.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace {

class UnattendedTest : public testing::Test {
protected:
    void SetUp() override
    {
        // A box of this process's installer would wait for a click until the test timed out.
        unexpectedBoxes.emplace([](const ShownBox& box) {
            ADD_FAILURE() << "an unexpected message box came up: " << box.title << ": " << box.text;
        });
        ForgetGameLocations();
        PlaceMod(mod.Path());
        WriteTextFile(mod / "listfile.dat", "data\\global\\excel\\misc.txt\r\n");
        ASSERT_TRUE(CopyFileA(BuiltInstallExe().c_str(), (mod / "Install.exe").c_str(), FALSE));
        MakeDirectory(game);
        WriteTextFile(game + "\\patch_d2.mpq", MpqArchive());
    }
    void TearDown() override { ForgetGameLocations(); }

    // Install.exe in the mod's folder with `arguments`.
    ProgramRun RunInstallExe(const std::string& arguments) { return RunInstallExe(FromCodePage(arguments)); }
    ProgramRun RunInstallExe(const std::wstring& arguments)
    {
        // Whatever its outcome, a run that ends by itself leaves no note of an install under way.
        const bool noted = ReadModsRecord(game).underWay.has_value();
        ProgramRun run =
            RunProgram(FromCodePage('"' + (mod / "Install.exe") + "\" ") + arguments, FromCodePage(mod.Path()));
        EXPECT_TRUE(run.ended);
        EXPECT_FALSE(run.showedWindow);
        EXPECT_EQ(run.boxes, 0u);
        EXPECT_TRUE(noted || !ReadModsRecord(game).underWay) << ToUtf8(arguments);
        return run;
    }

    TempDir mod;
    TempDir games;
    const std::string game = games / "Diablo II";
    std::optional<MessageBoxWatcher> unexpectedBoxes;
};

}  // namespace

TEST_F(UnattendedTest, InstallsAndRestoresWithoutAWindowAndTellsTheOutcomeByItsExitCode)
{
    // /CLEAN: onto the original from the backup, which a first install hasn't made.
    EXPECT_EQ(RunInstallExe("/S /CLEAN /D=" + game).exitCode, static_cast<DWORD>(kExitArchiveMissing));
    const std::string installed = "Installed Sucessfully\r\n" + std::string(kInstalledText) +
                                  "\r\nA backup has been created at: " + game + "\\patch_d2_backup.mpq\r\n";
    ProgramRun run = RunInstallExe("/S /LOG=unattended.log /D=" + game);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitDone)) << run.output;
    EXPECT_EQ(run.output, installed);
    EXPECT_EQ(ReadTextFile(mod / "unattended.log"), installed);
    EXPECT_EQ(ReadTextFile(game + "\\patch_d2.mpq"), MpqArchive() + kArchiveRecord);
    // Now onto the original, not onto the archive the first install changed.
    EXPECT_EQ(RunInstallExe("/S /CLEAN").exitCode, static_cast<DWORD>(kExitDone));
    EXPECT_EQ(ReadTextFile(game + "\\patch_d2.mpq"), MpqArchive() + kArchiveRecord);

    run = RunInstallExe("-restore /LOG=unattended.log");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitDone)) << run.output;
    EXPECT_EQ(run.output, "Original patch_d2.mpq restored.\r\n");
    EXPECT_EQ(ReadTextFile(mod / "unattended.log"), installed + run.output);
    EXPECT_EQ(ReadTextFile(game + "\\patch_d2.mpq"), MpqArchive());

    // Held by the game, which lets others only read it: nothing is changed, no backup made.
    DeleteFileA((game + "\\patch_d2_backup.mpq").c_str());
    {
        const FileHandle held(CreateFileA((game + "\\patch_d2.mpq").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        run = RunInstallExe("/S /D=" + game);
    }
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitInUse)) << run.output;
    EXPECT_NE(run.output.find("is in use by another program"), std::string::npos) << run.output;
    EXPECT_EQ(FileNamesIn(game), std::vector<std::string>{"patch_d2.mpq"});

    // A folder only an administrator may change: said so, and nothing done.
    {
        const PlatformOverride player;
        Platform().processElevated = [] { return false; };
        Platform().createRefusal = [](const std::string&) -> DWORD { return ERROR_ACCESS_DENIED; };
        std::vector<std::wstring> lines;
        EXPECT_EQ(RunToTheEnd(Mode::Install, Onto::TheArchiveAsItIs, mod.Path(), game,
                              [&](const std::wstring& line) { lines.push_back(line); }),
                  Outcome::NeedsAdministrator);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind(L"Run it as administrator: ", 0), 0u);
        EXPECT_EQ(FileNamesIn(game), std::vector<std::string>{"patch_d2.mpq"});
    }

    // A folder named outside the code page, by its alias. An archive there that is no sound MPQ
    // archive, with no backup to put back, is told and left as it is.
    const std::wstring polish = FromCodePage(games.Path()) + L"\\Diablo II \x141";
    ASSERT_TRUE(CreateDirectoryW(polish.c_str(), nullptr));
    const std::string polishArchive = AnsiPathOf(polish).value() + "\\patch_d2.mpq";
    WriteTextFile(polishArchive, "MPQ");
    run = RunInstallExe(L"/S /D=" + polish);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitArchiveDamaged)) << run.output;
    EXPECT_NE(run.output.find(" There is no backup patch_d2_backup.mpq beside it to put back."), std::string::npos);
    EXPECT_EQ(ReadTextFile(polishArchive), "MPQ");
    WriteTextFile(polishArchive, MpqArchive());
    run = RunInstallExe(L"/S /D=" + polish);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitDone)) << run.output;
    EXPECT_EQ(ReadTextFile(polishArchive), MpqArchive() + kArchiveRecord);

    WriteTextFile(mod / "mpq2k.unchanged", "");
    run = RunInstallExe("/S /D=\"" + game + "\"");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitArchiverFailed)) << run.output;
    EXPECT_EQ(run.output.find("Install failed.\r\nThe archiver ended without changing patch_d2.mpq"), 0u) << run.output;
    // An archive the archiver damaged: nothing is put back without /RESTORE.
    MoveFileA((mod / "mpq2k.unchanged").c_str(), (mod / "mpq2k.truncate").c_str());
    run = RunInstallExe("/S");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitArchiveDamaged)) << run.output;
    EXPECT_EQ(ReadTextFile(game + "\\patch_d2.mpq"), MpqArchive().substr(0, MpqArchive().size() / 2));
    // Recorded or not, the next install changes nothing, unless /CLEAN puts the backup back first. A
    // file the script adds that the mod's folder lacks is a line; one the archiver leaves out fails
    // it, and the record tells that the archive holds the mod in part.
    DeleteFileA((mod / "mpq2k.truncate").c_str());
    EXPECT_EQ(RunInstallExe("/S").exitCode, static_cast<DWORD>(kExitArchiveDamaged));
    DeleteFileA((game + "\\patch_d2_mods.txt").c_str());
    EXPECT_EQ(RunInstallExe("/S").exitCode, static_cast<DWORD>(kExitArchiveDamaged));
    MakeDirectory(mod / "data");
    WriteTextFile(mod / "data\\a.txt", "a mod's file");
    WriteTextFile(mod / "mod script.txt", "o patch_d2.mpq\r\na data\\a.txt\r\na data\\gone.txt\r\n");
    WriteTextFile(mod / "mpq2k-skip.txt", "data\\a.txt\r\n");
    for (const DWORD exitCode : {kExitArchiverFailed, kExitDone}) {
        run = RunInstallExe("/S /CLEAN");
        EXPECT_EQ(run.exitCode, exitCode) << run.output;
        EXPECT_NE(run.output.find("Missing from the mod's folder: data\\gone.txt\r\n"), std::string::npos);
        EXPECT_EQ(run.output.find("Not in patch_d2.mpq: data\\a.txt\r\n") != std::string::npos, exitCode != 0);
        EXPECT_EQ(run.output.find("patch_d2.mpq holds the 1 file the mod adds.") != std::string::npos, exitCode == 0);
        EXPECT_EQ(ReadModsRecord(game).mods.at(0).inPart, exitCode != 0);
        DeleteFileA((mod / "mpq2k-skip.txt").c_str());
    }
    // /CHECK /D= tells what that game's archive holds of the mod: a file of another size is not held.
    WriteTextFile(mod / "data\\a.txt", "a file of another size");
    EXPECT_NE(RunInstallExe("/CHECK /D=" + game).output.find("info: data\\a.txt: in patch_d2.mpq with another size"),
              std::string::npos);
    WriteTextFile(mod / "data\\a.txt", "a mod's file");
    // Installed, then restored.
    for (const char* holds : {" holds 1 of the 1 file", " holds 0 of the 1 file"}) {
        run = RunInstallExe("/CHECK /D=" + game);
        EXPECT_NE(run.output.find("info: patch_d2.mpq in " + game + holds + " this mod adds."), std::string::npos)
            << run.output;
        RunInstallExe("/RESTORE");
    }
    // None of the files the script adds is in the mod's folder: nothing to install.
    WriteTextFile(mod / "mod script.txt", "o patch_d2.mpq\r\na data\\gone.txt\r\n");
    EXPECT_EQ(RunInstallExe("/S").exitCode, static_cast<DWORD>(kExitNoModFiles));
    EXPECT_EQ(ReadTextFile(game + "\\patch_d2.mpq"), MpqArchive());

    EXPECT_EQ(RunInstallExe("/S /D=" + games.Path()).exitCode, static_cast<DWORD>(kExitArchiveMissing));
    EXPECT_EQ(RunInstallExe("/RESTORE /D=" + games.Path()).exitCode, static_cast<DWORD>(kExitArchiveMissing));
    // A folder in the archive's place is no matter of rights.
    MakeDirectory(games / "folder");
    MakeDirectory(games / "folder\\patch_d2.mpq");
    WriteTextFile(games / "folder\\patch_d2_backup.mpq", MpqArchive());
    run = RunInstallExe("/RESTORE /D=" + (games / "folder"));
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitFailed));
    EXPECT_NE(run.output.find("patch_d2.mpq is a folder, not a file"), std::string::npos) << run.output;
    run = RunInstallExe("/CHECK /D=" + (games / "gone"));
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitCheckFound)) << run.output;
    EXPECT_EQ(run.output.rfind("problem: The game folder " + (games / "gone") + " was not found.\r\n", 0), 0u);
    EXPECT_EQ(RunInstallExe("/S /LOG=" + (games / "gone\\install.log")).exitCode, static_cast<DWORD>(kExitFailed));
    run = RunInstallExe("/S /unknown");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitBadCommandLine));
    EXPECT_EQ(run.output.find("Not understood: /unknown\r\n"), 0u) << run.output;
    EXPECT_EQ(RunInstallExe("/LANG=klingon /D=" + game).exitCode, static_cast<DWORD>(kExitBadCommandLine));
}

TEST_F(UnattendedTest, CheckPrintsALinePerCheckAndEndsWithSixOnAProblem)
{
    ProgramRun run = RunInstallExe("/CHECK");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitDone)) << run.output;
    EXPECT_EQ(run.output.rfind("ok: The mod's folder has a name", 0), 0u) << run.output;
    EXPECT_EQ(run.output.find("problem: "), std::string::npos) << run.output;

    DeleteFileA((mod / "listfile.dat").c_str());
    WriteTextFile(mod / "mod script.txt", "o patch_d2.mpq\r\na data\\misc.txt\r\n");
    run = RunInstallExe("/check");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitCheckFound)) << run.output;
    EXPECT_NE(run.output.find("\r\nproblem: listfile.dat, which the archiver reads, is missing"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("\r\nproblem: mod script.txt, line 2: a reads data\\misc.txt, which is missing"),
              std::string::npos);
}

// A mod made for 1.13c and a 1.14d game: /S changes nothing and ends with 10, /ANYVERSION installs all
// the same. /CHECK takes a patch name it doesn't know for a problem, and with /D= names the game's version.
TEST_F(UnattendedTest, AModForAnotherVersionOfTheGameEndsWithTenUnlessAnyVersionIsGiven)
{
    ASSERT_TRUE(CopyFileA(BesideThisProgram("game_1_14d.exe").c_str(), (game + "\\Game.exe").c_str(), FALSE));
    const std::string ini =
        "[MainSettings]\r\nTitle=Old Mod\r\nAuthor=A\r\nFeatures=F\r\nScriptFile=mod script.txt\r\n";
    WriteTextFile(mod / "modsettings.ini", ini + "GameVersion=1.13c\r\n");
    ProgramRun run = RunInstallExe("/S /D=" + game);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitAnotherGameVersion)) << run.output;
    EXPECT_EQ(run.output, "Old Mod is made for Diablo II 1.13c, and the game in " + game +
                              " is 1.14d (Lord of Destruction). Nothing was changed. Install.exe /S /ANYVERSION "
                              "installs it all the same.\r\n");
    EXPECT_EQ(FileNamesIn(game), (std::vector<std::string>{"Game.exe", "patch_d2.mpq"}));
    run = RunInstallExe("/S /ANYVERSION /D=" + game);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitDone)) << run.output;
    EXPECT_EQ(ReadTextFile(game + "\\patch_d2.mpq"), MpqArchive() + kArchiveRecord);
    const std::string log = ReadTextFile(mod / "Install.log");
    for (const char* line : {" Install Mod, from the command line\r\n", "Outcome: 10\r\n", "(/ANYVERSION).\r\n",
                             " A backup has been created at: ", "Outcome: 0\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << log;

    WriteTextFile(mod / "modsettings.ini", ini + "GameVersion=1.13c, 1.13x\r\n");
    run = RunInstallExe("/CHECK /D=" + game);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitCheckFound)) << run.output;
    EXPECT_NE(run.output.find("\r\nok: GameVersion in [MainSettings] names the patch 1.13c.\r\nproblem: GameVersion "
                              "in [MainSettings] names 1.13x, which is no patch the installer knows"),
              std::string::npos)
        << run.output;
    // 1.13c's Game.exe only starts the game's code in its DLLs; a Game.exe without a version, or none,
    // is unknown, which is never a problem, and /S installs there.
    WriteTextFile(mod / "modsettings.ini", ini + "GameVersion=1.13c\r\n");
    WriteTextFile(game + "\\D2Client.dll", "");
    const char* const games[][2] = {{"game_1_14d.exe",
                                     "1.14d (Lord of Destruction); the mod is not made for it, and "
                                     "the installer asks before it installs there."},
                                    {"game_1_13c.exe", "1.13c (Classic); the mod is made for it."},
                                    {"game_unversioned.exe", "unknown."},
                                    {nullptr, "unknown."}};
    for (const auto& [program, version] : games) {
        DeleteFileA((game + "\\Game.exe").c_str());
        if (program) {
            ASSERT_TRUE(CopyFileA(BesideThisProgram(program).c_str(), (game + "\\Game.exe").c_str(), FALSE));
        }
        run = RunInstallExe("/CHECK /D=" + game);
        EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitDone)) << run.output;
        EXPECT_NE(run.output.find("\r\nok: The game in " + game + " is " + version + "\r\n"), std::string::npos)
            << run.output;
    }
    EXPECT_EQ(RunInstallExe("/S /D=" + game).exitCode, static_cast<DWORD>(kExitDone));
}

// Started from inside the mod's zip file, Install.exe stands alone in a temporary folder, as Explorer
// (and 7-Zip, in a folder of another name) copies it: one box, or one line, says to unpack the mod first.
TEST_F(UnattendedTest, InstallExeAloneFromInsideAZipSaysToUnpackTheModFirst)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string sevenZip = std::string(temp) + "7zO" + std::to_string(GetCurrentProcessId());
    const std::string zip = std::string(temp) + "Temp1_mod " + std::to_string(GetCurrentProcessId()) + ".zip";
    const std::string program = zip + "\\Install.exe";
    for (const std::string& folder : {sevenZip, zip}) {
        MakeDirectory(folder);
        ASSERT_TRUE(CopyFileA(BuiltInstallExe().c_str(), (folder + "\\Install.exe").c_str(), FALSE));
    }
    const std::tuple<std::string, const char*, int> runs[] = {
        {sevenZip, " /S", kExitFailed}, {zip, " /CHECK", kExitCheckFound}, {zip, " /S", kExitFailed}};
    for (const auto& [folder, arguments, exitCode] : runs) {
        const ProgramRun run = RunProgram('"' + folder + "\\Install.exe\"" + arguments, folder);
        EXPECT_EQ(run.exitCode, static_cast<DWORD>(exitCode)) << run.output;
        EXPECT_EQ(run.output.rfind("Install.exe was started from inside the mod's zip file", 0), 0u) << run.output;
        EXPECT_EQ(run.boxes, 0u);
    }
    RemoveTree(sevenZip);
    DWORD processId = 0;
    const UniqueHandle process = StartProcess('"' + program + '"', zip, &processId);
    ASSERT_TRUE(process);
    std::vector<ShownBox> shown;
    {
        const MessageBoxWatcher boxes(processId);
        ASSERT_EQ(WaitForSingleObject(process.Get(), 20000), static_cast<DWORD>(WAIT_OBJECT_0));
        shown = boxes.Boxes();
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Get(), &exitCode);
    EXPECT_EQ(exitCode, static_cast<DWORD>(kExitFailed));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Unpack the Mod First");
    EXPECT_NE(shown[0].text.find(zip), std::string::npos) << shown[0].text;
    EXPECT_TRUE(shown[0].anyIcon && !shown[0].criticalStopIcon);
    RemoveTree(zip);
}
