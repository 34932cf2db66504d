#include "tutor/Gateway.h"

#include <unicode/datefmt.h>
#include <unicode/unistr.h>

#include <memory>

namespace nolby {

namespace {

// The time of day of `date` in the short time style of ICU's default locale and time zone
// (the user's, from the environment). Empty when ICU cannot format it.
std::string shortTime(Date date) {
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createTimeInstance(icu::DateFormat::kShort));
    if (!format) return {};
    const UDate ms = (referenceSeconds(date) + ReferenceClock::unixOffset) * 1000.0;
    icu::UnicodeString text;
    format->format(ms, text);
    std::string out;
    text.toUTF8String(out);
    return out;
}

}  // namespace

Gateway::Failure::Failure(Kind kind, std::optional<Date> date)
    : std::runtime_error(describe(kind, date)), kind_(kind), date_(date) {}

std::string Gateway::Failure::reopening(const std::optional<Date>& date) {
    if (!date) return "tomorrow";
    std::string time = shortTime(*date);
    return time.empty() ? "tomorrow" : "at " + time;
}

std::string Gateway::Failure::description() const { return describe(kind_, date_); }

std::string Gateway::Failure::describe(Kind kind, const std::optional<Date>& date) {
    switch (kind) {
    case Kind::allowance: return "That's today's lessons. The press reopens " + reopening(date) + ".";
    case Kind::resting: return "The press is resting for the day. It reopens " + reopening(date) + ".";
    case Kind::unreachable: break;
    }
    return "Couldn't reach the press. Check your connection and try again.";
}

}  // namespace nolby
