// "Install Mod" pressed through the window against a game folder, a script and an archiver that
// go wrong in every way the suite can make them: each press either installs as it should or ends
// in a clear report, and the player's patch_d2.mpq and backup are never lost or torn, nor any
// temporary file left behind.
#include "install/Failure.h"
#include "install/InstallScript.h"
#include "install/InstalledMods.h"
#include "settings/Location.h"
#include "system/FileSystem.h"
#include "system/Module1.h"

#include "ArchiverLog.h"
#include "FormTestSupport.h"
#include "OtherProcess.h"
#include "Tally.h"

using namespace std::string_literals;

namespace {

// A sound MPQ archive, as the game's is: one that isn't is never installed onto.
const std::string kArchive = MpqArchive() + "the game's own archive\0\r\n"s;
const char* const kReadScript = "Read the mod's script (ScriptFile in modsettings.ini)";

// The drives scripts/test.sh mounts for the faults Wine can't make by itself: R: a disk of 1 MiB,
// S: a read-only view of the folder T: shows writable.
const char* const kFullDisk = "R:\\";
const char* const kReadOnlyView = "S:\\";
const char* const kReadOnlySource = "T:\\";

ULONGLONG DiskSize(const char* root, ULONGLONG* free = nullptr)
{
    ULARGE_INTEGER available{}, total{};
    if (!GetDiskFreeSpaceExA(root, &available, &total, nullptr))
        return 0;
    if (free)
        *free = available.QuadPart;
    return total.QuadPart;
}

}  // namespace

class InstallerAttack : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        PlaceMod(mod.Path(), "o patch_d2.mpq\r\n", kScript);
        WriteTextFile(game / "patch_d2.mpq", kArchive);
    }

    static constexpr const char* kScript = "script.txt";

    struct Outcome {
        std::vector<ShownBox> boxes;
        std::string status;
        bool windowClosed = false;
        int exitCode = 0;
        std::string scriptAsRead;
        std::string rewritten;
        std::vector<std::string> modFilesAtTheEnd;  // the window still open
    };

    // Starts the window on `gameFolder`, presses "Install Mod" and waits for the archiver's end.
    Outcome Install(const std::string& gameFolder, const std::string& modFolder = "")
    {
        Outcome outcome;
        MessageBoxWatcher boxes;
        {
            Form1 form(modFolder.empty() ? mod.Path() : modFolder);
            form.Create(GetModuleHandleA(nullptr));
            EXPECT_NO_THROW(form.Dir1().SetPath(gameFolder));
            SendMessageA(form.Control(kCommand1), BM_CLICK, 0, 0);
            EXPECT_TRUE(WaitUntil([&] { return !form.Installing(); }, 60)) << "the archiver never ended";
            outcome.windowClosed = form.Handle() == nullptr;
            outcome.exitCode = form.ExitCode();
            if (!outcome.windowClosed)
                outcome.status = Text(form.Control(kLabel4));
            outcome.scriptAsRead = form.ScriptAsRead();
            outcome.rewritten = form.RewrittenScript();
            outcome.boxes = boxes.Boxes();
            outcome.modFilesAtTheEnd = FileNamesIn(modFolder.empty() ? mod.Path() : modFolder);
        }
        // The closed window's quit message would end the next message box at once.
        PumpMessages();
        return outcome;
    }

    static void ExpectInstalled(const Outcome& outcome)
    {
        EXPECT_FALSE(outcome.windowClosed);
        EXPECT_EQ(outcome.status, "Installed Sucessfully");
        ASSERT_EQ(outcome.boxes.size(), 1u);
        EXPECT_EQ(outcome.boxes[0].text, kInstalledText);
    }

    // Installed when the script opens the archive (an "o" line), which is what changes it;
    // otherwise told that the archiver changed nothing, never claimed installed.
    static void ExpectInstalledWhenOpened(const Outcome& outcome, const std::string& script)
    {
        if (script.rfind("o patch_d2.mpq", 0) == 0 || script.find("\no patch_d2.mpq") != std::string::npos) {
            ExpectInstalled(outcome);
            return;
        }
        EXPECT_FALSE(outcome.windowClosed);
        EXPECT_EQ(outcome.status, "Install failed.");
        ASSERT_EQ(outcome.boxes.size(), 1u);
        EXPECT_EQ(outcome.boxes[0].text.find("The archiver ended without changing patch_d2.mpq"), 0u);
    }

    // The one failure report for `operation`, with `why` somewhere in its text; the window closed.
    static void ExpectReport(const Outcome& outcome, const std::string& operation, const std::string& why = "")
    {
        ASSERT_FALSE(outcome.boxes.empty());
        const ShownBox& report = outcome.boxes.back();
        EXPECT_EQ(report.title, kFailureTitle);
        EXPECT_EQ(report.text.find(operation + " failed.\n\n"), 0u) << report.text;
        EXPECT_NE(report.text.find(why), std::string::npos) << report.text;
        EXPECT_TRUE(report.criticalStopIcon);
        EXPECT_TRUE(outcome.windowClosed);
        EXPECT_EQ(outcome.exitCode, 1);
    }

    // The script the archiver got: the mod's script rewritten for `gameFolder`, and one start.
    void ExpectScriptReachedTheArchiver(const std::string& script, const std::string& gameFolder,
                                        bool compareLog = true)
    {
        const std::string written = RewriteScript(script, GetShortPath(gameFolder + "\\patch_d2.mpq")) + "\r\n";
        EXPECT_TRUE(ReadTextFile(mod / "correctscript.tmp") == written)
            << "correctscript.tmp isn't the rewritten script";
        const auto starts = ReadArchiverLog(mod / "mpq2k.log");
        ASSERT_EQ(starts.size(), 1u);
        const std::string tail = " s " + (mod / "correctscript.tmp");
        EXPECT_EQ(starts[0].commandLine.substr(starts[0].commandLine.size() - tail.size()), tail);
        if (compareLog) {
            EXPECT_TRUE(starts[0].script == written);
        }
    }

    PlayerFiles Watch(const std::string& gameFolder) { return PlayerFiles(gameFolder, {mod.Path()}); }

    static std::vector<std::string> ModOutputs() { return {"correctscript.tmp", "mpq2k.log"}; }

    TempDir game;
};

