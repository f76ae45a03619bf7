#include "report.h"

#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>

void publish(const std::filesystem::path& file, const std::string& text)
{
    std::cout << "\n" << text << std::flush;
    // A part after another is set off by a blank line, in the file as here.
    const bool first = !std::filesystem::exists(file) || std::filesystem::file_size(file) == 0;
    std::ofstream(file, std::ios::app) << (first ? "" : "\n") << text;
}

namespace {

// A number as the report gives it: two decimals, one from 100 up.
std::string formatted(double value)
{
    std::ostringstream out;
    out << std::fixed << std::setprecision(value >= 100.0 ? 1 : 2) << value;
    return out.str();
}

}  // namespace

std::string figuresTable(const std::vector<Figures>& program, const std::vector<Figures>& baseline)
{
    const auto medianOf = [](const std::vector<Figures>& runs, double Figures::*figure) {
        std::vector<double> values;
        for (const Figures& run : runs) {
            values.push_back(run.*figure);
        }
        return median(values);
    };
    std::ostringstream table;
    table << "| | morvane | baseline | ratio |\n|---|---:|---:|---:|\n";
    for (const FigureRow& row : figureRows) {
        const double mine = medianOf(program, row.value);
        const double floor = medianOf(baseline, row.value);
        table << "| " << row.name << " | " << formatted(mine) << " | " << formatted(floor) << " | "
              << (floor > 0.0 ? formatted(mine / floor) : "-") << " |\n";
    }
    return table.str();
}
