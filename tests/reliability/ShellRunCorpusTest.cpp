// The command runner's split, against a generated corpus of command lines: quotes, spaces,
// backslashes, 8-bit characters, and lengths up to 40,000 with the split points crowded around
// the last position 16 bits hold. The same seed gives the same corpus on every run.
#include "system/ShellRun.h"
#include "system/Win32Error.h"

#include "Tally.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

constexpr int kLines = 100000;
constexpr std::size_t kLastPosition = 32767;

class LineGenerator {
public:
    std::string Next()
    {
        const std::uint32_t shape = engine_() % 100;
        std::size_t length = engine_() % 64;
        if (shape < 3)
            length = engine_() % 40001;
        else if (shape < 6)
            length = kLastPosition - 4 + engine_() % 8;  // lengths whose end needs 32,767 or 32,768
        std::string line;
        line.reserve(length);
        while (line.size() < length)
            line += Character();
        // Long lines whose split point lies far out: no separator or quote before the edge of
        // 16 bits, then one right at it, after a program name that may start with a quote.
        if (shape < 6 && engine_() % 4 != 0) {
            for (std::size_t i = 0; i < std::min(line.size(), kLastPosition + 4); ++i) {
                if (line[i] == ' ' || line[i] == '"')
                    line[i] = 'x';
            }
            if (!line.empty() && engine_() % 2)
                line[0] = '"';
            const std::size_t at = kLastPosition - 3 + engine_() % 6;
            if (at < line.size() && engine_() % 4 != 0)
                line[at] = engine_() % 2 ? ' ' : '"';
        }
        return line;
    }

private:
    char Character()
    {
        static const char kPlain[] = "aZ09.:\\\t";
        const std::uint32_t pick = engine_() % 16;
        if (pick < 3)
            return ' ';
        if (pick < 5)
            return '"';
        if (pick < 7)
            return '\\';
        if (pick < 9)
            return static_cast<char>(0x80 + engine_() % 0x80);  // the code page's 8-bit characters
        return kPlain[engine_() % (sizeof kPlain - 1)];
    }

    std::mt19937 engine_{20240611};
};

// The largest 1-based position the split of `line` needs, worked out from the rules: the
// position after a closing quote, the first space, or the length plus one.
std::size_t NeededPosition(const std::string& line)
{
    if (!line.empty() && line[0] == '"') {
        const std::size_t closing = line.find('"', 1);
        if (closing != std::string::npos)
            return closing + 2;
        return line.size() + 1;
    }
    const std::size_t space = line.find(' ');
    return space != std::string::npos ? space + 1 : line.size() + 1;
}

// The line less the quotes the split may remove (the first character and the first quote after
// it, when the line starts with one).
std::string WithoutProgramQuotes(const std::string& line)
{
    if (line.empty() || line[0] != '"')
        return line;
    const std::size_t closing = line.find('"', 1);
    if (closing == std::string::npos)
        return line;
    return line.substr(1, closing - 1) + line.substr(closing + 1);
}

}  // namespace

TEST(ShellRunCorpus, ProgramAndParametersGiveBackTheLineAndLongPositionsEndInTheOverflowReport)
{
    LineGenerator generator;
    long long overflows = 0;
    long long longest = 0;
    for (int i = 0; i < kLines; ++i) {
        const std::string line = generator.Next();
        longest = std::max<long long>(longest, static_cast<long long>(line.size()));
        std::string commandLine = line;
        AttackCase attack(Attack::BadInput);
        ++ProcessFigures().generatedLines;
        if (NeededPosition(line) > kLastPosition) {
            ++overflows;
            try {
                SplitCommandLine(commandLine);
                ADD_FAILURE() << "line " << i << " of " << line.size() << " characters split without overflow";
            } catch (const Win32Error& failure) {
                EXPECT_EQ(failure.Code(), static_cast<DWORD>(ERROR_ARITHMETIC_OVERFLOW)) << "line " << i;
            }
            EXPECT_EQ(commandLine, line) << "an overflowing line was changed: line " << i;
        } else {
            CommandSplit parts;
            ASSERT_NO_THROW(parts = SplitCommandLine(commandLine)) << "line " << i << " of " << line.size();
            const std::string expected = WithoutProgramQuotes(line);
            ASSERT_EQ(commandLine, expected) << "line " << i;
            // Between the program and its parameters only spaces were dropped.
            ASSERT_EQ(commandLine.compare(0, parts.program.size(), parts.program), 0) << "line " << i;
            ASSERT_GE(commandLine.size(), parts.program.size() + parts.parameters.size()) << "line " << i;
            const std::size_t gap = commandLine.size() - parts.program.size() - parts.parameters.size();
            ASSERT_EQ(commandLine.compare(parts.program.size() + gap, std::string::npos, parts.parameters), 0)
                << "line " << i;
            ASSERT_EQ(commandLine.find_first_not_of(' ', parts.program.size()),
                      parts.parameters.empty() ? std::string::npos : parts.program.size() + gap)
                << "line " << i;
            ASSERT_TRUE(parts.parameters.empty() || parts.parameters[0] != ' ') << "line " << i;
        }
        if (testing::Test::HasFatalFailure())
            return;
    }
    // The corpus reaches what it claims to reach.
    EXPECT_GT(overflows, 1000);
    EXPECT_GE(longest, 39000);
}
