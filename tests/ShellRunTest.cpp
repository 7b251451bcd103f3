#include "system/FileSystem.h"
#include "system/ShellRun.h"
#include "system/Win32Error.h"

#include "TestSupport.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

struct Split {
    std::string program;
    std::string parameters;
    std::string lineAfter;

    bool operator==(const Split&) const = default;
};

void PrintTo(const Split& split, std::ostream* out)
{
    *out << "program [" << split.program << "] parameters [" << split.parameters << "] line after ["
         << split.lineAfter << "]";
}

Split SplitOf(std::string commandLine)
{
    const CommandSplit parts = SplitCommandLine(commandLine);
    return {parts.program, parts.parameters, commandLine};
}

// Makes `path` the process's current directory for one test.
class CurrentDirectoryScope {
public:
    explicit CurrentDirectoryScope(const std::string& path) : previous_(FullPath("."))
    {
        SetCurrentDirectoryA(path.c_str());
    }
    ~CurrentDirectoryScope() { SetCurrentDirectoryA(previous_.c_str()); }
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

private:
    std::string previous_;
};

// What launch_recorder.exe wrote down about how it was started.
struct Launch {
    std::string program;
    std::string line;
    std::string directory;
    int show = -1;
    std::vector<std::string> arguments;
};

Launch ParseLaunch(const std::string& record)
{
    Launch launch;
    std::istringstream lines(record);
    std::string show;
    std::getline(lines, launch.program);
    std::getline(lines, launch.line);
    std::getline(lines, launch.directory);
    std::getline(lines, show);
    launch.show = std::stoi(show);
    for (std::string argument; std::getline(lines, argument);)
        launch.arguments.push_back(argument);
    return launch;
}

// A scratch folder holding copies of the recorder where the tests want a program, and the record
// of the one that starts.
class LaunchTest : public testing::Test {
protected:
    LaunchTest() : record_(dir_ / "launch.txt")
    {
        SetEnvironmentVariableA("LAUNCH_RECORD", record_.c_str());
    }
    ~LaunchTest() override { SetEnvironmentVariableA("LAUNCH_RECORD", nullptr); }

    void SetUp() override
    {
        ASSERT_EQ(dir_.Path().find(' '), std::string::npos) << "the tests place spaces in paths themselves";
    }

