#include "tutor/Gateway.h"

#include <cstdint>

namespace nolby {

namespace {

// Reads ISO 8601 date-times of the form 2026-03-14T06:00:00(.fraction)(Z|+hhmm|+hh:mm).
class DateReader {
public:
    explicit DateReader(std::string_view text) : s_(text) {}

    std::optional<double> unixSeconds() {
        int64_t year, month, day, hour, minute, second;
        if (!digits(4, year) || !expect('-') || !digits(2, month) || !expect('-') || !digits(2, day) ||
            !expect('T') || !digits(2, hour) || !expect(':') || !digits(2, minute) || !expect(':') ||
            !digits(2, second))
            return std::nullopt;
        double fraction = 0;
        if (expect('.')) {
            double scale = 0.1;
            size_t start = i_;
            while (i_ < s_.size() && isDigit(s_[i_])) {
                fraction += (s_[i_++] - '0') * scale;
                scale /= 10;
            }
            if (i_ == start) return std::nullopt;
        }
        int64_t offset = 0;
        if (!zone(offset) || i_ != s_.size()) return std::nullopt;
        if (month < 1 || month > 12 || day < 1 || day > daysIn(year, month) || hour > 23 || minute > 59 ||
            second > 59)
            return std::nullopt;
        const int64_t days = daysFromCivil(year, month, day);
        return static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second - offset) + fraction;
    }

private:
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    bool digits(int count, int64_t& value) {
        value = 0;
        for (int k = 0; k < count; ++k, ++i_) {
            if (i_ >= s_.size() || !isDigit(s_[i_])) return false;
            value = value * 10 + (s_[i_] - '0');
        }
        return true;
    }

    bool expect(char c) {
        if (i_ >= s_.size() || s_[i_] != c) return false;
        ++i_;
        return true;
    }

    // "Z", or a sign with hours and minutes, with or without a colon between them.
    bool zone(int64_t& offset) {
        if (expect('Z')) return true;
        int sign = expect('+') ? 1 : expect('-') ? -1 : 0;
        int64_t hours, minutes;
        if (sign == 0 || !digits(2, hours)) return false;
        expect(':');
        if (!digits(2, minutes) || hours > 23 || minutes > 59) return false;
        offset = sign * (hours * 3600 + minutes * 60);
        return true;
    }

    static int64_t daysIn(int64_t year, int64_t month) {
        static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return month == 2 && leap ? 29 : days[month - 1];
    }

    // Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
    static int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
        y -= m <= 2;
        const int64_t era = (y >= 0 ? y : y - 399) / 400;
        const int64_t yoe = y - era * 400;
        const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return era * 146097 + doe - 719468;
    }

    std::string_view s_;
    size_t i_ = 0;
};

}  // namespace

std::optional<Date> Gateway::date(std::string_view text) {
    std::optional<double> unix = DateReader(text).unixSeconds();
    if (!unix) return std::nullopt;
    return dateFromReference(*unix - ReferenceClock::unixOffset);
}

}  // namespace nolby
