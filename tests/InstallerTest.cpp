// "Install Mod" from the press to the archiver's outcome, through the window, against the real
// file system, shell and registry, with the stand-in archiver in the mod's folder.
#include "install/Failure.h"
#include "install/InstallScript.h"
#include "install/InstalledMods.h"
#include "install/LastInstall.h"
#include "settings/Location.h"
#include "system/CodePage.h"
#include "system/FileHolders.h"
#include "system/FileSystem.h"
#include "system/Module1.h"

#include "ArchiverLog.h"
#include "FormTestSupport.h"

#include <shlobj.h>

#include <algorithm>
#include <thread>

using namespace std::string_literals;

namespace {

const std::string kArchive = MpqArchive();

}  // namespace

class InstallerTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        PlaceMod(mod.Path());
        WriteTextFile(game / "patch_d2.mpq", kArchive);
    }

    // The window in English, whatever the prefix's language (the tests in code page 932 run in Japanese).
    std::unique_ptr<Form1> StartOn(const std::string& gameDirectory, const std::string& applicationDirectory = "")
    {
        auto form = std::make_unique<Form1>(applicationDirectory.empty() ? mod.Path() : applicationDirectory,
                                            Language::English);
        form->Create(GetModuleHandleA(nullptr));
        EXPECT_NO_THROW(form->Dir1().SetPath(gameDirectory));
        return form;
    }

    // The user's click on "Install Mod"; returns once the click has been handled.
    static void Press(Form1& form) { SendMessageA(form.Control(kCommand1), BM_CLICK, 0, 0); }

    // Two presses to their ends, the boxes of the first answered No, those of the second Yes.
    static void PressAnsweringNoThenYes(Form1& form, MessageBoxWatcher& boxes)
    {
        for (const int answer : {IDNO, IDYES}) {
            boxes.Answer(answer);
            Press(form);
            ASSERT_TRUE(ArchiverEnded(form));
        }
    }

    // Waits for the install to end, or for the window to close on a failure.
    static bool ArchiverEnded(Form1& form)
    {
        return WaitUntil([&] { return !form.Installing() || !form.Handle(); });
    }

    std::vector<ArchiverStart> Starts() const { return ReadArchiverLog(mod / "mpq2k.log"); }

    static void ExpectLocationSaved(Form1& form, const std::string& folder)
    {
        const GameLocation saved = LoadLocation();
        EXPECT_EQ(saved.path, folder);
        EXPECT_EQ(saved.drive, form.Drive1().Drive());
    }

    // The one failure report: the step, its path, the system's text; then the program ends.
    static void ExpectFailureReport(const MessageBoxWatcher& boxes, Form1& form, const std::string& operation,
                                    const std::string& path)
    {
        const auto shown = boxes.Boxes();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title, kFailureTitle);
        EXPECT_EQ(shown[0].text.find(operation + " failed.\n\n" + path + "\n\n"), 0u) << shown[0].text;
        EXPECT_TRUE(shown[0].criticalStopIcon);
        EXPECT_EQ(form.Handle(), nullptr);
        EXPECT_EQ(form.ExitCode(), 1);
        EXPECT_TRUE(LoadLocation().path.empty());
    }

    TempDir game;
};

// The window's boxes and lines speak its language; Install.log stays English for whoever helps.
TEST_F(InstallerTest, TellsTheWindowInItsLanguageAndTheLogInEnglish)
{
    MessageBoxWatcher boxes;
    auto form = Start(Language::German);
    ASSERT_NO_THROW(form->Dir1().SetPath(game.Path()));
    Press(*form);
    ASSERT_TRUE(ArchiverEnded(*form));
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Installiert, Sicherung erstellt!");
    EXPECT_EQ(shown[0].text.find("Installation erfolgreich abgeschlossen, "), 0u) << shown[0].text;
    EXPECT_EQ(Text(form->Control(kLabel4)), "Erfolgreich installiert");
    EXPECT_EQ(Text(form->Control(kLabel5)), "Sicherung erstellt unter: " + (game / "patch_d2_backup.mpq"));
    const std::string log = ReadTextFile(mod / "Install.log");
    for (const char* english : {"Language: de", "Installed Sucessfully",
                                "Installed, Backup Created!: Install Completed", "A backup has been created at: "})
        EXPECT_NE(log.find(english), std::string::npos) << english << " in " << log;
}

TEST_F(InstallerTest, BacksUpRewritesStartsTheArchiverReportsAndRemembers)
{
    MessageBoxWatcher boxes;
    auto form = StartOn(game.Path());
    // A scanner's hold on the archive for a moment, from the press on, is waited out.
    FileHandle scanned(
        CreateFileA((game / "patch_d2.mpq").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    std::thread scanner([&scanned, command1 = form->Control(kCommand1)] {
        for (int waited = 0; waited < 10000 && IsWindowEnabled(command1); waited += 5)
            Sleep(5);
        Sleep(300);
        scanned.Reset();
    });
    Press(*form);
    scanner.join();
    ASSERT_TRUE(ArchiverEnded(*form));

    const std::string archive = game / "patch_d2.mpq";
    const std::string rewritten = "o " + GetShortPath(archive) + "\r\nPATCH_D2.MPQ\r\n";
    EXPECT_EQ(ReadTextFile(archive), kArchive + kArchiveRecord);
    EXPECT_EQ(ReadTextFile(game / "patch_d2_backup.mpq"), kArchive);
    EXPECT_EQ(FileNamesIn(game.Path()),
              (std::vector<std::string>{"patch_d2.mpq", "patch_d2_backup.mpq", "patch_d2_mods.txt"}));
    EXPECT_EQ(ReadTextFile(mod / "correctscript.tmp"), rewritten + "\r\n");
    EXPECT_EQ(form->ScriptAsRead(), "o patch_d2.mpq\r\nPATCH_D2.MPQ\r\n");
    EXPECT_EQ(form->RewrittenScript(), rewritten);

    const auto starts = Starts();
    ASSERT_EQ(starts.size(), 1u);
    const std::string scriptArgument = " s " + (mod / "correctscript.tmp");
    EXPECT_EQ(starts[0].commandLine.substr(starts[0].commandLine.size() - scriptArgument.size()), scriptArgument);
    EXPECT_EQ(starts[0].directory, mod.Path());
    EXPECT_EQ(starts[0].show, SW_SHOWNOACTIVATE);
    EXPECT_EQ(starts[0].script, rewritten + "\r\n");

    EXPECT_EQ(Text(form->Control(kLabel4)), "Installed Sucessfully");
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Installed, Backup Created!");
    EXPECT_EQ(shown[0].text, kInstalledText);
    EXPECT_FALSE(shown[0].anyIcon);
    EXPECT_TRUE(shown[0].onlyOkButton);
    EXPECT_EQ(Text(form->Control(kLabel5)), "A backup has been created at: " + (game / "patch_d2_backup.mpq"));
    EXPECT_TRUE(IsWindowEnabled(form->Control(kCommand1)));
    ExpectLocationSaved(*form, game.Path());

    // The record of the installed mod: the date and time, its title and its folder; Label5 tells
    // it when the folder is opened.
    const std::string record = ReadTextFile(game / "patch_d2_mods.txt");
    EXPECT_EQ(record.substr(16), "\tTest Mod\t" + mod.Path() + "\tunknown\r\n");
    form->Dir1().SetPath(game.Path());
    EXPECT_EQ(Text(form->Control(kLabel5)), "Installed here: Test Mod, " + record.substr(0, 10));
}

TEST_F(InstallerTest, AFolderWithoutTheArchiveIsToldChangesNothingAndIsStillRemembered)
{
    MessageBoxWatcher boxes;
    auto form = StartOn(game.Path());
    Press(*form);
    ASSERT_TRUE(ArchiverEnded(*form));
    const std::string backupLine = Text(form->Control(kLabel5));

    // A hidden archive counts as missing, as does none at all.
    TempDir other;
    WriteTextFile(other / "patch_d2.mpq", kArchive);
    SetFileAttributesA((other / "patch_d2.mpq").c_str(), FILE_ATTRIBUTE_HIDDEN);
    for (const std::string& folder : {other.Path(), mod.Path()}) {
        ASSERT_NO_THROW(form->Dir1().SetPath(folder));
        Press(*form);
        EXPECT_FALSE(form->Installing());
        EXPECT_EQ(Text(form->Control(kLabel4)), "patch_d2.mpq not found.");
        EXPECT_EQ(Text(form->Control(kLabel5)), backupLine);
        ExpectLocationSaved(*form, folder);
    }
    EXPECT_EQ(FileNamesIn(other.Path()), std::vector<std::string>{"patch_d2.mpq"});
    EXPECT_EQ(Starts().size(), 1u);
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 3u);
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(shown[i].title, "File Not Found");
        EXPECT_EQ(
            shown[i].text,
            "The file patch_d2.mpq was not found, make sure you have selected the correct directory for Diablo 2.");
        EXPECT_FALSE(shown[i].anyIcon);
    }
}

