#pragma once
// Side-by-side timing. On a shared machine absolute times drift from one second to the next, so
// every figure is a ratio: each run times the program's way and the baseline back to back, in
// alternating order so that drift falls on both alike, and the figure is the median of the
// per-run ratios, after one warm-up run that is thrown away.
#include <functional>
#include <vector>

// Seconds on the performance counter.
double Now();
double TimeOnce(const std::function<void()>& work);

double Median(std::vector<double> values);

struct Comparison {
    double program = 0;   // median seconds of the program's way
    double baseline = 0;  // median seconds of the baseline
    double ratio = 0;     // median of the per-run ratios program / baseline
};

// A comparison taken at one size of the work (folders listed, MiB rewritten), to see how the cost
// grows with it.
struct SizedComparison {
    int size;
    Comparison times;
};

// `prepare` runs untimed before each timed side, for instance to remove what the last one left.
Comparison Compare(int runs, const std::function<void()>& program, const std::function<void()>& baseline,
                   const std::function<void()>& prepare = {});
// The same for a program that times its own part of the work it does, and gives back its seconds.
Comparison CompareOwnTime(int runs, const std::function<double()>& program, const std::function<void()>& baseline,
                          const std::function<void()>& prepare = {});