    // Puts a copy of the recorder at `relativePath` inside the scratch folder; returns its path.
    std::string PlaceProgram(const std::string& relativePath)
    {
        char self[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string recorder = self;
        recorder.replace(recorder.rfind('\\') + 1, std::string::npos, "launch_recorder.exe");
        const std::string target = dir_ / relativePath;
        EXPECT_TRUE(CopyFileA(recorder.c_str(), target.c_str(), FALSE)) << target;
        return target;
    }

    std::optional<Launch> WaitForLaunch()
    {
        using namespace std::chrono;
        const auto deadline = steady_clock::now() + seconds(20);
        while (GetFileAttributesA(record_.c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (steady_clock::now() > deadline)
                return std::nullopt;
            Sleep(20);
        }
        return ParseLaunch(ReadTextFile(record_));
    }

    TempDir dir_;
    std::string record_;
};

}  // namespace

TEST(SplitCommandLine, EndsAnUnquotedProgramAtTheFirstSpace)
{
    EXPECT_EQ(SplitOf("C:\\Tools\\pack.exe s C:\\Tools\\job.txt"),
              (Split{"C:\\Tools\\pack.exe", "s C:\\Tools\\job.txt", "C:\\Tools\\pack.exe s C:\\Tools\\job.txt"}));
    EXPECT_EQ(SplitOf("C:\\pack.exe"), (Split{"C:\\pack.exe", "", "C:\\pack.exe"}));
    EXPECT_EQ(SplitOf("C:\\My Tools\\pack.exe   -q  x"),
              (Split{"C:\\My", "Tools\\pack.exe   -q  x", "C:\\My Tools\\pack.exe   -q  x"}));
    EXPECT_EQ(SplitOf("pack.exe\t-q"), (Split{"pack.exe\t-q", "", "pack.exe\t-q"}));
    EXPECT_EQ(SplitOf("  pack.exe -q"), (Split{"", "pack.exe -q", "  pack.exe -q"}));
    EXPECT_EQ(SplitOf(""), (Split{"", "", ""}));
}

TEST(SplitCommandLine, TakesAQuotedProgramWholeAndRemovesItsQuotesFromTheLine)
{
    EXPECT_EQ(SplitOf("\"C:\\My Tools\\pack.exe\" -q"),
              (Split{"C:\\My Tools\\pack.exe", "-q", "C:\\My Tools\\pack.exe -q"}));
    EXPECT_EQ(SplitOf("\"C:\\pack.exe\"-q \"x y\""), (Split{"C:\\pack.exe", "-q \"x y\"", "C:\\pack.exe-q \"x y\""}));
    EXPECT_EQ(SplitOf("\"C:\\My Tools\\pack.exe -q"),
              (Split{"\"C:\\My Tools\\pack.exe -q", "", "\"C:\\My Tools\\pack.exe -q"}));
}

TEST(SplitCommandLine, RefusesAProgramEndingPastCharacter32767ButNotLongParameters)
{
    // A line without a space needs its length plus one as a position.
    std::string noSpace(32766, 'x');
    EXPECT_EQ(SplitOf(noSpace).program, noSpace);
    noSpace += 'x';
    EXPECT_THROW(SplitCommandLine(noSpace), std::overflow_error);

    EXPECT_EQ(SplitOf(std::string(32766, 'x') + " -q").parameters, "-q");
    std::string lateSpace = std::string(32767, 'x') + " -q";
    EXPECT_THROW(SplitCommandLine(lateSpace), std::overflow_error);

    std::string lateQuote = "\"" + std::string(32766, 'x') + "\" -q";
    const std::string asGiven = lateQuote;
    EXPECT_THROW(SplitCommandLine(lateQuote), std::overflow_error);
    EXPECT_EQ(lateQuote, asGiven);

    const Split longParameters = SplitOf("C:\\pack.exe s " + std::string(40000, 'y'));
    EXPECT_EQ(longParameters.program, "C:\\pack.exe");
    EXPECT_EQ(longParameters.parameters, "s " + std::string(40000, 'y'));
}

TEST(ProgramFolder, IsTheProgramsFolderKeepingOnlyARootsBackslash)
{
    EXPECT_EQ(ProgramFolder("C:\\Tools\\pack.exe"), "C:\\Tools");
    EXPECT_EQ(ProgramFolder("C:\\pack.exe"), "C:\\");
    EXPECT_EQ(ProgramFolder("C:\\My"), "C:\\");
    EXPECT_EQ(ProgramFolder("\\pack.exe"), "\\");
    EXPECT_EQ(ProgramFolder("\\\\server\\share\\pack.exe"), "\\\\server\\share");
    EXPECT_EQ(ProgramFolder("Tools\\pack.exe"), "Tools");

    TempDir dir;
    CurrentDirectoryScope inDir(dir.Path());
    EXPECT_EQ(ProgramFolder("pack.exe"), dir.Path());
    EXPECT_EQ(ProgramFolder(""), dir.Path());
}

TEST(ShellStarted, CountsOnlyResultsAbove32AsStarted)
{
    EXPECT_FALSE(ShellStarted(0));
    EXPECT_FALSE(ShellStarted(SE_ERR_FNF));
    EXPECT_FALSE(ShellStarted(SE_ERR_DLLNOTFOUND));
    EXPECT_TRUE(ShellStarted(33));
}

TEST_F(LaunchTest, ShellStartsTheProgramInItsOwnFolderWithItsParametersAndWindowStyle)
{
    MakeDirectory(dir_ / "mod");
    const std::string program = PlaceProgram("mod\\mpq2k.exe");
    const std::string script = dir_ / "mod\\correctscript.tmp";
    std::string commandLine = program + " s " + script;
    const std::string asGiven = commandLine;
    MessageBoxWatcher boxes;

    const int result = ShellRun(commandLine, SW_SHOWNOACTIVATE);

    EXPECT_GT(result, 32);
    EXPECT_EQ(commandLine, asGiven);
    const std::optional<Launch> launch = WaitForLaunch();
    ASSERT_TRUE(launch) << "the program did not start";
    EXPECT_EQ(launch->program, program);
    EXPECT_EQ(launch->directory, dir_ / "mod");
    EXPECT_EQ(launch->arguments, (std::vector<std::string>{"s", script}));
    EXPECT_EQ(launch->show, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(LaunchTest, GivenWorkingDirectoryIsUsedAsItIs)
{
    MakeDirectory(dir_ / "tools");
    MakeDirectory(dir_ / "work");
    const std::string program = PlaceProgram("tools\\pack.exe");
    std::string commandLine = program + " -q";

    EXPECT_GT(ShellRun(commandLine, SW_SHOWNORMAL, dir_ / "work"), 32);

    const std::optional<Launch> launch = WaitForLaunch();
    ASSERT_TRUE(launch) << "the program did not start";
    EXPECT_EQ(launch->directory, dir_ / "work");
    EXPECT_EQ(launch->arguments, (std::vector<std::string>{"-q"}));
}

TEST_F(LaunchTest, QuotedProgramInAFolderWithASpaceStartsThroughTheShell)
{
    MakeDirectory(dir_ / "My Tools");
    const std::string program = PlaceProgram("My Tools\\pack.exe");
    std::string commandLine = "\"" + program + "\" -q";

    EXPECT_GT(ShellRun(commandLine, SW_SHOWNOACTIVATE), 32);

    EXPECT_EQ(commandLine, program + " -q");
    const std::optional<Launch> launch = WaitForLaunch();
    ASSERT_TRUE(launch) << "the program did not start";
    EXPECT_EQ(launch->program, program);
    EXPECT_EQ(launch->directory, dir_ / "My Tools");
    EXPECT_EQ(launch->arguments, (std::vector<std::string>{"-q"}));
}

TEST_F(LaunchTest, UnquotedProgramInAFolderWithASpaceFallsBackToAPlainStartInTheCurrentDirectory)
{
    MakeDirectory(dir_ / "My Tools");
    MakeDirectory(dir_ / "current");
    const std::string program = PlaceProgram("My Tools\\pack.exe");
    const std::string script = dir_ / "My Tools\\correctscript.tmp";
    std::string commandLine = program + " s " + script;
    CurrentDirectoryScope inCurrent(dir_ / "current");
    MessageBoxWatcher boxes;

    const int result = ShellRun(commandLine, SW_SHOWNOACTIVATE);

    EXPECT_LE(result, 32) << "the shell was to be asked for " << dir_ / "My";
    EXPECT_NE(result, 0);
    const std::optional<Launch> launch = WaitForLaunch();
    ASSERT_TRUE(launch) << "the fallback did not start the program";
    EXPECT_EQ(launch->program, program);
    // The script's path reaches the program unquoted, space and all.
    EXPECT_EQ(launch->line.substr(launch->line.size() - script.size() - 3), " s " + script);
    EXPECT_EQ(launch->directory, dir_ / "current");
    EXPECT_EQ(launch->show, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(boxes.Boxes().empty()) << "the shell showed an error box";
}

TEST_F(LaunchTest, LineStartingWithASpaceGoesWholeToThePlainStartAfterTheShellRefusesIt)
{
    // The shell gets an empty program name; the plain start takes its program from the line's
    // first word, and this line begins with a space instead, so neither route starts anything.
    PlaceProgram("pack.exe");
    CurrentDirectoryScope inDir(dir_.Path());
    std::string commandLine = " pack.exe -q";
    MessageBoxWatcher boxes;

    try {
        ShellRun(commandLine, SW_SHOWNORMAL);
        FAIL() << "a line starting with a space started a program";
    } catch (const Win32Error& error) {
        EXPECT_EQ(error.Path(), " pack.exe -q");
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(LaunchTest, ProgramThatNeitherRouteCanStartIsAWin32Error)
{
    const std::string missing = dir_ / "mpq2k.exe";
    std::string commandLine = missing + " s " + dir_ / "correctscript.tmp";
    MessageBoxWatcher boxes;

    try {
        ShellRun(commandLine, SW_SHOWNOACTIVATE);
        FAIL() << "no failure for a missing program";
    } catch (const Win32Error& error) {
        EXPECT_EQ(error.Path(), commandLine);
        EXPECT_EQ(error.Code(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(LaunchTest, FallbackKeepsTheQuotesSoNoOtherProgramStarts)
{
    // Without its quotes the line would name My.exe, which exists, while My Tools\pack.exe doesn't.
    PlaceProgram("My.exe");
    std::string commandLine = "\"" + dir_ / "My Tools\\pack.exe" + "\" -q";

    EXPECT_THROW(ShellRun(commandLine, SW_SHOWNORMAL), Win32Error);
}
