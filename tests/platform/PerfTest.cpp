#include "platform/Perf.h"
#include "support/DecimalComma.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

using namespace nolby;

TEST(Perf, ReportPrintsOnlyStepsOverFourMilliseconds) {
    struct Case {
        double seconds;
        const char* label;
        const char* line;
    };
    const Case cases[] = {
        {0.004, "layers p3", ""},
        {0.0041, "layers p3", "SLOW 4.1ms layers p3\n"},
        {0.01234, "patch 12 ops", "SLOW 12.3ms patch 12 ops\n"},
        {1.25, "put ", "SLOW 1250.0ms put \n"},
        {0.0, "lay text", ""},
        {-0.5, "lay text", ""},
        {NAN, "lay text", ""},
        {INFINITY, "lay text", ""},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        Perf::report(c.label, c.seconds, out);
        EXPECT_EQ(out.str(), c.line) << c.seconds;
    }
}

TEST(Perf, OnlyTheExactArgumentRequestsTimingLines) {
    EXPECT_TRUE(Perf::requested({"nolby", "-hitchlog"}));
    EXPECT_TRUE(Perf::requested({"nolby", "--learn", "x", "-hitchlog"}));
    EXPECT_FALSE(Perf::requested({"nolby"}));
    EXPECT_FALSE(Perf::requested({}));
    EXPECT_FALSE(Perf::requested({"nolby", "--hitchlog"}));
    EXPECT_FALSE(Perf::requested({"nolby", "-hitchlog=1"}));
    EXPECT_FALSE(Perf::requested({"nolby", "-HITCHLOG"}));
}

TEST(Perf, TimingLineReadsTheSameUnderADecimalCommaLocale) {
    nolby::testing::DecimalComma comma;
    NOLBY_REQUIRE_DECIMAL_COMMA(comma);
    std::ostringstream out;  // made under the locale, so it would group and use a comma
    Perf::report("patch 1200 ops", 1.23456, out);
    EXPECT_EQ(out.str(), "SLOW 1234.6ms patch 1200 ops\n");
}

// The switch is fixed once per process, so this is the one test that sets it.
TEST(Perf, ConfiguredSwitchIsFixedAndTimesSteps) {
    // Read before the application configures it: off, and not fixed off.
    EXPECT_FALSE(Perf::on());
    Perf::configure({"nolby", "-hitchlog"});
    Perf::configure({"nolby"});
    ASSERT_TRUE(Perf::on());

    std::vector<double> readings = {2.0, 2.005, 1.0, 1.004, 0.0, 0.004};
    size_t next = 0;
    auto now = [&] { return readings[next++]; };
    std::ostringstream out;
    int runs = 0;
    Perf::timed(now, [] { return std::string("lay text"); }, [&] { ++runs; }, out);
    Perf::timed(now, [] { return std::string("lay math"); }, [&] { ++runs; }, out);
    Perf::timed(now, [] { return std::string("lay note"); }, [&] { ++runs; }, out);
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(next, 6u);
    // 1.004 - 1.0 falls just above 4 ms in binary; a step of exactly 4 ms prints nothing.
    EXPECT_EQ(out.str(), "SLOW 5.0ms lay text\nSLOW 4.0ms lay math\n");
}
