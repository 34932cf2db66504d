#pragma once
// The starter questions of the ask band: twelve built in, three a day, in sets of three that
// follow one another day by day and come round every four days.

#include "platform/Date.h"

#include <array>
#include <string>

namespace nolby::AskPage {

extern const std::array<std::string, 12> starts;

// The day's three questions: starts[i], starts[i + 1], starts[i + 2] with i = 3 × ordinal
// mod 12, the ordinal being that of the local day of `now` (see DayText::dayOrdinal).
std::array<std::string, 3> today(Date now = ReferenceClock::now());
// The same for a day ordinal.
std::array<std::string, 3> forOrdinal(int64_t ordinal);

}  // namespace nolby::AskPage
