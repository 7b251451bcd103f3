#include "system/FileSystem.h"
#include "system/Platform.h"
#include "system/ScopedHandle.h"
#include "system/ShellRun.h"
#include "system/Win32Error.h"

#include "TestSupport.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <sstream>
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
    *out << "program [" << split.program << "] parameters [" << split.parameters << "] line after [" << split.lineAfter
         << "]";
}

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

Split SplitOf(std::string commandLine)
{
    const CommandSplit parts = SplitCommandLine(commandLine);
    return {parts.program, parts.parameters, commandLine};
}

void ExpectOverflow(std::string commandLine)
{
    const std::string asGiven = commandLine;
    try {
        SplitCommandLine(commandLine);
        ADD_FAILURE() << "no overflow for a line of " << asGiven.size() << " characters";
    } catch (const Win32Error& error) {
        EXPECT_EQ(error.Operation(), "Start program");
        EXPECT_EQ(error.Path(), asGiven);
        EXPECT_EQ(error.Code(), static_cast<DWORD>(ERROR_ARITHMETIC_OVERFLOW));
    }
    EXPECT_EQ(commandLine, asGiven);
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

// What a copy of launch_recorder.exe wrote down about how it was started.
struct Launch {
    DWORD processId = 0;
    std::string program;
    std::string line;
    std::string directory;
    int show = -1;
    std::vector<std::string> arguments;
};

std::string RecordOf(const std::string& program) { return program + ".txt"; }

Launch ReadLaunch(const std::string& program)
{
    Launch launch;
    std::istringstream lines(ReadTextFile(RecordOf(program)));
    std::string processId;
    std::string show;
    std::getline(lines, processId);
    std::getline(lines, launch.program);
    std::getline(lines, launch.line);
    std::getline(lines, launch.directory);
    std::getline(lines, show);
    launch.processId = static_cast<DWORD>(std::stoul(processId));
    launch.show = std::stoi(show);
    for (std::string argument; std::getline(lines, argument);)
        launch.arguments.push_back(argument);
    return launch;
}

// The failure ShellRun reports for `commandLine`; a test failure when it starts a program.
std::optional<Win32Error> ShellRunError(std::string commandLine)
{
    const std::string asGiven = commandLine;
    try {
        ShellRun(commandLine, SW_SHOWNORMAL);
    } catch (const Win32Error& error) {
        return error;
    }
    ADD_FAILURE() << "a program started for [" << asGiven << "]";
    return std::nullopt;
}

// A scratch folder holding copies of the recorder where the tests want a program.
class LaunchTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(dir_.Path().find(' '), std::string::npos) << "the tests place spaces in paths themselves";
    }

    // Puts a copy of the recorder at `relativePath` inside the scratch folder; returns its path.
    std::string PlaceProgram(const std::string& relativePath)
    {
        const std::string recorder = BesideThisProgram("launch_recorder.exe");
        const std::string target = dir_ / relativePath;
        EXPECT_TRUE(CopyFileA(recorder.c_str(), target.c_str(), FALSE)) << target;
        return target;
    }

    // The record of `program`, once it has been written.
    static std::optional<Launch> WaitForLaunch(const std::string& program)
    {
        using namespace std::chrono;
        const auto deadline = steady_clock::now() + seconds(20);
        while (GetFileAttributesA(RecordOf(program).c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (steady_clock::now() > deadline)
                return std::nullopt;
            Sleep(20);
        }
        return ReadLaunch(program);
    }

    // Waits for the started `process` to end and returns the record `program` left, which must
    // be that process's own.
    static std::optional<Launch> FinishedLaunch(const UniqueHandle& process, const std::string& program)
    {
        if (!process || WaitForSingleObject(process.Get(), 20000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "no process to wait for, or it did not end";
            return std::nullopt;
        }
        DWORD exitCode = 1;
        GetExitCodeProcess(process.Get(), &exitCode);
        EXPECT_EQ(exitCode, 0u);
        const Launch launch = ReadLaunch(program);
        EXPECT_EQ(launch.processId, GetProcessId(process.Get()));
        return launch;
    }

    TempDir dir_;
};

}  // namespace

