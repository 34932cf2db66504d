#pragma once
// Pins ICU's default locale and time zone (the user's) for the life of the object, so texts
// that show a time of day can be tested exactly.

#include <unicode/locid.h>
#include <unicode/timezone.h>

namespace nolby::testing {

class PinnedLocale {
public:
    PinnedLocale(const char* locale, const char* zone)
        : zone_(icu::TimeZone::createDefault()), locale_(icu::Locale::getDefault()) {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(locale), status);
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(zone));
    }
    ~PinnedLocale() {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(locale_, status);
        icu::TimeZone::adoptDefault(zone_);
    }
    PinnedLocale(const PinnedLocale&) = delete;
    PinnedLocale& operator=(const PinnedLocale&) = delete;

private:
    icu::TimeZone* zone_;
    icu::Locale locale_;
};

}  // namespace nolby::testing