TEST_F(InstallerTest, FoldersWithSpacesReachTheArchiverWhole)
{
    const std::string modFolder = mod / "My Mod";
    const std::string gameFolder = game / "Diablo II";
    MakeDirectory(modFolder);
    MakeDirectory(gameFolder);
    PlaceMod(modFolder);
    WriteTextFile(gameFolder + "\\patch_d2.mpq", kArchive);
    MessageBoxWatcher boxes;
    auto form = StartOn(gameFolder, modFolder);
    Press(*form);
    ASSERT_TRUE(ArchiverEnded(*form));

    const std::string shortPath = GetShortPath(gameFolder + "\\patch_d2.mpq");
    EXPECT_EQ(shortPath.find(' '), std::string::npos) << shortPath;
    const auto starts = ReadArchiverLog(modFolder + "\\mpq2k.log");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_TRUE(starts[0].scriptRead) << starts[0].commandLine;
    EXPECT_EQ(starts[0].script, "o " + shortPath + "\r\nPATCH_D2.MPQ\r\n\r\n");
    EXPECT_EQ(starts[0].directory, modFolder);
    EXPECT_EQ(Text(form->Control(kLabel4)), "Installed Sucessfully");
    EXPECT_EQ(ReadTextFile(gameFolder + "\\patch_d2_backup.mpq"), kArchive);

    // A volume without 8.3 names, as most are on Windows 10 and 11: the long path goes in quoted,
    // and the archiver changes that archive, not one named by the path's first word.
    const PlatformOverride noShortNames;
    ForgetShortNames();
    boxes.Answer(IDNO);  // onto the archive as it is, which the first press changed
    Press(*form);
    ASSERT_TRUE(ArchiverEnded(*form));
    const std::string archive = gameFolder + "\\patch_d2.mpq";
    EXPECT_EQ(ReadArchiverLog(modFolder + "\\mpq2k.log").back().script,
              "o \"" + archive + "\"\r\nPATCH_D2.MPQ\r\n\r\n");
    EXPECT_EQ(ReadTextFile(archive), kArchive + kArchiveRecord + kArchiveRecord);
    EXPECT_EQ(Text(form->Control(kLabel4)), "Installed Sucessfully");
    EXPECT_EQ(FileNamesIn(game.Path()), std::vector<std::string>{"patch_d2.mpq"});
}

TEST_F(InstallerTest, AnExistingBackupIsKeptByteForByte)
{
    WriteTextFile(game / "patch_d2_backup.mpq", "the unmodded archive");
    SetFileAttributesA((game / "patch_d2_backup.mpq").c_str(), FILE_ATTRIBUTE_HIDDEN);
    MessageBoxWatcher boxes;
    boxes.Answer(IDNO);
    auto form = StartOn(game.Path());
    for (int press = 0; press < 2; ++press) {
        Press(*form);
        ASSERT_TRUE(ArchiverEnded(*form));
    }
    EXPECT_EQ(ReadTextFile(game / "patch_d2_backup.mpq"), "the unmodded archive");
    EXPECT_EQ(Starts().size(), 2u);
    EXPECT_EQ(Text(form->Control(kLabel5)), "A backup has been created at: " + (game / "patch_d2_backup.mpq"));
}