TEST_F(InstallerAttack, ScriptsOfEveryShapeReachTheArchiverRewrittenByteForByte)
{
    std::string million;
    million.reserve(13000000);
    for (int i = 0; i < 1000000; ++i)
        million += "patch_d2.mpq\n";
    const std::vector<std::string> scripts = {
        "",
        "no archive named here\r\n",
        "a patch_d2.mpq\0b\x1a patch_d2.mpq\x1a\0tail"s,
        "a patch_d2.mpq\rb patch_d2.mpq\r\r",
        "\"; del /q *.* & calc.exe | %SystemRoot% patch_d2.mpq `x` $(y)\r\n",
        million,
    };
    for (const std::string& script : scripts) {
        AttackCase attack(Attack::BadInput);
        WriteTextFile(mod / "script.txt", script);
        DeleteFileA((mod / "mpq2k.log").c_str());
        const PlayerFiles files = Watch(game.Path());
        const Outcome outcome = Install(game.Path());
        ExpectInstalledWhenOpened(outcome, script);
        EXPECT_TRUE(outcome.scriptAsRead == script);
        ExpectScriptReachedTheArchiver(script, game.Path());
        files.ExpectKept(ModOutputs());
    }
    EXPECT_EQ(std::count(million.begin(), million.end(), '\n'), 1000000);
}

TEST_F(InstallerAttack, AScriptOf100MiBIsRewrittenWhole)
{
    AttackCase attack(Attack::BadInput);
    std::string script(100u << 20, 'x');
    for (std::size_t at = 0; at + 12 < script.size(); at += 1 << 20)
        std::copy_n(kArchiveName, 12, script.begin() + static_cast<std::ptrdiff_t>(at));
    WriteTextFile(mod / "script.txt", script);
    const PlayerFiles files = Watch(game.Path());
    const Outcome outcome = Install(game.Path());
    ExpectInstalledWhenOpened(outcome, script);
    EXPECT_EQ(outcome.scriptAsRead.size(), script.size());
    ExpectScriptReachedTheArchiver(script, game.Path(), false);
    files.ExpectKept(ModOutputs());
}

