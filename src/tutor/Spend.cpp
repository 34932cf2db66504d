#include "tutor/Spend.h"

#include <chrono>
#include <cstdio>

namespace nolby {

std::string Spend::month(Date now) {
    using namespace std::chrono;
    const year_month_day day{floor<days>(ReferenceClock::toSys(now))};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u", static_cast<int>(day.year()), static_cast<unsigned>(day.month()));
    return text;
}

std::string Spend::key(Date now) { return "spend-" + month(now); }

double Spend::cost(const Claude::Usage& u) {
    return (static_cast<double>(u.input) * 4 + static_cast<double>(u.output) * 20 +
            static_cast<double>(u.cacheRead) * 0.2 + static_cast<double>(u.cacheWrite) * 5) /
           1'000'000;
}

void Spend::add(Defaults& defaults, const Claude::Usage& usage, Date now) {
    const std::string k = key(now);
    defaults.set(k, defaults.number(k).value_or(0) + cost(usage));
    defaults.set(k + "-turns", defaults.integer(k + "-turns").value_or(0) + 1);
}

Spend::Month Spend::thisMonth(const Defaults& defaults, Date now) {
    const std::string k = key(now);
    return {defaults.number(k).value_or(0), defaults.integer(k + "-turns").value_or(0)};
}

}  // namespace nolby