TEST_F(InstallerTest, WhileTheArchiverRunsTheButtonWaitsAndOnlyItsEndIsReported)
{
    WriteTextFile(mod / "mpq2k.wait", "");
    MessageBoxWatcher boxes;
    auto form = StartOn(game.Path());
    Press(*form);
    ASSERT_TRUE(form->Installing());
    EXPECT_FALSE(IsWindowEnabled(form->Control(kCommand1)));
    ASSERT_TRUE(WaitUntil([&] { return Text(form->Control(kLabel4)) == "Installing..."; }));
    form->InstallMod();
    ASSERT_TRUE(WaitUntil([&] { return Starts().size() == 1; }));
    // The user browses on meanwhile; the location of the press is the one remembered.
    TempDir elsewhere;
    form->Dir1().SetPath(elsewhere.Path());
    PumpMessages();
    EXPECT_TRUE(form->Installing());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(Text(form->Control(kLabel5)), "");

    DeleteFileA((mod / "mpq2k.wait").c_str());
    ASSERT_TRUE(ArchiverEnded(*form));
    EXPECT_EQ(Starts().size(), 1u);
    EXPECT_EQ(Text(form->Control(kLabel4)), "Installed Sucessfully");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(IsWindowEnabled(form->Control(kCommand1)));
    ExpectLocationSaved(*form, game.Path());

    // An archiver that fails, or ends well, without changing the archive is reported as such, with
    // the way back. The first press is asked about the mod installed: Yes puts the original back
    // first and ends the record.
    form->Dir1().SetPath(game.Path());
    WriteTextFile(mod / "mpq2k.unchanged", "");
    const std::string failures[][2] = {
        {"mpq2k.exitcode",
         "The archiver ended with exit code 3 without changing patch_d2.mpq, so the mod was not installed. "},
        {"mpq2k.unchanged", "The archiver ended without changing patch_d2.mpq, so the mod was not installed. "}};
    for (const auto& [file, text] : failures) {
        WriteTextFile(mod / file, "3");
        SetWindowTextA(form->Control(kLabel5), "");
        Press(*form);
        ASSERT_TRUE(ArchiverEnded(*form));
        DeleteFileA((mod / file).c_str());
        EXPECT_EQ(Text(form->Control(kLabel4)), "Install failed.");
        EXPECT_EQ(Text(form->Control(kLabel5)), "");
        EXPECT_EQ(ReadTextFile(game / "patch_d2_backup.mpq"), kArchive);
        EXPECT_EQ(FileNamesIn(game.Path()), (std::vector<std::string>{"patch_d2.mpq", "patch_d2_backup.mpq"}));
        const ShownBox shown = boxes.Boxes().back();
        EXPECT_EQ(shown.title, "Install Failed");
        EXPECT_EQ(shown.text, text + "Your backup is at: " + (game / "patch_d2_backup.mpq") + kSendTheLog);
        EXPECT_TRUE(shown.criticalStopIcon);
        EXPECT_TRUE(IsWindowEnabled(form->Control(kCommand1)));
    }
    // One that writes the archive anew in place, at its size, has changed it all the same.
    WriteTextFile(mod / "mpq2k.rewrite", "");
    Press(*form);
    ASSERT_TRUE(ArchiverEnded(*form));
    EXPECT_EQ(Text(form->Control(kLabel4)), "Installed Sucessfully");
    EXPECT_EQ(boxes.Boxes().size(), 5u);
    EXPECT_EQ(form->ExitCode(), 0);
}

// The shell runs the window's messages while it asks the user about a downloaded archiver.
TEST_F(InstallerTest, APressWhileTheShellAsksIsIgnoredAndSayingNoCancelsTheInstall)
{
    MessageBoxWatcher boxes;
    auto form = StartOn(game.Path());
    const PlatformOverride asking;
    const auto realShell = Platform().shellExecuteEx;
    bool answer = true;
    bool closing = false;
    Platform().shellExecuteEx = [&](SHELLEXECUTEINFOA* info) {
        EXPECT_FALSE(IsWindowEnabled(form->Control(kCommand1)));
        EXPECT_EQ(info->hwnd, form->Handle());
        // The install is noted on the disk, and this Install.exe at work, before the archiver starts.
        EXPECT_TRUE(ReadModsRecord(game.Path()).underWay);
        bool atWork = false;
        std::thread([&] { atWork = InstallAtWork(game.Path()); }).join();
        EXPECT_TRUE(atWork);
        form->InstallMod();
        if (closing)
            SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
        if (answer)
            return realShell(info);
        info->hInstApp = reinterpret_cast<HINSTANCE>(SE_ERR_ACCESSDENIED);
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    };
    Press(*form);
    ASSERT_TRUE(ArchiverEnded(*form));
    EXPECT_EQ(Starts().size(), 1u);
    EXPECT_EQ(Text(form->Control(kLabel4)), "Installed Sucessfully");

    answer = false;
    DeleteFileA((mod / "correctscript.tmp").c_str());
    Press(*form);
    ASSERT_TRUE(ArchiverEnded(*form));
    EXPECT_EQ(Starts().size(), 1u);
    EXPECT_EQ(Text(form->Control(kLabel4)), "Install cancelled.");
    EXPECT_EQ(boxes.Boxes().size(), 2u);  // the question about the mod installed by the first press
    EXPECT_TRUE(form->Handle());
    EXPECT_TRUE(IsWindowEnabled(form->Control(kCommand1)));
    EXPECT_TRUE(FileExists(mod / "correctscript.tmp"));
    EXPECT_EQ(ReadTextFile(game / "patch_d2_backup.mpq"), kArchive);
    EXPECT_FALSE(ReadModsRecord(game.Path()).underWay);
    ExpectLocationSaved(*form, game.Path());

    // The window closed while the shell asks: it hides, and the archiver it starts, on the original
    // the second press put back, is awaited, judged and recorded before the program ends.
    answer = closing = true;
    ForgetGameLocations();
    Press(*form);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    ASSERT_TRUE(WaitUntil([&] { return !form->Handle(); }));
    EXPECT_EQ(LoadLocation().path, game.Path());
    EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"), kArchive + kArchiveRecord);
    EXPECT_EQ(ReadModsRecord(game.Path()).mods.size(), 1u);
    EXPECT_FALSE(ReadModsRecord(game.Path()).underWay);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
}

// A second mod: Yes installs it onto the original from the backup, No onto the first mod, Cancel
// not at all; the system menu's item is Yes without the question.
TEST_F(InstallerTest, ASecondModGoesOntoTheOriginalOnYesOntoTheFirstOnNoAndNowhereOnCancel)
{
    TempDir second;
    PlaceMod(second.Path());
    WriteTextFile(second / "modsettings.ini", "[MainSettings]\r\nTitle=Second Mod\r\nScriptFile=mod script.txt\r\n");
    const struct {
        int answer;  // 0: the system menu's item
        std::size_t changes;
        std::vector<std::string> recorded;
        const char* status;
    } cases[] = {{IDYES, 1, {"Second Mod"}, "Installed Sucessfully"},
                 {IDNO, 2, {"Test Mod", "Second Mod"}, "Installed Sucessfully"},
                 {IDCANCEL, 1, {"Test Mod"}, "Install cancelled."},
                 {0, 1, {"Second Mod"}, "Installed Sucessfully"}};
    MessageBoxWatcher boxes;
    for (const auto& [answer, changes, recorded, status] : cases) {
        WriteTextFile(game / "patch_d2.mpq", kArchive);
        for (const char* name : {"patch_d2_backup.mpq", "patch_d2_mods.txt"})
            DeleteFileA((game / name).c_str());
        {
            auto first = StartOn(game.Path());
            Press(*first);
            ASSERT_TRUE(ArchiverEnded(*first));
        }
        PumpMessages();  // the quit message of the closed window would end the question at once
        auto form = StartOn(game.Path(), second.Path());
        boxes.Answer(answer);
        if (answer)
            Press(*form);
        else
            SendMessageA(form->Handle(), WM_SYSCOMMAND, 0x0020, 0);
        ASSERT_TRUE(ArchiverEnded(*form));
        std::string archive = kArchive;
        for (std::size_t i = 0; i < changes; ++i)
            archive += kArchiveRecord;
        EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"), archive);
        std::vector<std::string> titles;
        for (const InstalledMod& installed : ReadModsRecord(game.Path()).mods)
            titles.push_back(installed.title);
        EXPECT_EQ(titles, recorded);
        EXPECT_EQ(Text(form->Control(kLabel4)), status);
        form->Dir1().SetPath(game.Path());
        EXPECT_EQ(Text(form->Control(kLabel5)).ends_with(" and 1 more"), recorded.size() == 2);
    }
    const auto shown = boxes.Boxes();
    EXPECT_EQ(std::count_if(shown.begin(), shown.end(),
                            [](const ShownBox& box) {
                                return box.title == "A Mod Is Already Installed" &&
                                       box.text.find(" already holds Test Mod.\n") != std::string::npos;
                            }),
              3);
}

