#include "platform/DayText.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <cmath>
#include <ctime>
#include <memory>
#include <mutex>

namespace nolby::DayText {

namespace {

constexpr int64_t kUnixEpochJulianDay = 2440588;  // 1970-01-01
constexpr int64_t kOrdinalOffset = 1721423;       // Julian Day of the day before 1 January 1 (Julian)

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::chrono::year_month_day localDay(Date date) {
    using namespace std::chrono;
    const double seconds = referenceSeconds(date) + ReferenceClock::unixOffset;
    std::time_t t = std::isfinite(seconds) && std::abs(seconds) < 1e15 ? static_cast<std::time_t>(std::floor(seconds))
                                                                        : std::time_t(0);
    std::tm local{};
    if (!localtime_r(&t, &local)) return year{2001} / January / 1;
    return year{local.tm_year + 1900} / month{static_cast<unsigned>(local.tm_mon + 1)} /
           day{static_cast<unsigned>(local.tm_mday)};
}

int64_t dayOrdinal(std::chrono::year_month_day day) {
    const int64_t days = std::chrono::sys_days(day).time_since_epoch().count();
    return days + kUnixEpochJulianDay - kOrdinalOffset;
}

std::string monthDay(Date date) {
    const std::chrono::year_month_day d = localDay(date);
    UErrorCode status = U_ZERO_ERROR;
    // Formatters are costly to make and not safe to share between threads unguarded.
    static std::mutex lock;
    static std::unique_ptr<icu::DateFormat> format(
        icu::DateFormat::createInstanceForSkeleton(icu::UnicodeString("MMMd"), icu::Locale::getDefault(), status));
    if (format && U_SUCCESS(status)) {
        const double ms = (referenceSeconds(date) + ReferenceClock::unixOffset) * 1000;
        if (std::isfinite(ms)) {
            icu::UnicodeString out;
            std::string text;
            {
                std::lock_guard<std::mutex> guard(lock);
                format->format(static_cast<UDate>(ms), out);
            }
            out.toUTF8String(text);
            if (!text.empty()) return text;
        }
    }
    return std::string(kMonths[static_cast<unsigned>(d.month()) - 1]) + " " +
           std::to_string(static_cast<unsigned>(d.day()));
}

}  // namespace nolby::DayText
