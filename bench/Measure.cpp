#include "bench/Measure.h"

#include <windows.h>

#include <algorithm>

double Now()
{
    static const double frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

double TimeOnce(const std::function<void()>& work)
{
    const double start = Now();
    work();
    return Now() - start;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

Comparison Compare(int runs, const std::function<void()>& program, const std::function<void()>& baseline,
                   const std::function<void()>& prepare)
{
    return CompareOwnTime(
        runs, [&] { return TimeOnce(program); }, baseline, prepare);
}

Comparison CompareOwnTime(int runs, const std::function<double()>& program, const std::function<void()>& baseline,
                          const std::function<void()>& prepare)
{
    const auto run = [&prepare](const std::function<double()>& timed) {
        if (prepare)
            prepare();
        return timed();
    };
    const auto timedBaseline = [&] { return TimeOnce(baseline); };
    std::vector<double> programTimes;
    std::vector<double> baselineTimes;
    std::vector<double> ratios;
    for (int round = -1; round < runs; ++round) {
        double programTime = 0;
        double baselineTime = 0;
        if (round % 2 == 0) {
            programTime = run(program);
            baselineTime = run(timedBaseline);
        } else {
            baselineTime = run(timedBaseline);
            programTime = run(program);
        }
        if (round < 0)
            continue;  // the warm-up: caches filled, code paged in
        programTimes.push_back(programTime);
        baselineTimes.push_back(baselineTime);
        ratios.push_back(programTime / baselineTime);
    }
    return {Median(programTimes), Median(baselineTimes), Median(ratios)};
}