// The script is only read as data, wherever its name points: the mod's own archiver, which the
// installer starts from the mod's folder anyway, could read any such file itself.
TEST_F(InstallerAttack, AScriptNameOutsideTheModFolderOrWithShellCharactersIsOnlyRead)
{
    TempDir outside;
    {
        AttackCase attack(Attack::BadInput);
        const std::string name = "..\\" + outside.Path().substr(outside.Path().rfind('\\') + 1) + "\\shared.txt";
        PlaceMod(mod.Path(), "", name);
        WriteTextFile(outside / "shared.txt", "shared patch_d2.mpq\r\n");
        const PlayerFiles files(game.Path(), {mod.Path(), outside.Path()});
        ExpectInstalledWhenOpened(Install(game.Path()), "shared");
        ExpectScriptReachedTheArchiver("shared patch_d2.mpq\r\n", game.Path());
        files.ExpectKept(ModOutputs());
    }
    {
        AttackCase attack(Attack::BadInput);
        DeleteFileA((mod / "mpq2k.log").c_str());
        PlaceMod(mod.Path(), "amp patch_d2.mpq", "x.txt & mpq2k.exe s evil.txt");
        const PlayerFiles files = Watch(game.Path());
        ExpectInstalledWhenOpened(Install(game.Path()), "amp");
        ExpectScriptReachedTheArchiver("amp patch_d2.mpq", game.Path());
        files.ExpectKept(ModOutputs());
    }
    {
        AttackCase attack(Attack::BadInput);
        DeleteFileA((mod / "mpq2k.log").c_str());
        WriteTextFile(mod / "modsettings.ini", "[MainSettings]\r\nScriptFile=\"a.txt\" & mpq2k.exe s \"b.txt\"\r\n");
        const PlayerFiles files = Watch(game.Path());
        ExpectReport(Install(game.Path()), kReadScript);
        EXPECT_TRUE(ReadArchiverLog(mod / "mpq2k.log").empty()) << "something was started";
        files.ExpectKept(ModOutputs());
    }
}

// Another program holds the archive as the game does while it runs: told before anything changes.
TEST_F(InstallerAttack, AnArchiveLockedByAnotherProcessIsToldAndNothingIsChanged)
{
    AttackCase attack(Attack::Fault);
    const PlayerFiles files = Watch(game.Path());
    Outcome outcome;
    {
        const HeldByAnotherProcess held(game / "patch_d2.mpq");
        ASSERT_TRUE(held.Holding());
        outcome = Install(game.Path());
    }
    EXPECT_FALSE(outcome.windowClosed);
    EXPECT_EQ(outcome.status, "patch_d2.mpq is in use.");
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].title, "patch_d2.mpq In Use");
    EXPECT_EQ(FileNamesIn(game.Path()), std::vector<std::string>{"patch_d2.mpq"});
    EXPECT_TRUE(ReadArchiverLog(mod / "mpq2k.log").empty()) << "the archiver was started";
    files.ExpectKept(ModOutputs());
}

TEST_F(InstallerAttack, AReadOnlyBackupIsKeptAndAGameFolderRemovedBeforeThePressIsNotFound)
{
    {
        AttackCase attack(Attack::Fault);
        WriteTextFile(game / "patch_d2_backup.mpq", "the unmodded archive");
        SetFileAttributesA((game / "patch_d2_backup.mpq").c_str(), FILE_ATTRIBUTE_READONLY);
        const PlayerFiles files = Watch(game.Path());
        ExpectInstalled(Install(game.Path()));
        files.ExpectKept(ModOutputs());
        SetFileAttributesA((game / "patch_d2_backup.mpq").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    AttackCase attack(Attack::Fault);
    TempDir parent;
    const std::string removed = parent / "Diablo II";
    MakeDirectory(removed);
    WriteTextFile(removed + "\\patch_d2.mpq", kArchive);
    MessageBoxWatcher boxes;
    Form1 form(mod.Path());
    form.Create(GetModuleHandleA(nullptr));
    ASSERT_NO_THROW(form.Dir1().SetPath(removed));
    RemoveTree(removed);
    SendMessageA(form.Control(kCommand1), BM_CLICK, 0, 0);
    EXPECT_EQ(Text(form.Control(kLabel4)), "patch_d2.mpq not found.");
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "File Not Found");
    EXPECT_EQ(LoadLocation().path, removed);
}

// The backup's temporary would reach MAX_PATH: the folder is refused for that, with the archive in
// it untouched, rather than told to have no archive; the player can choose another. One character
// less, and the install goes on.
TEST_F(InstallerAttack, AGameFolderPathTooLongForTheBackupIsToldForItsLength)
{
    const std::size_t atTheLimit = MAX_PATH - PartialPathOf("\\patch_d2_backup.mpq").size();
    for (const std::size_t length : {std::size_t{250}, atTheLimit, atTheLimit - 1}) {
        AttackCase attack(Attack::BadInput);
        std::string folder = game.Path();
        while (folder.size() < length) {
            // Names of up to 60 characters; none left to be named by a lone backslash.
            std::size_t name = std::min<std::size_t>(60, length - folder.size() - 1);
            name -= length - folder.size() - 1 - name == 1 ? 1 : 0;
            folder.append("\\").append(name, 'd');
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) << folder;
        }
        ASSERT_EQ(folder.size(), length);
        WriteTextFile(folder + "\\patch_d2.mpq", kArchive);
        const PlayerFiles files = Watch(folder);
        const Outcome outcome = Install(folder);
        if (length < atTheLimit) {
            ExpectInstalled(outcome);
            files.ExpectKept(ModOutputs());
            continue;
        }
        EXPECT_FALSE(outcome.windowClosed);
        ASSERT_EQ(outcome.boxes.size(), 1u);
        EXPECT_EQ(outcome.boxes[0].title, "Folder Path Too Long");
        EXPECT_EQ(LoadLocation().path, folder);
        files.ExpectKept();
    }
}

