#include "platform/DayText.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using namespace std::chrono;

TEST(DayText, OrdinalIsTheJulianDayLess1721423) {
    const std::pair<year_month_day, int64_t> cases[] = {
        {year{1970} / January / 1, 2440588 - 1721423},
        {year{2001} / January / 1, 2451911 - 1721423},
        {year{2026} / December / 31, 2461406 - 1721423},
    };
    for (const auto& [day, ordinal] : cases) EXPECT_EQ(DayText::dayOrdinal(day), ordinal);
    EXPECT_EQ(DayText::dayOrdinal(year{2024} / March / 1) - DayText::dayOrdinal(year{2024} / February / 28), 2);
}

TEST(DayText, LocalDayAndMonthDay) {
    const Date noon = dateFromReference(12 * 3600.0 + 86400.0 * 40);  // 10 February 2001, at noon UTC
    const year_month_day day = DayText::localDay(noon);
    EXPECT_EQ(day.year(), year{2001});
    EXPECT_EQ(day.month(), February);
    const std::string text = DayText::monthDay(noon);
    EXPECT_NE(text.find(std::to_string(unsigned(day.day()))), std::string::npos) << text;
    EXPECT_TRUE(DayText::localDay(dateFromReference(std::nan(""))).ok());  // placed somewhere, not undefined
}
