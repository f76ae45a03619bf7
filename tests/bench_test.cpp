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
    std::stringstream report;
    report << in.rdbuf();
    for (const char* row : {"| tick period, mean (ms) |", "| CPU per tick (ms) |", "| peak resident memory (MB) |",
                            "| start to window mapped (ms) |"}) {
        EXPECT_NE(report.str().find(row), std::string::npos) << "no row " << row << " in\n" << report.str();
    }
}

}  // namespace