TEST_F(InstallerAttack, AFullDiskDuringTheBackupOrTheScriptLeavesNoTornFile)
{
    ULONGLONG free = 0;
    const ULONGLONG size = DiskSize(kFullDisk, &free);
    ASSERT_TRUE(size > 0 && size <= (4u << 20))
        << "no small disk at R: (scripts/test.sh mounts one, as root): the full-disk faults can't be made";
    {
        AttackCase attack(Attack::Fault);
        const std::string full = std::string(kFullDisk) + "game";
        RemoveTree(full);
        MakeDirectory(full);
        // An archive that fits once, not twice.
        WriteTextFile(full + "\\patch_d2.mpq",
                      MpqArchive() + std::string(static_cast<std::size_t>(free * 6 / 10), 'm'));
        {
            const PlayerFiles files = Watch(full);
            std::vector<std::string> modFiles = FileNamesIn(mod.Path());
            modFiles.insert(modFiles.begin(), "Install.log");
            const Outcome outcome = Install(full);
            ExpectReport(outcome, "Back up the game's patch archive", SystemErrorText(ERROR_DISK_FULL));
            EXPECT_EQ(outcome.modFilesAtTheEnd, modFiles);
            files.ExpectKept(ModOutputs());
        }
        EXPECT_EQ(FileNamesIn(full), std::vector<std::string>{"patch_d2.mpq"});
        RemoveTree(full);
    }
    AttackCase attack(Attack::Fault);
    const std::string modOnFull = std::string(kFullDisk) + "mod";
    RemoveTree(modOnFull);
    MakeDirectory(modOnFull);
    // No archiver: the script can't be written, so nothing is started.
    WriteTextFile(modOnFull + "\\modsettings.ini", "[MainSettings]\r\nScriptFile=script.txt\r\n");
    WriteTextFile(modOnFull + "\\script.txt", std::string(64 << 10, 's') + " patch_d2.mpq");
    DiskSize(kFullDisk, &free);
    WriteTextFile(std::string(kFullDisk) + "filler", std::string(static_cast<std::size_t>(free - (16 << 10)), 'f'));
    const PlayerFiles files(game.Path(), {modOnFull});
    ExpectReport(Install(game.Path(), modOnFull), "Write the rewritten script", SystemErrorText(ERROR_DISK_FULL));
    files.ExpectKept(ModOutputs());
    DeleteFileA((std::string(kFullDisk) + "filler").c_str());
    RemoveTree(modOnFull);
}

// A folder this user may not write to, as the game's folder under Program Files is without
// administrator rights: the report says that running as administrator may help.
TEST_F(InstallerAttack, AReadOnlyGameOrModFolderIsReportedWithTheMissingRights)
{
    const std::string source = kReadOnlySource;
    RemoveTree(source + "game");
    RemoveTree(source + "mod");
    ASSERT_TRUE(CreateDirectoryA((source + "game").c_str(), nullptr) &&
                CreateDirectoryA((source + "mod").c_str(), nullptr))
        << "no writable T: (scripts/test.sh maps one, with its read-only view at S:)";
    const std::string view = kReadOnlyView;
    ASSERT_TRUE(DirectoryExists(view + "game")) << "no read-only view of T: at S:";
    ASSERT_FALSE(CreateDirectoryA((view + "probe").c_str(), nullptr)) << "S: is writable: the fault can't be made";
    {
        AttackCase attack(Attack::Fault);
        WriteTextFile(source + "game\\patch_d2.mpq", kArchive);
        const PlayerFiles files = Watch(view + "game");
        ExpectReport(Install(view + "game"), "Back up the game's patch archive", "as administrator");
        files.ExpectKept(ModOutputs());
    }
    AttackCase attack(Attack::Fault);
    PlaceMod(source + "mod", "o patch_d2.mpq\r\n", kScript);
    const PlayerFiles files(game.Path(), {view + "mod"});
    ExpectReport(Install(game.Path(), view + "mod"), "Write the rewritten script", "as administrator");
    files.ExpectKept(ModOutputs());
    EXPECT_TRUE(ReadArchiverLog(view + "mod\\mpq2k.log").empty());
}

