// The benchmark runs both programs and writes its table.
#include <gtest/gtest.h>

#include "running_program.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

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