// A mod made for 1.13c, pressed on a 1.14d game: asked first, No changing nothing. Install.log in the
// mod's folder tells whoever helps the player what happened, and keeps to about 1 MiB.
TEST_F(InstallerTest, AModForAnotherVersionAsksFirstAndInstallLogTellsWhatHappened)
{
    ASSERT_TRUE(CopyFileA(BesideThisProgram("game_1_14d.exe").c_str(), (game / "Game.exe").c_str(), FALSE));
    WriteTextFile(mod / "modsettings.ini",
                  "[MainSettings]\r\nTitle=Old Mod\r\nScriptFile=mod script.txt\r\n"
                  "GameVersion=1.13c, 1.13D\r\n");
    const std::string older = "an older line\r\n";
    std::string log;
    while (log.size() <= 1024 * 1024)
        log += older;
    WriteTextFile(mod / "Install.log", "the oldest line\r\n" + log);
    MessageBoxWatcher boxes;
    auto form = StartOn(game.Path());
    PressAnsweringNoThenYes(*form, boxes);
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].title, "Another Version of Diablo II");
    EXPECT_EQ(shown[0].text.find("Old Mod is made for Diablo II 1.13c, 1.13D, and the game in " + game.Path() +
                                 " is 1.14d (Lord of Destruction)."),
              0u)
        << shown[0].text;
    EXPECT_TRUE(shown[0].anyIcon && !shown[0].criticalStopIcon);
    EXPECT_EQ(shown[1].title, "Another Version of Diablo II");
    EXPECT_EQ(shown[2].text, kInstalledText);
    EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"), kArchive + kArchiveRecord);
    EXPECT_EQ(ReadModsRecord(game.Path()).mods.at(0).gameVersion, "1.14d (Lord of Destruction)");

    // The older half went, from a whole line on; both presses were added.
    log = ReadTextFile(mod / "Install.log");
    EXPECT_LT(log.size(), 600u * 1024);
    EXPECT_EQ(log.rfind(older, 0), 0u);
    for (const std::string& line : std::vector<std::string>{
             " Install Mod, at the window\r\n", "Game folder: " + game.Path() + "\r\n",
             "Game version: 1.14d (Lord of Destruction)\r\n", "Install cancelled.\r\n", "Outcome: 4\r\n",
             "Answer: Yes\r\n", "The archiver's command line: " + ArchiverCommandLine(mod.Path()) + "\r\n",
             "The archiver ended with exit code 0. patch_d2.mpq before: " + std::to_string(kArchive.size()) +
                 " bytes, a sound MPQ archive; after: " + std::to_string(kArchive.size() + strlen(kArchiveRecord)) +
                 " bytes, a sound MPQ archive; changed.\r\n",
             "Installed Sucessfully\r\n", "Outcome: 0\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << log.substr(log.size() - 2000);
    EXPECT_LT(log.find("Outcome: 4"), log.find("Answer: Yes"));
}

// An archiver that dies half-way leaves the archive damaged: the install failed, and Yes puts the
// backup back. A backup that is no sound MPQ archive goes back all the same: it is the player's.
TEST_F(InstallerTest, AnArchiveTheArchiverDamagedFailsTheInstallAndYesPutsTheBackupBack)
{
    WriteTextFile(mod / "mpq2k.truncate", "");
    MessageBoxWatcher boxes;
    auto form = StartOn(game.Path());
    for (const int answer : {IDYES, IDNO}) {
        WriteTextFile(game / "patch_d2.mpq", kArchive);
        boxes.Answer(answer);
        Press(*form);
        ASSERT_TRUE(ArchiverEnded(*form));
        const ShownBox shown = boxes.Boxes().back();
        EXPECT_EQ(shown.title, "Install Failed");
        EXPECT_EQ(shown.text.find("The archiver ended and left patch_d2.mpq damaged"), 0u) << shown.text;
        EXPECT_TRUE(shown.criticalStopIcon);
        EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"),
                  answer == IDYES ? kArchive : kArchive.substr(0, kArchive.size() / 2));
        EXPECT_EQ(Text(form->Control(kLabel4)),
                  answer == IDYES ? "Original patch_d2.mpq restored." : "Install failed.");
    }
    // Remembered until the backup is back: a press asks to put it back first, No changing nothing.
    DeleteFileA((mod / "mpq2k.truncate").c_str());
    for (const int answer : {IDNO, IDYES}) {
        boxes.Answer(answer);
        Press(*form);
        ASSERT_TRUE(ArchiverEnded(*form));
        EXPECT_EQ(boxes.Boxes().at(answer == IDNO ? 2 : 3).title, "patch_d2.mpq Is Damaged");
    }
    EXPECT_EQ(Text(form->Control(kLabel4)), "Installed Sucessfully");
    EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"), kArchive + kArchiveRecord);
    EXPECT_EQ(boxes.Boxes().size(), 5u);
    EXPECT_FALSE(ReadModsRecord(game.Path()).damaged);

    // An archive another program holds when the archiver ends can't be read: it is judged by its
    // stamps alone, never called damaged.
    DeleteFileA((game / "patch_d2_mods.txt").c_str());
    WriteTextFile(mod / "mpq2k.wait", "");
    Press(*form);
    ASSERT_TRUE(WaitUntil([&] { return Starts().size() == 4; }));
    {
        const FileHandle held = HoldExclusively(game / "patch_d2.mpq");
        DeleteFileA((mod / "mpq2k.wait").c_str());
        ASSERT_TRUE(ArchiverEnded(*form));
    }
    EXPECT_EQ(boxes.Boxes().back().text.find("The archiver ended without changing patch_d2.mpq"), 0u);

    WriteTextFile(game / "patch_d2_backup.mpq", kArchive.substr(0, kArchive.size() / 2));
    SendMessageA(form->Handle(), WM_SYSCOMMAND, 0x0010, 0);
    ASSERT_TRUE(ArchiverEnded(*form));
    EXPECT_EQ(boxes.Boxes().back().title, "Restore Backup");
    EXPECT_NE(boxes.Boxes().back().text.find("\n\nThe backup " + (game / "patch_d2_backup.mpq") +
                                             " is no sound MPQ archive itself"),
              std::string::npos);
    EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"), kArchive.substr(0, kArchive.size() / 2));
}

