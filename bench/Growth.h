#pragma once
// The growth rows: how the program's time grows from a smaller to a larger size of the work,
// against how its baseline's time grows over the same step. They hold while the program grows no
// faster than 1.1 times its baseline, which work that is worse than linear in its size doesn't.
#include "bench/Measure.h"
#include "bench/Table.h"

#include <string>

// `baselineName` names the baseline in the row; `sizes` says what the sizes count.
Row GrowthRow(const std::string& id, const std::string& measure, const std::string& baselineName,
              const SizedComparison& smaller, const SizedComparison& larger, const std::string& sizes);
