#include "bench/Table.h"

#include "tests/TestSupport.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

std::array<std::string, 7> Cells(const Row& row)
{
    const char* result = row.target.empty() ? "information" : row.met ? "met" : "MISSED";
    return {row.id, row.measure, row.program, row.baseline, row.figure, row.target, result};
}

const std::array<std::string, 7> kHeader = {"row", "measure", "program", "baseline", "figure", "target", "result"};

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string Printf(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::string FormatSeconds(double seconds)
{
    return seconds < 1 ? Printf("%.1f ms", seconds * 1000) : Printf("%.2f s", seconds);
}

std::string FormatRatio(double ratio) { return Printf("%.2f", ratio); }

std::string FormatMiB(double bytes) { return Printf("%.2f MiB", bytes / (1024.0 * 1024.0)); }

void PrintTable(const std::vector<Row>& rows)
{
    std::array<size_t, 7> widths{};
    for (size_t i = 0; i < widths.size(); ++i)
        widths[i] = kHeader[i].size();
    for (const Row& row : rows) {
        const auto cells = Cells(row);
        for (size_t i = 0; i < widths.size(); ++i)
            widths[i] = std::max(widths[i], cells[i].size());
    }
    const auto print = [&widths](const std::array<std::string, 7>& cells) {
        std::string line = "|";
        for (size_t i = 0; i < cells.size(); ++i)
            line += " " + cells[i] + std::string(widths[i] - cells[i].size(), ' ') + " |";
        std::printf("%s\n", line.c_str());
    };
    print(kHeader);
    std::string rule = "|";
    for (size_t width : widths)
        rule += std::string(width + 2, '-') + "|";
    std::printf("%s\n", rule.c_str());
    for (const Row& row : rows)
        print(Cells(row));
    std::fflush(stdout);
}

void WriteCsv(const std::string& path, const std::vector<Row>& rows)
{
    std::string csv;
    const auto line = [&csv](const std::array<std::string, 7>& cells) {
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i)
                csv += ',';
            csv += CsvField(cells[i]);
        }
        csv += "\r\n";
    };
    line(kHeader);
    for (const Row& row : rows)
        line(Cells(row));
    WriteTextFile(path, csv);
}