// Install.exe and its archiver ended from outside while the archiver runs, as a crash or the Task
// Manager ends them, leave the note: the archive may be half-written, however sound it looks. The
// next command puts the backup back first, or changes nothing; one beside a running install waits.
TEST_F(InstallerTest, AnInstallCutShortIsFoundByTheNextCommandAndPutRight)
{
    ASSERT_TRUE(CopyFileA(BuiltInstallExe().c_str(), (mod / "Install.exe").c_str(), FALSE));
    const auto command = [&](const std::string& arguments) {
        return '"' + (mod / "Install.exe") + "\" " + arguments + " /D=\"" + game.Path() + '"';
    };
    const std::string halfWritten = kArchive + "half-written";
    const auto cutShort = [&](const std::string& arguments) {
        WriteTextFile(mod / "mpq2k.wait", "");
        const std::size_t started = Starts().size();
        const UniqueHandle installer = StartProcess(command(arguments), mod.Path());
        ASSERT_TRUE(WaitUntil([&] { return Starts().size() > started; }));
        EXPECT_EQ(RunProgram(command("/RESTORE"), mod.Path()).exitCode, 7u);
        const UniqueHandle archiver(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, Starts().back().processId));
        for (const HANDLE process : {installer.Get(), archiver.Get()}) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 20000);
        }
        DeleteFileA((mod / "mpq2k.wait").c_str());
        WriteTextFile(game / "patch_d2.mpq", halfWritten);
    };
    cutShort("/S");
    ProgramRun run = RunProgram(command("/S"), mod.Path());
    EXPECT_EQ(run.exitCode, 9u);
    EXPECT_EQ(run.output.find("The last install of Test Mod in " + game.Path() + ", started "), 0u) << run.output;
    EXPECT_NE(RunProgram(command("/CHECK"), mod.Path()).output.find("problem: The last install in "),
              std::string::npos);
    EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"), halfWritten);

    MessageBoxWatcher boxes;
    auto form = StartOn(game.Path());
    EXPECT_EQ(Text(form->Control(kLabel5)).rfind("Install interrupted here: Test Mod, ", 0), 0u);
    PressAnsweringNoThenYes(*form, boxes);
    EXPECT_EQ(boxes.Boxes().at(0).title, "Last Install Interrupted");
    EXPECT_EQ(boxes.Boxes().size(), 3u);  // the question twice, and the install's end
    EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"), kArchive + kArchiveRecord);

    cutShort("/S /CLEAN");
    EXPECT_EQ(RunProgram(command("/S /CLEAN"), mod.Path()).exitCode, 0u);
    EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"), kArchive + kArchiveRecord);
    cutShort("/S");
    EXPECT_EQ(RunProgram(command("/RESTORE"), mod.Path()).exitCode, 0u);
    EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"), kArchive);
    EXPECT_EQ(ReadModsRecord(game.Path()), ModsRecord{});
}

// What the archive holds of the mod, file by file: a file the mod's folder lacks is asked about
// before anything changes, one the archiver left out fails the install and Yes puts the backup
// back; an archive whose tables can't be read reliably is installed onto with no claim about them.
TEST_F(InstallerTest, TheFilesTheModAddsAreLookedForInTheArchive)
{
    MakeDirectory(mod / "data");
    WriteTextFile(mod / "data\\a.txt", "a mod's file");
    PlaceMod(mod.Path(), "o patch_d2.mpq\r\na data\\a.txt\r\na data\\gone.txt\r\n");
    WriteTextFile(mod / "mpq2k-skip.txt", "data\\a.txt");
    MessageBoxWatcher boxes;
    auto form = StartOn(game.Path());
    PressAnsweringNoThenYes(*form, boxes);
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].title, "Mod Files Missing");
    EXPECT_NE(shown[0].text.find(":\n\ndata\\gone.txt\n\n"), std::string::npos) << shown[0].text;
    EXPECT_EQ(shown[2].title, "Install Failed");
    EXPECT_NE(shown[2].text.find("left out the 1 file the mod adds"), std::string::npos) << shown[2].text;
    EXPECT_EQ(Text(form->Control(kLabel4)), "Original patch_d2.mpq restored.");
    EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"), kArchive);

    DeleteFileA((mod / "mpq2k-skip.txt").c_str());
    WriteTextFile(mod / "data\\gone.txt", "found again");
    // The tables have room for the mod's files; a hash table of 3 entries can't be read reliably.
    for (const std::string& archive : {MpqArchive(16), MpqArchive(3)}) {
        WriteTextFile(game / "patch_d2.mpq", archive);
        DeleteFileA((game / "patch_d2_backup.mpq").c_str());
        DeleteFileA((game / "patch_d2_mods.txt").c_str());
        Press(*form);
        ASSERT_TRUE(ArchiverEnded(*form));
        EXPECT_EQ(boxes.Boxes().back().text,
                  kInstalledText + std::string(archive.size() > kArchive.size()
                                                   ? "\n\npatch_d2.mpq holds all 2 files the mod adds."
                                                   : ""));
    }
}

