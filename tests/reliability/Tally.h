#pragma once
// The suite's figures: each bad input tried and each fault injected is counted when it is made,
// with whether its outcome was the expected one; each file of the player's that a case didn't
// leave byte for byte as it was counts as lost. Every test process adds its figures to a tally
// file beside the test program, which the last test of a run sums and prints.
#include <string>
#include <vector>

struct Figures {
    long long badInputs = 0;
    long long generatedLines = 0;  // of the bad inputs: generated command lines
    long long faults = 0;
    long long expected = 0;
    long long lost = 0;
};

// This process's figures so far.
Figures& ProcessFigures();

enum class Attack { BadInput, Fault };

// One attack, counted when made. Its outcome counts as expected when the test has recorded no
// failure by the time the attack's scope ends (and had none before it began).
class AttackCase {
public:
    explicit AttackCase(Attack kind, long long count = 1);
    ~AttackCase();
    AttackCase(const AttackCase&) = delete;
    AttackCase& operator=(const AttackCase&) = delete;

private:
    long long count_;
    bool cleanBefore_;
};

// The player's files in a game folder, as they were: patch_d2.mpq and any patch_d2_backup.mpq
// byte for byte, and the names of the files in the game folder and in each watched folder.
class PlayerFiles {
public:
    PlayerFiles(std::string game, std::vector<std::string> watched);

    // Fails the test, and counts a lost file, for each kept file that is gone or changed; fails
    // it for a new backup that isn't the archive as it was, and for any other new file than
    // those `allowed` (names) in any watched folder or the game folder.
    void ExpectKept(const std::vector<std::string>& allowed = {}) const;

private:
    std::string game_;
    std::vector<std::string> watched_;
    std::string archive_;
    bool hadArchive_ = false;
    std::string backup_;
    bool hadBackup_ = false;
    std::vector<std::vector<std::string>> names_;
};

// The tally file beside the test program.
std::string TallyPath();
void AppendToTally(const Figures& figures);
Figures SumTally();
// The figures' last lines, as printed at the end of a run.
std::string FiguresText(const Figures& figures);
