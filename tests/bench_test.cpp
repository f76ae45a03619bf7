// The benchmark: its percentiles, and a whole run of both programs.
#include <gtest/gtest.h>

#include "running_program.h"
#include "sampling.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct PercentileCase {
    const char* name;
    std::vector<double> values;
    double p;
    double expected;
};

void PrintTo(const PercentileCase& c, std::ostream* out)
{
    *out << c.name;
}

class Percentile : public ::testing::TestWithParam<PercentileCase> {};

// The nearest rank: a 99th percentile of a hundred periods is the second
// longest, not the longest, and the order they came in does not matter.
TEST_P(Percentile, IsTheNearestRank)
{
    EXPECT_EQ(percentile(GetParam().values, GetParam().p), GetParam().expected);
}

const std::vector<double> oneToHundredReversed = [] {
    std::vector<double> values;
    for (int i = 100; i >= 1; --i) {
        values.push_back(i);
    }
    return values;
}();

INSTANTIATE_TEST_SUITE_P(
    Ranks, Percentile,
    ::testing::Values(PercentileCase{"ninetyNinthOfAHundred", oneToHundredReversed, 99.0, 99.0},
                      PercentileCase{"medianOfAHundred", oneToHundredReversed, 50.0, 50.0},
                      PercentileCase{"hundredthIsTheLargest", oneToHundredReversed, 100.0, 100.0},
                      PercentileCase{"medianOfThree", {52.0, 50.0, 90.0}, 50.0, 52.0},
                      PercentileCase{"ninetyNinthOfThree", {52.0, 50.0, 90.0}, 99.0, 90.0},
                      PercentileCase{"oneValue", {51.0}, 99.0, 51.0}),
    ::testing::PrintToStringParamName());

TEST(Benchmark, MeasuresBothProgramsAndWritesTheTable)
{
    const std::filesystem::path folder = std::filesystem::path(MORVANE_TEST_ARTIFACTS) / "bench-test";
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(runToCompletion({MORVANE_BENCH, "--ticks", "10", "--rounds", "1", "--callgrind-ticks", "0", "--out",
                                 folder.string()},
                                Milliseconds(60000))
                    .succeeded())
        << "morvane_bench failed";

    std::ifstream in(folder / "report.md");
    std::stringstream read;
    read << in.rdbuf();
    const std::string report = read.str();
    // Each row holds, for the program and the baseline, a number in the
    // range that any working measurement of a 50 ms tick gives here, loaded
    // machine and sanitizers included (late ticks are followed by early ones
    // as the timer catches up: a loaded machine's mean was 42.9 ms): a table
    // of nan, of zeros or of seconds where milliseconds belong fails.
    struct Plausible {
        const char* row;
        double low;
        double high;
    };
    for (const Plausible& plausible :
         {Plausible{"tick period, mean (ms)", 5, 250}, Plausible{"tick period, median (ms)", 5, 250},
          Plausible{"tick period, 99th percentile (ms)", 5, 2000}, Plausible{"tick period, max (ms)", 5, 2000},
          Plausible{"CPU per tick (ms)", 0.001, 50}, Plausible{"share of one core (%)", 0.001, 100},
          Plausible{"peak resident memory (MB)", 1, 2000}, Plausible{"start to first trace line (ms)", 0.1, 10000},
          Plausible{"start to window mapped (ms)", 0.1, 10000}}) {
        const std::string start = std::string("| ") + plausible.row + " | ";
        const size_t at = report.find(start);
        ASSERT_NE(at, std::string::npos) << "no row " << plausible.row << " in\n" << report;
        std::istringstream cells(report.substr(at + start.size()));
        double program = 0;
        double baseline = 0;
        char bar = 0;
        cells >> program >> bar >> baseline;
        for (const double figure : {program, baseline}) {
            EXPECT_TRUE(figure >= plausible.low && figure <= plausible.high)
                << plausible.row << ": " << report.substr(at, report.find('\n', at) - at);
        }
    }
}

}  // namespace
