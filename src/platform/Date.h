#pragma once
// Points in time as the notebook keeps them: seconds since 2001-01-01 00:00:00 UTC held in a
// double. Keeping that double as the representation makes a saved and reloaded date compare
// equal to the one in memory, which the notebook's equality (id and updated) relies on.

#include <chrono>

namespace nolby {

struct ReferenceClock {
    using rep = double;
    using period = std::ratio<1>;
    using duration = std::chrono::duration<double>;
    using time_point = std::chrono::time_point<ReferenceClock>;
    static constexpr bool is_steady = false;

    // Seconds from the Unix epoch to 2001-01-01 00:00:00 UTC.
    static constexpr double unixOffset = 978307200.0;

    static time_point now() { return fromSys(std::chrono::system_clock::now()); }

    static time_point fromSys(std::chrono::system_clock::time_point t) {
        std::chrono::duration<double> unix = t.time_since_epoch();
        return time_point(duration(unix.count() - unixOffset));
    }
    static std::chrono::system_clock::time_point toSys(time_point t) {
        auto unix = std::chrono::duration<double>(t.time_since_epoch().count() + unixOffset);
        return std::chrono::system_clock::time_point(
            std::chrono::duration_cast<std::chrono::system_clock::duration>(unix));
    }
};

using Date = ReferenceClock::time_point;

// The date `seconds` after 2001-01-01 00:00:00 UTC, and back.
inline Date dateFromReference(double seconds) { return Date(ReferenceClock::duration(seconds)); }
inline double referenceSeconds(Date d) { return d.time_since_epoch().count(); }

}  // namespace nolby