// What was done before the archiver failed to start stays done: the backup and the rewritten script.
TEST_F(InstallerAttack, AnArchiverMissingOrNotAProgramIsReported)
{
    for (const bool missing : {true, false}) {
        AttackCase attack(Attack::Fault);
        if (missing)
            DeleteFileA((mod / "mpq2k.exe").c_str());
        else
            WriteTextFile(mod / "mpq2k.exe", "this is no program\r\n");
        const PlayerFiles files = Watch(game.Path());
        ExpectReport(Install(game.Path()), "Start the archiver", mod / "mpq2k.exe s " + (mod / "correctscript.tmp"));
        EXPECT_EQ(ReadTextFile(mod / "correctscript.tmp"), "o " + GetShortPath(game / "patch_d2.mpq") + "\r\n\r\n");
        files.ExpectKept(ModOutputs());
    }
}

TEST_F(InstallerAttack, ClosingTheWindowWhileTheBackupIsCopiedOrTheArchiverRunsLosesNothing)
{
    {
        // The copy of a large archive runs while the window goes on; a close cancels it.
        AttackCase attack(Attack::Fault);
        WriteTextFile(game / "patch_d2.mpq", MpqArchive() + std::string(64 << 20, 'm'));
        const PlayerFiles files = Watch(game.Path());
        // Only the log of the press is added.
        std::vector<std::string> modFiles = FileNamesIn(mod.Path());
        modFiles.insert(modFiles.begin(), "Install.log");
        Form1 form(mod.Path());
        form.Create(GetModuleHandleA(nullptr));
        ASSERT_NO_THROW(form.Dir1().SetPath(game.Path()));
        SendMessageA(form.Control(kCommand1), BM_CLICK, 0, 0);
        EXPECT_TRUE(form.Installing());
        // The mod's files are looked for on a thread of their own, the window answering meanwhile.
        EXPECT_EQ(Text(form.Control(kLabel4)), "Checking the mod's files...");
        ASSERT_TRUE(
            WaitUntil([&] { return Text(form.Control(kLabel4)).rfind("Backing up patch_d2.mpq... ", 0) == 0; }));
        SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindowVisible(form.Handle()));
        ASSERT_TRUE(WaitUntil([&] { return !form.Handle(); }));
        EXPECT_EQ(FileNamesIn(game.Path()), std::vector<std::string>{"patch_d2.mpq"});
        EXPECT_EQ(FileNamesIn(mod.Path()), modFiles);  // nor the script rewritten ahead
        EXPECT_EQ(LoadLocation().path, game.Path());
        files.ExpectKept();
    }
    PumpMessages();
    AttackCase attack(Attack::Fault);
    WriteTextFile(mod / "mpq2k.wait", "");
    const PlayerFiles files = Watch(game.Path());
    MessageBoxWatcher boxes;
    {
        Form1 form(mod.Path());
        form.Create(GetModuleHandleA(nullptr));
        ASSERT_NO_THROW(form.Dir1().SetPath(game.Path()));
        SendMessageA(form.Control(kCommand1), BM_CLICK, 0, 0);
        ASSERT_TRUE(form.Installing());
        ASSERT_TRUE(WaitUntil([&] { return ReadArchiverLog(mod / "mpq2k.log").size() == 1; }));
        // Out of sight, the archiver is awaited, its archive judged and recorded; then the window
        // closes.
        SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindowVisible(form.Handle()));
        DeleteFileA((mod / "mpq2k.wait").c_str());
        ASSERT_TRUE(WaitUntil([&] { return !form.Handle(); }));
        EXPECT_EQ(form.ExitCode(), 0);
        EXPECT_EQ(form.LastOutcome(), ::Outcome::Done);
    }
    PumpMessages();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(LoadLocation().path, game.Path());
    EXPECT_EQ(ReadModsRecord(game.Path()).mods.size(), 1u);
    files.ExpectKept(ModOutputs());
}