TEST(SplitCommandLine, GivesProgramParametersAndWorkingDirectoryOfTheArchiverAndSpacedPaths)
{
    TempDir current;
    CurrentDirectoryScope inCurrent(current.Path());
    struct Row {
        std::string line;
        Split split;
        std::string folder;
    };
    const Row rows[] = {
        {"C:\\Tools\\pack.exe s C:\\Tools\\job.txt",
         {"C:\\Tools\\pack.exe", "s C:\\Tools\\job.txt", "C:\\Tools\\pack.exe s C:\\Tools\\job.txt"},
         "C:\\Tools"},
        {"C:\\pack.exe", {"C:\\pack.exe", "", "C:\\pack.exe"}, "C:\\"},
        {"pack.exe -q", {"pack.exe", "-q", "pack.exe -q"}, current.Path()},
        {"C:\\My Tools\\pack.exe -q", {"C:\\My", "Tools\\pack.exe -q", "C:\\My Tools\\pack.exe -q"}, "C:\\"},
        {"\"C:\\My Tools\\pack.exe\" -q",
         {"C:\\My Tools\\pack.exe", "-q", "C:\\My Tools\\pack.exe -q"},
         "C:\\My Tools"},
    };
    for (const Row& row : rows) {
        const Split split = SplitOf(row.line);
        EXPECT_EQ(split, row.split) << row.line;
        EXPECT_EQ(ProgramFolder(split.program), row.folder) << row.line;
        // Where no tab or quote inside a word makes them differ, the platform's own split agrees.
        int count = 0;
        const std::wstring wide(row.line.begin(), row.line.end());
        LPWSTR* words = CommandLineToArgvW(wide.c_str(), &count);
        ASSERT_TRUE(words && count >= 1) << row.line;
        std::wstring parameters;
        for (int i = 1; i < count; ++i)
            parameters += (i > 1 ? L" " : L"") + std::wstring(words[i]);
        EXPECT_EQ(std::wstring(split.program.begin(), split.program.end()), words[0]) << row.line;
        EXPECT_EQ(std::wstring(split.parameters.begin(), split.parameters.end()), parameters) << row.line;
        LocalFree(words);
    }
}

TEST(SplitCommandLine, EndsAnUnquotedProgramAtTheFirstSpaceOnly)
{
    EXPECT_EQ(SplitOf("C:\\My Tools\\pack.exe   -q  x"),
              (Split{"C:\\My", "Tools\\pack.exe   -q  x", "C:\\My Tools\\pack.exe   -q  x"}));
    EXPECT_EQ(SplitOf("pack.exe\t-q"), (Split{"pack.exe\t-q", "", "pack.exe\t-q"}));
    EXPECT_EQ(SplitOf("  pack.exe -q"), (Split{"", "pack.exe -q", "  pack.exe -q"}));
    EXPECT_EQ(SplitOf(""), (Split{"", "", ""}));
}

TEST(SplitCommandLine, EndsAQuotedProgramAtItsClosingQuoteOrTakesTheWholeLineWithoutOne)
{
    EXPECT_EQ(SplitOf("\"C:\\pack.exe\"-q \"x y\""), (Split{"C:\\pack.exe", "-q \"x y\"", "C:\\pack.exe-q \"x y\""}));
    EXPECT_EQ(SplitOf("\"C:\\My Tools\\pack.exe -q"),
              (Split{"\"C:\\My Tools\\pack.exe -q", "", "\"C:\\My Tools\\pack.exe -q"}));
}

TEST(SplitCommandLine, RefusesAPositionPast32767ButNotLongParameters)
{
    // A line without a space needs its length plus one as a position.
    EXPECT_EQ(SplitOf(std::string(32766, 'x')).program, std::string(32766, 'x'));
    ExpectOverflow(std::string(32767, 'x'));

    EXPECT_EQ(SplitOf(std::string(32766, 'x') + " -q").parameters, "-q");
    ExpectOverflow(std::string(32767, 'x') + " -q");

    // A quoted name needs the position after its closing quote.
    EXPECT_EQ(SplitOf(Quoted(std::string(32764, 'x')) + " -q").program, std::string(32764, 'x'));
    ExpectOverflow(Quoted(std::string(32765, 'x')) + " -q");
    std::string unclosed(32767, 'x');
    unclosed.front() = '"';
    ExpectOverflow(unclosed);

    const Split longParameters = SplitOf("C:\\pack.exe s " + std::string(40000, 'y'));
    EXPECT_EQ(longParameters.program, "C:\\pack.exe");
    EXPECT_EQ(longParameters.parameters, "s " + std::string(40000, 'y'));
}

