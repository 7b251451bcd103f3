#include "Tally.h"

#include "ArchiverLog.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

Figures& ProcessFigures()
{
    static Figures figures;
    return figures;
}

AttackCase::AttackCase(Attack kind, long long count) : count_(count), cleanBefore_(!testing::Test::HasFailure())
{
    (kind == Attack::BadInput ? ProcessFigures().badInputs : ProcessFigures().faults) += count;
}

AttackCase::~AttackCase()
{
    if (cleanBefore_ && !testing::Test::HasFailure())
        ProcessFigures().expected += count_;
}

namespace {

bool ReadIfPresent(const std::string& path, std::string& bytes)
{
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    bytes = ReadTextFile(path);
    return true;
}

std::vector<std::string> NewNames(const std::vector<std::string>& before, const std::vector<std::string>& now)
{
    std::vector<std::string> added;
    std::set_difference(now.begin(), now.end(), before.begin(), before.end(), std::back_inserter(added));
    return added;
}

}  // namespace

PlayerFiles::PlayerFiles(std::string game, std::vector<std::string> watched)
    : game_(std::move(game)), watched_(std::move(watched))
{
    watched_.push_back(game_);
    hadArchive_ = ReadIfPresent(game_ + "\\patch_d2.mpq", archive_);
    hadBackup_ = ReadIfPresent(game_ + "\\patch_d2_backup.mpq", backup_);
    for (const std::string& folder : watched_)
        names_.push_back(FileNamesIn(folder));
}

void PlayerFiles::ExpectKept(const std::vector<std::string>& allowed) const
{
    const auto expectSame = [&](const char* name, bool had, const std::string& bytes, bool archiverMayAdd) {
        std::string now;
        const bool present = ReadIfPresent(game_ + "\\" + name, now);
        // What an install is for: the archiver may have added to the archive; its own bytes stay.
        while (archiverMayAdd && now.rfind(bytes, 0) == 0 && now.find(kArchiveRecord, bytes.size()) == bytes.size())
            now.erase(bytes.size(), std::strlen(kArchiveRecord));
        if (had && !(present && now == bytes)) {
            ++ProcessFigures().lost;
            ADD_FAILURE() << name << " in " << game_ << " was lost, or changed by other than the archiver";
        }
    };
    expectSame("patch_d2.mpq", hadArchive_, archive_, true);
    expectSame("patch_d2_backup.mpq", hadBackup_, backup_, false);

    std::string backup;
    if (!hadBackup_ && ReadIfPresent(game_ + "\\patch_d2_backup.mpq", backup)) {
        EXPECT_EQ(backup, archive_) << "a backup that isn't the archive as it was";
    }
    for (std::size_t i = 0; i < watched_.size(); ++i) {
        for (const std::string& name : NewNames(names_[i], FileNamesIn(watched_[i]))) {
            const bool expected = name == "patch_d2_backup.mpq" || name == "patch_d2_mods.txt" ||
                                  name == "Install.log" ||
                                  std::find(allowed.begin(), allowed.end(), name) != allowed.end();
            EXPECT_TRUE(expected) << name << " left behind in " << watched_[i];
        }
    }
}

std::string TallyPath() { return BesideThisProgram("reliability-figures.tally"); }

void AppendToTally(const Figures& figures)
{
    std::ofstream tally(TallyPath(), std::ios::app);
    tally << figures.badInputs << ' ' << figures.generatedLines << ' ' << figures.faults << ' ' << figures.expected
          << ' ' << figures.lost << '\n';
}

Figures SumTally()
{
    Figures sum;
    std::ifstream tally(TallyPath());
    Figures line;
    while (tally >> line.badInputs >> line.generatedLines >> line.faults >> line.expected >> line.lost) {
        sum.badInputs += line.badInputs;
        sum.generatedLines += line.generatedLines;
        sum.faults += line.faults;
        sum.expected += line.expected;
        sum.lost += line.lost;
    }
    return sum;
}

std::string FiguresText(const Figures& figures)
{
    std::ostringstream text;
    text << "Reliability: bad inputs tried: " << figures.badInputs << " (" << figures.generatedLines
         << " of them generated command lines)\n"
         << "Reliability: faults injected: " << figures.faults << "\n"
         << "Reliability: outcomes as expected: " << figures.expected << " of " << figures.badInputs + figures.faults
         << "\n"
         << "Reliability: files lost: " << figures.lost << "\n";
    return text.str();
}
