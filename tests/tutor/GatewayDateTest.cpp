#include "tutor/Gateway.h"

#include <gtest/gtest.h>

using namespace nolby;

namespace {

// Seconds since 1970 of a parsed date.
std::optional<double> unix(std::string_view text) {
    std::optional<Date> d = Gateway::date(text);
    if (!d) return std::nullopt;
    return referenceSeconds(*d) + ReferenceClock::unixOffset;
}

}  // namespace

TEST(GatewayDate, ReadsIsoDateTimesWithZoneAndOptionalFraction) {
    const double six = 1773468000;  // 2026-03-14T06:00:00Z
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"2026-03-14T06:00:00Z", six},
        {"2026-03-14T06:00:00.250Z", six + 0.25},
        {"2026-03-14T07:00:00+0100", six},
        {"2026-03-14T07:00:00+01:00", six},
        {"2026-03-14T01:30:00.5-04:30", six + 0.5},
        {"2024-02-29T00:00:00Z", 1709164800},
        {"1969-12-31T23:59:59Z", -1},
        {"2026-03-14 06:00:00Z", std::nullopt},
        {"2026-03-14T06:00:00", std::nullopt},
        {"2026-03-14T06:00Z", std::nullopt},
        {"2026-03-14T06:00:00.Z", std::nullopt},
        {"2026-03-14T06:00:00Zx", std::nullopt},
        {"2025-02-29T00:00:00Z", std::nullopt},
        {"2026-13-01T00:00:00Z", std::nullopt},
        {"2026-03-14T24:00:00Z", std::nullopt},
        {"tomorrow", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        std::optional<double> got = unix(text);
        ASSERT_EQ(got.has_value(), expected.has_value()) << text;
        if (expected) {
            EXPECT_NEAR(*got, *expected, 1e-6) << text;
        }
    }
}

TEST(GatewayBase, TakesOnlyAbsoluteHttpAddressesAndAppendsPathsAsComponents) {
    EXPECT_EQ(Gateway::baseFrom("http://127.0.0.1:9000/"), "http://127.0.0.1:9000/");
    EXPECT_EQ(Gateway::baseFrom("https://press.example/api"), "https://press.example/api");
    for (const char* bad : {"", "press.example", "/v1", "ftp://press.example/", "http://", "http:// spaces/"})
        EXPECT_EQ(Gateway::baseFrom(bad), std::nullopt) << bad;
    EXPECT_EQ(Gateway::url("http://127.0.0.1:8787/", "v1/messages"), "http://127.0.0.1:8787/v1/messages");
    EXPECT_EQ(Gateway::url("https://press.example/api", "v1/paint"), "https://press.example/api/v1/paint");
    EXPECT_EQ(Gateway::url("https://press.example/api/", "/v1/paint"), "https://press.example/api/v1/paint");
    EXPECT_EQ(Gateway::url("http://h:1/a?x=1", "v1/paint"), "http://h:1/a/v1/paint?x=1");
}

TEST(GatewayBase, TheEnvironmentMayNameTheGateway) {
    ::setenv("NOLBY_API", "http://127.0.0.1:9999/base", 1);
    EXPECT_EQ(Gateway::defaultBase(), "http://127.0.0.1:9999/base");
    ::setenv("NOLBY_API", "not a url", 1);
    EXPECT_EQ(Gateway::defaultBase(), Gateway::builtInBase);
    ::unsetenv("NOLBY_API");
    EXPECT_EQ(Gateway::defaultBase(), Gateway::builtInBase);
}