// The way back: the window's system menu puts the backup in place of the archive the mod changed.
TEST_F(InstallerTest, RestoringFromTheSystemMenuBringsTheBackupBack)
{
    MessageBoxWatcher boxes;
    auto form = StartOn(game.Path());
    HMENU menu = GetSystemMenu(form->Handle(), FALSE);
    const auto restoreEnabled = [&] {
        SendMessageA(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
        return !(GetMenuState(menu, 0x0010, MF_BYCOMMAND) & MF_GRAYED);
    };
    EXPECT_FALSE(restoreEnabled());
    // A record whose backup was lost: the new backup holds its mod, and keeps it when put back.
    WriteTextFile(game / "patch_d2_mods.txt", "2024-01-01 10:00\tOld Mod\tC:\\old\r\n");
    WriteTextFile(mod / "mpq2k.wait", "");
    Press(*form);
    ASSERT_TRUE(WaitUntil([&] { return Starts().size() == 1; }));
    EXPECT_FALSE(restoreEnabled());
    DeleteFileA((mod / "mpq2k.wait").c_str());
    ASSERT_TRUE(ArchiverEnded(*form));
    ASSERT_TRUE(restoreEnabled());

    // The restored archive is a plain file whatever the backup's attributes; a record that can't
    // be updated is told, and the restore stands.
    SetFileAttributesA((game / "patch_d2_backup.mpq").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    {
        const FileHandle held(
            CreateFileA((game / "patch_d2_mods.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        SendMessageA(form->Handle(), WM_SYSCOMMAND, 0x0010, 0);
        ASSERT_TRUE(ArchiverEnded(*form));
    }
    EXPECT_EQ(Text(form->Control(kLabel4)), "Original patch_d2.mpq restored.");
    const std::string log = ReadTextFile(mod / "Install.log");
    EXPECT_LT(log.rfind(" Restore patch_d2.mpq from backup, at the window\r\n"),
              log.rfind(" Original patch_d2.mpq restored.\r\n"));
    EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"), kArchive);
    EXPECT_EQ(GetFileAttributesA((game / "patch_d2.mpq").c_str()) &
                  (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              0u);
    EXPECT_EQ(ReadTextFile(game / "patch_d2_backup.mpq"), kArchive);
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(boxes.Boxes()[1].title, "Restore Backup");
    EXPECT_EQ(boxes.Boxes()[2].title, "Record of Installed Mods Not Updated");
    SendMessageA(form->Handle(), WM_SYSCOMMAND, 0x0010, 0);
    ASSERT_TRUE(ArchiverEnded(*form));
    EXPECT_EQ(FileNamesIn(game.Path()),
              (std::vector<std::string>{"patch_d2.mpq", "patch_d2_backup.mpq", "patch_d2_mods.txt"}));
    SetFileAttributesA((game / "patch_d2_backup.mpq").c_str(), FILE_ATTRIBUTE_NORMAL);
    form->Dir1().SetPath(game.Path());
    EXPECT_EQ(Text(form->Control(kLabel5)), "Installed here: Old Mod, 2024-01-01");
    boxes.Answer(IDCANCEL);
    Press(*form);
    EXPECT_NE(
        boxes.Boxes().back().text.find("The backup was made after Old Mod had been installed, so it holds it too."),
        std::string::npos);
    boxes.Answer(IDYES);
    ASSERT_EQ(boxes.Boxes().size(), 5u);

    // A read-only archive is told for what it is, by the restore and by the install, and stays.
    WriteTextFile(game / "patch_d2.mpq", "changed");
    SetFileAttributesA((game / "patch_d2.mpq").c_str(), FILE_ATTRIBUTE_READONLY);
    SendMessageA(form->Handle(), WM_SYSCOMMAND, 0x0010, 0);
    Press(*form);
    ASSERT_EQ(boxes.Boxes().size(), 7u);
    EXPECT_EQ(boxes.Boxes()[5].title, "patch_d2.mpq Is Read-Only");
    EXPECT_EQ(boxes.Boxes()[6].title, "patch_d2.mpq Is Read-Only");
    EXPECT_EQ(Text(form->Control(kLabel4)), "patch_d2.mpq is read-only.");
    EXPECT_TRUE(IsWindowEnabled(form->Control(kCommand1)));
    SetFileAttributesA((game / "patch_d2.mpq").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"), "changed");
    EXPECT_EQ(Starts().size(), 1u);

    // A backup that can't be read is told by why it can't, never called damaged.
    WriteTextFile(game / "patch_d2.mpq", kArchive);
    {
        const FileHandle held = HoldExclusively(game / "patch_d2_backup.mpq");
        SendMessageA(form->Handle(), WM_SYSCOMMAND, 0x0010, 0);
    }
    EXPECT_NE(boxes.Boxes().back().text.find(SystemErrorText(ERROR_SHARING_VIOLATION)), std::string::npos)
        << boxes.Boxes().back().text;
}

// Before anything is changed: the archive held by another program as the game holds it, and a
// folder that only an administrator may change, which is handed to Install.exe started as one.
TEST_F(InstallerTest, WhatStopsAnInstallIsFoundBeforeAnythingIsChanged)
{
    auto form = StartOn(game.Path());
    const PlatformOverride player;
    Platform().programsHolding = [](const std::wstring&) {
        return std::vector<std::wstring>{HolderName(L"Diablo II", L"Game.exe"), HolderName(L"Scanner", L"")};
    };
    {
        MessageBoxWatcher boxes;
        const FileHandle held(CreateFileA((game / "patch_d2.mpq").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        Press(*form);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].title, "patch_d2.mpq In Use");
        EXPECT_NE(boxes.Boxes()[0].text.find("in use by another program: Diablo II (Game.exe), Scanner, so"),
                  std::string::npos);
    }
    EXPECT_EQ(Text(form->Control(kLabel4)), "patch_d2.mpq is in use.");
    ExpectLocationSaved(*form, game.Path());

    Platform().processElevated = [] { return false; };
    Platform().createRefusal = [](const std::string&) -> DWORD { return ERROR_ACCESS_DENIED; };
    std::vector<std::string> started;
    DWORD prompt = ERROR_CANCELLED;
    Platform().shellExecuteEx = [&](SHELLEXECUTEINFOA* info) {
        EXPECT_TRUE(IsWindow(info->hwnd));
        EXPECT_EQ(std::string(info->lpFile).substr(std::string(info->lpFile).size() - 4), ".exe");
        started.push_back(std::string(info->lpVerb ? info->lpVerb : "") + " " + info->lpParameters);
        // Handed the game by its network path, the administrator's installer starts from there too.
        const bool byNetwork = std::string(info->lpParameters).find("\\\\server") != std::string::npos;
        EXPECT_EQ(std::string(info->lpFile).rfind("\\\\server", 0) == 0, byNetwork);
        EXPECT_EQ(std::string(info->lpDirectory).rfind("\\\\server", 0) == 0, byNetwork);
        info->hInstApp = reinterpret_cast<HINSTANCE>(prompt == ERROR_SUCCESS ? 42 : SE_ERR_ACCESSDENIED);
        SetLastError(prompt);
        return prompt == ERROR_SUCCESS;
    };
    {
        MessageBoxWatcher no;
        no.Answer(IDNO);
        Press(*form);
        ASSERT_TRUE(ArchiverEnded(*form));
        EXPECT_EQ(no.Boxes().at(0).title, "Administrator Rights Needed");
    }
    EXPECT_EQ(Text(form->Control(kLabel4)), "Install cancelled.");
    MessageBoxWatcher yes;
    SetWindowTextA(form->Control(kLabel4), "");
    Press(*form);
    ASSERT_TRUE(ArchiverEnded(*form));
    EXPECT_EQ(Text(form->Control(kLabel4)), "Install cancelled.");
    WriteTextFile(game / "patch_d2_backup.mpq", kArchive);
    prompt = ERROR_SUCCESS;
    // A drive letter mapped to a network share, which the administrator's instance doesn't have:
    // the share's path is handed over, or the player told that it can't be.
    Platform().folderForAdministrator = [](const std::string&) -> std::optional<std::string> { return std::nullopt; };
    Press(*form);
    ASSERT_TRUE(ArchiverEnded(*form));
    EXPECT_NE(yes.Boxes().back().text.find("on a network drive"), std::string::npos);
    Platform().folderForAdministrator = [](const std::string& folder) -> std::optional<std::string> {
        return "\\\\server\\games" + folder.substr(2);
    };
    SendMessageA(form->Handle(), WM_SYSCOMMAND, 0x0010, 0);
    EXPECT_TRUE(WaitUntil([&] { return !form->Handle(); }));
    // Handed over, a press asks nothing again, even where Windows still refuses; and an archiver
    // started with nothing to wait on is claimed and recorded as nothing.
    auto handedOver = StartOn(game.Path());
    handedOver->PressOnceRunning(Press::Install);
    ASSERT_TRUE(WaitUntil([&] { return Text(handedOver->Control(kLabel4)) == "Install not confirmed."; }));
    EXPECT_EQ(started, (std::vector<std::string>{"runas /PRESS /D=" + game.Path(),
                                                 "runas /PRESS=RESTORE /D=\\\\server\\games" + game.Path().substr(2),
                                                 " s " + (mod / "correctscript.tmp")}));
    EXPECT_EQ(yes.Boxes().size(), 5u);
    EXPECT_FALSE(AnyFileExists(game / "patch_d2_mods.txt"));
    EXPECT_EQ(ReadTextFile(game / "patch_d2.mpq"), kArchive);
    EXPECT_EQ(FileNamesIn(game.Path()), (std::vector<std::string>{"patch_d2.mpq", "patch_d2_backup.mpq"}));
    EXPECT_TRUE(Starts().empty());
}

// On Japanese Windows (code page 932, in the prefix of a Japanese locale), where the last byte of
// "ソ" is that of "\\".
TEST_F(InstallerTest, InstallsIntoAFolderOfJapaneseNamesInCodePage932)
{
    for (const wchar_t* name : {L"\x30BD\x30D5\x30C8\\Diablo II", L"\x30BD\x30D5\x30C8\\Diablo \x30BD"}) {
        const std::string folder = game / ToCodePage(name).value();
        SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
        WriteTextFile(folder + "\\patch_d2.mpq", kArchive);
        MessageBoxWatcher boxes;
        auto form = StartOn(folder);
        Press(*form);
        ASSERT_TRUE(ArchiverEnded(*form));
        EXPECT_EQ(Text(form->Control(kLabel4)), "Installed Sucessfully");
        EXPECT_EQ(ReadTextFile(folder + "\\patch_d2.mpq"), kArchive + kArchiveRecord);
        EXPECT_EQ(ReadTextFile(folder + "\\patch_d2_backup.mpq"), kArchive);
    }
}

// Windows' private copy of the archive for older programs, which the game would read instead: in
// each folder that Windows keeps such copies for (the variable that names it).
class HiddenCopyTest : public InstallerTest, public testing::WithParamInterface<const char*> {};
INSTANTIATE_TEST_SUITE_P(EachVirtualizedFolder, HiddenCopyTest,
                         testing::Values("ProgramFiles", "ProgramFiles(x86)", "ProgramData"));

TEST_P(HiddenCopyTest, AHiddenCopyOfTheArchiveIsMovedAsideBeforeTheInstall)
{
    char programs[MAX_PATH] = "";
    char localData[MAX_PATH] = "";
    ASSERT_TRUE(GetEnvironmentVariableA(GetParam(), programs, MAX_PATH) &&
                GetEnvironmentVariableA("LOCALAPPDATA", localData, MAX_PATH));
    const std::string name = "Diablo II " + std::to_string(GetCurrentProcessId());
    const std::string gameFolder = std::string(programs) + "\\" + name;
    const std::string store = std::string(localData) + "\\VirtualStore" + gameFolder.substr(2);
    SHCreateDirectoryExA(nullptr, store.c_str(), nullptr);
    MakeDirectory(gameFolder);
    WriteTextFile(gameFolder + "\\patch_d2.mpq", kArchive);
    WriteTextFile(store + "\\patch_d2.mpq", "an old copy");
    WriteTextFile(store + "\\patch_d2_virtualstore.mpq", "an older copy");
    MessageBoxWatcher boxes;
    auto form = StartOn(gameFolder);
    {
        // The game holds its copy: told before anything changes.
        const FileHandle held(CreateFileA((store + "\\patch_d2.mpq").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        Press(*form);
    }
    EXPECT_EQ(boxes.Boxes().at(0).title, "patch_d2.mpq In Use");
    EXPECT_FALSE(AnyFileExists(gameFolder + "\\patch_d2_backup.mpq"));
    Press(*form);
    ASSERT_TRUE(ArchiverEnded(*form));
    EXPECT_EQ(Text(form->Control(kLabel4)), "Installed Sucessfully");
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(boxes.Boxes()[1].title, "Hidden Copy of patch_d2.mpq");
    EXPECT_EQ(FileNamesIn(store),
              (std::vector<std::string>{"patch_d2_virtualstore (2).mpq", "patch_d2_virtualstore.mpq"}));
    EXPECT_EQ(ReadTextFile(store + "\\patch_d2_virtualstore (2).mpq"), "an old copy");

    // Moved only once the player has answered every question: not on Cancel. Without an
    // administrator's rights, by the player's own instance before it hands the press over: the
    // administrator's may run as another user, who has no such copy.
    WriteTextFile(store + "\\patch_d2.mpq", "a newer copy");
    boxes.Answer(IDCANCEL);
    Press(*form);
    EXPECT_EQ(ReadTextFile(store + "\\patch_d2.mpq"), "a newer copy");
    boxes.Answer(IDYES);
    const PlatformOverride player;
    Platform().processElevated = [] { return false; };
    Platform().createRefusal = [](const std::string&) -> DWORD { return ERROR_ACCESS_DENIED; };
    std::string handedOver;
    Platform().shellExecuteEx = [&](SHELLEXECUTEINFOA* info) {
        handedOver = info->lpParameters;
        return !FileExists(store + "\\patch_d2.mpq");
    };
    Press(*form);
    EXPECT_TRUE(WaitUntil([&] { return !form->Handle(); }));
    EXPECT_EQ(handedOver, "/PRESS=CLEAN /D=" + gameFolder);
    EXPECT_EQ(ReadTextFile(store + "\\patch_d2_virtualstore (3).mpq"), "a newer copy");
    RemoveTree(gameFolder);
    RemoveTree(store);
}

TEST_F(InstallerTest, AMissingScriptOrAnArchiveNameTheScriptCantHoldIsReported)
{
    TempDir unnamed;
    PlaceMod(unnamed.Path());
    WriteTextFile(unnamed / "modsettings.ini", "[MainSettings]\r\nTitle=Test Mod\r\n");
    {
        MessageBoxWatcher boxes;
        auto form = StartOn(game.Path(), unnamed.Path());
        Press(*form);
        ASSERT_TRUE(ArchiverEnded(*form));
        ExpectFailureReport(boxes, *form, "Read the mod's script (ScriptFile in modsettings.ini)",
                            unnamed.Path() + "\\");
        // The report's whole text, in the log the report points to.
        const std::string log = ReadTextFile(unnamed / "Install.log");
        const std::string report = boxes.Boxes()[0].text;
        EXPECT_NE(log.find(kFailureTitle + ": "s + report.substr(0, report.find('\n')) + "\r\n\r\n    "),
                  std::string::npos)
            << log;
        EXPECT_NE(log.find("    Send Install.log from the mod's folder when you ask for help.\r\n\r\n    The installer "
                           "will now close.\r\n"),
                  std::string::npos)
            << log;
    }
    EXPECT_EQ(ReadTextFile(game / "patch_d2_backup.mpq"), kArchive);
    PumpMessages();  // the quit message of the closed window would end the next box at once

    {
        // A name the archiver couldn't open is refused before anything is changed.
        const PlatformOverride lossyShortNames;
        Platform().getShortPathNameA = [](LPCSTR, LPSTR shortPath, DWORD) {
            return static_cast<DWORD>(lstrlenA(lstrcpyA(shortPath, "C:\\Diablo II ?\\patch_d2.mpq")));
        };
        TempDir fresh;
        WriteTextFile(fresh / "patch_d2.mpq", kArchive);
        MessageBoxWatcher boxes;
        auto form = StartOn(fresh.Path());
        Press(*form);
        ExpectFailureReport(boxes, *form, "Name the game's patch archive in the mod's script",
                            "C:\\Diablo II ?\\patch_d2.mpq");
        EXPECT_EQ(FileNamesIn(fresh.Path()), std::vector<std::string>{"patch_d2.mpq"});
    }
    PumpMessages();
    // Whatever ends the copy's thread reaches the report, an allocation that failed too.
    const PlatformOverride failingCopy;
    Platform().copyFileEx = [](auto...) -> BOOL { throw std::bad_alloc(); };
    TempDir fresh;
    WriteTextFile(fresh / "patch_d2.mpq", kArchive);
    MessageBoxWatcher boxes;
    auto form = StartOn(fresh.Path());
    Press(*form);
    ASSERT_TRUE(ArchiverEnded(*form));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("The installer failed: std::bad_alloc"), std::string::npos);
    EXPECT_EQ(FileNamesIn(fresh.Path()), std::vector<std::string>{"patch_d2.mpq"});
}

namespace {

struct ControlSearch {
    int id;
    HWND control;
};

BOOL CALLBACK FindControl(HWND child, LPARAM param)
{
    auto* search = reinterpret_cast<ControlSearch*>(param);
    if (GetDlgCtrlID(child) != search->id)
        return TRUE;
    search->control = child;
    return FALSE;
}

HWND ControlOf(HWND window, int id)
{
    ControlSearch search{id, nullptr};
    EnumChildWindows(window, FindControl, reinterpret_cast<LPARAM>(&search));
    return search.control;
}

}  // namespace

// The way a user meets it: Install.exe started from the mod's folder, its window found on the
// screen, the game's folder opened in the list, the button clicked, the boxes answered. Both folders
// have names that the ANSI code page can't hold, as a Polish player's may.
TEST_F(InstallerTest, InstallExeInstallsAsItsOwnProcessFromFoldersOutsideTheCodePage)
{
    const std::wstring modFolder = FromCodePage(mod.Path()) + L"\\\x141ukasz mod";
    const std::wstring gameFolder = FromCodePage(game.Path()) + L"\\Diablo II \x141";
    ASSERT_TRUE(CreateDirectoryW(modFolder.c_str(), nullptr) && CreateDirectoryW(gameFolder.c_str(), nullptr));
    ASSERT_FALSE(ToCodePage(modFolder));
    const std::string modAlias = AnsiPathOf(modFolder).value_or("");
    const std::string gameAlias = AnsiPathOf(gameFolder).value_or("");
    ASSERT_FALSE(modAlias.empty() || gameAlias.empty());
    // The list opens the folder by its own alias, below the remembered folder as it is written.
    const std::string gameInList = game / gameAlias.substr(gameAlias.rfind('\\') + 1);
    PlaceMod(modAlias);
    WriteTextFile(gameAlias + "\\patch_d2.mpq", kArchive);
    ASSERT_TRUE(CopyFileA(BuiltInstallExe().c_str(), (modAlias + "\\Install.exe").c_str(), FALSE)) << BuiltInstallExe();
    SaveLocation(game.Path(), "c:");
    WriteTextFile(modAlias + "\\mpq2k.wait", "");

    DWORD processId = 0;
    const UniqueHandle process = StartProcess(L'"' + modFolder + L"\\Install.exe\"", modFolder, &processId);
    ASSERT_TRUE(process);
    MessageBoxWatcher boxes(processId);

    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindVisibleWindow(processId, "VornikelForm1")) != nullptr; }));
    HWND command1 = ControlOf(window, kCommand1);
    HWND label4 = ControlOf(window, kLabel4);
    HWND label5 = ControlOf(window, kLabel5);
    HWND dir1 = ControlOf(window, kDir1);
    ASSERT_TRUE(command1 && label4 && label5 && dir1);
    EXPECT_EQ(Text(ControlOf(window, kLabel1)), "Test Mod");
    // The game's folder, the last entry below the remembered one, opened with a double click.
    SendMessageA(dir1, LB_SETCURSEL, SendMessageA(dir1, LB_GETCOUNT, 0, 0) - 1, 0);
    SendMessageA(GetParent(dir1), WM_COMMAND, MAKEWPARAM(kDir1, LBN_DBLCLK), reinterpret_cast<LPARAM>(dir1));
    PostMessageA(command1, BM_CLICK, 0, 0);

    ASSERT_TRUE(WaitUntil([&] { return Text(label4) == "Installing..."; })) << Text(label4);
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer));
    EXPECT_FALSE(IsWindowEnabled(command1));
    DeleteFileA((modAlias + "\\mpq2k.wait").c_str());

    ASSERT_TRUE(WaitUntil([&] { return !Text(label5).empty(); }));
    EXPECT_EQ(Text(label5), "A backup has been created at: " + gameInList + "\\patch_d2_backup.mpq");
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process.Get(), 20000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD exitCode = 1;
    GetExitCodeProcess(process.Get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);

    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, kInstalledText);
    const auto starts = ReadArchiverLog(modAlias + "\\mpq2k.log");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].show, SW_SHOWNOACTIVATE);
    EXPECT_EQ(ReadTextFile(gameAlias + "\\patch_d2_backup.mpq"), kArchive);
    EXPECT_EQ(ReadTextFile(gameAlias + "\\patch_d2.mpq"), kArchive + kArchiveRecord);
    EXPECT_EQ(LoadLocation().path, gameInList);
}
