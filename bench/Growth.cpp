#include "bench/Growth.h"

namespace {

constexpr double kSlack = 1.1;

std::string Step(double smaller, double larger)
{
    return FormatSeconds(smaller) + " -> " + FormatSeconds(larger) + " (" + FormatRatio(larger / smaller) + "x)";
}

}  // namespace

Row GrowthRow(const std::string& id, const std::string& measure, const std::string& baselineName,
              const SizedComparison& smaller, const SizedComparison& larger, const std::string& sizes)
{
    const double program = larger.times.program / smaller.times.program;
    const double baseline = larger.times.baseline / smaller.times.baseline;
    return {id,
            measure + ", " + std::to_string(smaller.size) + " -> " + std::to_string(larger.size) + " " + sizes +
                " (growth)",
            Step(smaller.times.program, larger.times.program),
            baselineName + " " + Step(smaller.times.baseline, larger.times.baseline),
            FormatRatio(program / baseline),
            "growth <= " + FormatRatio(kSlack) + " x baseline's",
            program <= kSlack * baseline};
}
