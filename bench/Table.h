#pragma once
// The benchmark's table: one row per figure, printed aligned and written as CSV.
#include <string>
#include <vector>

struct Row {
    std::string id;        // "1", "2a", ...
    std::string measure;   // what is measured
    std::string program;   // the program's side
    std::string baseline;  // the side it is measured against
    std::string figure;    // the ratio, or the value where there is no other side
    std::string target;    // empty for a figure given for information, which has none
    bool met = false;
};

std::string FormatSeconds(double seconds);
std::string FormatRatio(double ratio);
std::string FormatMiB(double bytes);

void PrintTable(const std::vector<Row>& rows);

void WriteCsv(const std::string& path, const std::vector<Row>& rows);