TEST(ProgramFolder, IsTheProgramsFolderKeepingOnlyARootsBackslash)
{
    EXPECT_EQ(ProgramFolder("C:\\Tools\\pack.exe"), "C:\\Tools");
    EXPECT_EQ(ProgramFolder("C:\\pack.exe"), "C:\\");
    EXPECT_EQ(ProgramFolder("\\pack.exe"), "\\");
    EXPECT_EQ(ProgramFolder("\\\\server\\share\\pack.exe"), "\\\\server\\share");
    EXPECT_EQ(ProgramFolder("Tools\\pack.exe"), "Tools");

    TempDir dir;
    CurrentDirectoryScope inDir(dir.Path());
    EXPECT_EQ(ProgramFolder(""), dir.Path());
}

TEST_F(LaunchTest, ShellStartsTheProgramInItsOwnFolderAndHandsBackItsProcess)
{
    MakeDirectory(dir_ / "mod");
    const std::string program = PlaceProgram("mod\\mpq2k.exe");
    const std::string script = dir_ / "mod\\correctscript.tmp";
    std::string commandLine = program + " s " + script;
    const std::string asGiven = commandLine;
    MessageBoxWatcher boxes;
    UniqueHandle process;

    const int result = ShellRun(commandLine, SW_SHOWNOACTIVATE, std::nullopt, &process);

    EXPECT_GT(result, 32);
    EXPECT_EQ(commandLine, asGiven);
    const std::optional<Launch> launch = FinishedLaunch(process, program);
    ASSERT_TRUE(launch);
    EXPECT_EQ(launch->program, program);
    EXPECT_EQ(launch->directory, dir_ / "mod");
    EXPECT_EQ(launch->arguments, (std::vector<std::string>{"s", script}));
    EXPECT_EQ(launch->show, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(LaunchTest, GivenWorkingDirectoryIsUsedAsItIsEvenWhenEmpty)
{
    MakeDirectory(dir_ / "tools");
    MakeDirectory(dir_ / "work");
    MakeDirectory(dir_ / "current");
    const std::string program = PlaceProgram("tools\\pack.exe");
    CurrentDirectoryScope inCurrent(dir_ / "current");
    UniqueHandle process;

    std::string commandLine = program + " -q";
    EXPECT_GT(ShellRun(commandLine, SW_SHOWNORMAL, dir_ / "work", &process), 32);
    std::optional<Launch> launch = FinishedLaunch(process, program);
    ASSERT_TRUE(launch);
    EXPECT_EQ(launch->directory, dir_ / "work");
    EXPECT_EQ(launch->arguments, (std::vector<std::string>{"-q"}));

    commandLine = program + " -q";
    EXPECT_GT(ShellRun(commandLine, SW_SHOWNORMAL, std::string(), &process), 32);
    launch = FinishedLaunch(process, program);
    ASSERT_TRUE(launch);
    EXPECT_EQ(launch->directory, dir_ / "current");
}

TEST_F(LaunchTest, QuotedProgramInAFolderWithASpaceStartsThroughTheShell)
{
    MakeDirectory(dir_ / "My Tools");
    const std::string program = PlaceProgram("My Tools\\pack.exe");
    std::string commandLine = Quoted(program) + " -q";

    EXPECT_GT(ShellRun(commandLine, SW_SHOWNOACTIVATE), 32);

    EXPECT_EQ(commandLine, program + " -q");
    const std::optional<Launch> launch = WaitForLaunch(program);
    ASSERT_TRUE(launch) << "the program did not start";
    EXPECT_EQ(launch->program, program);
    EXPECT_EQ(launch->directory, dir_ / "My Tools");
    EXPECT_EQ(launch->arguments, (std::vector<std::string>{"-q"}));
}

TEST_F(LaunchTest, UnquotedProgramInAFolderWithASpaceFallsBackToAPlainStartInTheShellsFolder)
{
    MakeDirectory(dir_ / "My Tools");
    MakeDirectory(dir_ / "current");
    const std::string program = PlaceProgram("My Tools\\pack.exe");
    const std::string script = dir_ / "My Tools\\correctscript.tmp";
    std::string commandLine = program + " s " + script;
    CurrentDirectoryScope inCurrent(dir_ / "current");
    MessageBoxWatcher boxes;
    UniqueHandle process;

    const int result = ShellRun(commandLine, SW_SHOWNOACTIVATE, std::nullopt, &process);

    EXPECT_LT(result, 32) << "the shell was to be asked for " << dir_ / "My";
    EXPECT_NE(result, 0);
    const std::optional<Launch> launch = FinishedLaunch(process, program);
    ASSERT_TRUE(launch) << "the fallback did not hand back the program's process";
    EXPECT_EQ(launch->program, program);
    // The script's path reaches the program unquoted, space and all.
    EXPECT_EQ(launch->line.substr(launch->line.size() - script.size() - 3), " s " + script);
    // The folder the shell was given, where the program finds the files its line names.
    EXPECT_EQ(launch->directory, dir_.Path());
    EXPECT_EQ(launch->show, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(boxes.Boxes().empty()) << "the shell showed an error box";
}

TEST_F(LaunchTest, OnlyAShellResultBelow32FallsBackToThePlainStart)
{
    const std::string program = PlaceProgram("pack.exe");
    const PlatformOverride failingShell;
    int answer = 0;
    Platform().shellExecuteEx = [&answer](SHELLEXECUTEINFOA* info) {
        info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(answer));
        return FALSE;
    };
    for (const int result : {31, SE_ERR_DLLNOTFOUND}) {
        answer = result;
        std::string commandLine = program + " -q";
        UniqueHandle process;
        EXPECT_EQ(ShellRun(commandLine, SW_SHOWNORMAL, std::nullopt, &process), result);
        if (result < 32) {
            EXPECT_TRUE(FinishedLaunch(process, program));
        } else {
            EXPECT_FALSE(process) << "a result of exactly 32 started the program a second way";
        }
    }
}

TEST_F(LaunchTest, LineStartingWithASpaceGoesWholeToThePlainStartAfterTheShellRefusesIt)
{
    // The shell gets an empty program name; the plain start takes its program from the line's
    // first word, and this line begins with a space instead, so neither route starts anything.
    PlaceProgram("pack.exe");
    CurrentDirectoryScope inDir(dir_.Path());
    MessageBoxWatcher boxes;

    const std::optional<Win32Error> error = ShellRunError(" pack.exe -q");

    ASSERT_TRUE(error);
    EXPECT_EQ(error->Path(), " pack.exe -q");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(LaunchTest, ProgramThatNeitherRouteCanStartIsAWin32Error)
{
    const std::string commandLine = dir_ / "mpq2k.exe" + " s " + dir_ / "correctscript.tmp";
    MessageBoxWatcher boxes;

    const std::optional<Win32Error> error = ShellRunError(commandLine);

    ASSERT_TRUE(error);
    EXPECT_EQ(error->Operation(), "Start program");
    EXPECT_EQ(error->Path(), commandLine);
    EXPECT_EQ(error->Code(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(LaunchTest, FallbackKeepsTheQuotesSoNoOtherProgramStarts)
{
    // Without its quotes the line would name My.exe, which exists, while My Tools\pack.exe doesn't.
    PlaceProgram("My.exe");
    EXPECT_TRUE(ShellRunError(Quoted(dir_ / "My Tools\\pack.exe") + " -q"));
}

TEST_F(LaunchTest, LineTooLongToSplitIsAnOverflowBeforeAnythingStarts)
{
    const std::optional<Win32Error> error = ShellRunError(PlaceProgram("pack.exe") + std::string(32767, 'x'));

    ASSERT_TRUE(error);
    EXPECT_EQ(error->Code(), static_cast<DWORD>(ERROR_ARITHMETIC_OVERFLOW));
}
