// Install.exe started with switches, as a script or a mod manager starts it: no window and no box,
// one line of output per outcome, and the exit code.
#include "app/CommandLine.h"
#include "system/CodePage.h"

#include "ArchiverLog.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct Finished {
    DWORD exitCode = 259;
    std::string output;
    std::size_t boxes = 0;
};

class UnattendedTest : public testing::Test {
protected:
    void SetUp() override
    {
        ForgetGameLocations();
        PlaceMod(mod.Path());
        WriteTextFile(mod / "listfile.dat", "data\\global\\excel\\misc.txt\r\n");
        ASSERT_TRUE(CopyFileA(BuiltInstallExe().c_str(), (mod / "Install.exe").c_str(), FALSE));
        MakeDirectory(game);
        WriteTextFile(game + "\\patch_d2.mpq", "MPQ");
    }
    void TearDown() override { ForgetGameLocations(); }

    // Install.exe in the mod's folder with `arguments`, its standard output read through a pipe.
    Finished RunInstallExe(const std::string& arguments)
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE reading = nullptr;
        HANDLE writing = nullptr;
        EXPECT_TRUE(CreatePipe(&reading, &writing, &inherit, 1 << 20));
        const UniqueHandle readEnd(reading);
        UniqueHandle writeEnd(writing);
        SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writing;
        startup.hStdError = writing;
        PROCESS_INFORMATION started{};
        std::string line = "\"" + (mod / "Install.exe") + "\" " + arguments;
        Finished run;
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, mod.Path().c_str(), &startup,
                            &started)) {
            ADD_FAILURE() << "Install.exe didn't start";
            return run;
        }
        const UniqueHandle process(started.hProcess);
        const UniqueHandle thread(started.hThread);
        writeEnd.Reset();
        MessageBoxWatcher boxes(started.dwProcessId);
        EXPECT_EQ(WaitForSingleObject(process.Get(), 60000), static_cast<DWORD>(WAIT_OBJECT_0));
        GetExitCodeProcess(process.Get(), &run.exitCode);
        EXPECT_FALSE(FindVisibleWindow(started.dwProcessId, "VornikelForm1"));
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(reading, buffer, sizeof buffer, &read, nullptr) && read > 0)
            run.output.append(buffer, read);
        run.boxes = boxes.Boxes().size();
        return run;
    }

    TempDir mod;
    TempDir games;
    const std::string game = games / "Diablo II";
};

}  // namespace

TEST_F(UnattendedTest, InstallsAndRestoresWithoutAWindowAndTellsTheOutcomeByItsExitCode)
{
    const std::string installed = "Installed Sucessfully\r\nInstall Completed Sucessfully, A backup has been created "
                                  "as well.\r\nA backup has been created at: " + game + "\\patch_d2_backup.mpq\r\n";
    Finished run = RunInstallExe("/S /LOG=install.log /D=" + game);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitDone)) << run.output;
    EXPECT_EQ(run.output, installed);
    EXPECT_EQ(ReadTextFile(mod / "install.log"), installed);
    EXPECT_EQ(ReadTextFile(game + "\\patch_d2.mpq"), std::string("MPQ") + kArchiveRecord);
    EXPECT_EQ(run.boxes, 0u);

    run = RunInstallExe("-restore");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitDone)) << run.output;
    EXPECT_EQ(run.output, "Original patch_d2.mpq restored.\r\n");
    EXPECT_EQ(ReadTextFile(game + "\\patch_d2.mpq"), "MPQ");

    WriteTextFile(mod / "mpq2k.unchanged", "");
    run = RunInstallExe("/S /D=\"" + game + "\"");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitArchiverFailed)) << run.output;
    EXPECT_EQ(run.output.find("Install failed.\r\nThe archiver ended without changing patch_d2.mpq"), 0u) << run.output;

    EXPECT_EQ(RunInstallExe("/S /D=" + games.Path()).exitCode, static_cast<DWORD>(kExitArchiveMissing));
    EXPECT_EQ(RunInstallExe("/RESTORE /D=" + games.Path()).exitCode, static_cast<DWORD>(kExitArchiveMissing));
    EXPECT_EQ(RunInstallExe("/S /LOG=" + (games / "gone\\install.log")).exitCode, static_cast<DWORD>(kExitFailed));
    run = RunInstallExe("/S /unknown");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitBadCommandLine));
    EXPECT_EQ(run.output.find("Not understood: /unknown\r\n"), 0u) << run.output;
    EXPECT_EQ(run.boxes, 0u);
}

TEST_F(UnattendedTest, CheckTellsAModAuthorWhatAPlayersMachineWillFail)
{
    Finished run = RunInstallExe("/CHECK");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitDone)) << run.output;
    EXPECT_EQ(run.output.find("problem"), std::string::npos) << run.output;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 11) << run.output;

    WriteTextFile(mod / "modsettings.ini", "\xEF\xBB\xBF[MainSettings]\r\nTitle=T\r\nAuthor=A\r\nFeatures=F\r\n"
                                           "ScriptFile=mod script.txt\r\n");
    WriteTextFile(mod / "mod script.txt", "o PATCH_D2.MPQ\r\n");
    DeleteFileA((mod / "mpq2k.exe").c_str());
    run = RunInstallExe("/check");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitCheckFound)) << run.output;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 11) << run.output;
    std::size_t problems = 0;
    for (std::size_t at = run.output.find("problem: "); at != std::string::npos; at = run.output.find("problem: ", at + 1))
        ++problems;
    EXPECT_EQ(problems, 3u) << run.output;
    for (const char* problem : {"problem: modsettings.ini starts with a UTF-8 byte-order mark",
                                "problem: The script never names patch_d2.mpq", "problem: mpq2k.exe, the archiver"})
        EXPECT_NE(run.output.find(problem), std::string::npos) << problem;
}
