#pragma once
// What the tutor's replies cost this month: the summed cost in US dollars of the month's
// replies that ended well, and their number, kept in the user's settings under
// "spend-YYYY-MM" and "spend-YYYY-MM-turns" (the month in UTC). Earlier months' counters
// stay and are never read.

#include "platform/Date.h"
#include "platform/Defaults.h"
#include "tutor/Claude.h"

#include <cstdint>
#include <string>

namespace nolby {

class Spend {
public:
    // "2026-12": the year and month of the date in UTC.
    static std::string month(Date now);
    // "spend-" and the month.
    static std::string key(Date now);
    // Dollars: 4 per million input tokens, 20 per million output, 0.20 per million read
    // from the cache and 5 per million written to it.
    static double cost(const Claude::Usage& usage);
    // Adds one reply's cost and one reply to the month of `now`.
    static void add(Defaults& defaults, const Claude::Usage& usage, Date now);

    struct Month {
        double dollars = 0;
        int64_t turns = 0;
        bool operator==(const Month&) const = default;
    };
    // The counters of the month of `now`; 0 and 0 when none are stored.
    static Month thisMonth(const Defaults& defaults, Date now);
};

}  // namespace nolby
