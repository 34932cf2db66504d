#include "tutor/Gateway.h"
#include "tutor/Http.h"

#include "PinnedLocale.h"

#include <gtest/gtest.h>

using namespace nolby;
using nolby::testing::PinnedLocale;

TEST(GatewayFailure, TextsSayWhenThePressReopensInTheUsersTime) {
    using Kind = Gateway::Failure::Kind;
    const std::optional<Date> six = Gateway::date("2026-03-14T06:00:00Z");
    struct Case {
        const char* locale;
        const char* zone;
        Kind kind;
        std::optional<Date> date;
        std::string text;
    };
    const Case cases[] = {
        {"en_US", "America/New_York", Kind::allowance, six, "That's today's lessons. The press reopens at 2:00\u202FAM."},
        {"en_US", "America/New_York", Kind::resting, six, "The press is resting for the day. It reopens at 2:00\u202FAM."},
        {"de_DE", "Europe/Berlin", Kind::allowance, six, "That's today's lessons. The press reopens at 07:00."},
        {"en_GB", "Asia/Kolkata", Kind::resting, six, "The press is resting for the day. It reopens at 11:30."},
        {"en_US", "UTC", Kind::allowance, std::nullopt, "That's today's lessons. The press reopens tomorrow."},
        {"en_US", "UTC", Kind::resting, std::nullopt, "The press is resting for the day. It reopens tomorrow."},
        {"en_US", "UTC", Kind::unreachable, six, "Couldn't reach the press. Check your connection and try again."},
    };
    for (const Case& c : cases) {
        PinnedLocale pinned(c.locale, c.zone);
        Gateway::Failure failure(c.kind, c.date);
        EXPECT_EQ(failure.description(), c.text) << c.locale << " " << c.zone;
        EXPECT_EQ(std::string(failure.what()), c.text);
    }
}

TEST(HttpFailure, PlainTextsNotTheLibrarys) {
    EXPECT_STREQ(Http::Failure(Http::Failure::Kind::noConnection).what(),
                 "Couldn't connect. Check your connection and try again.");
    EXPECT_STREQ(Http::Failure(Http::Failure::Kind::timedOut).what(), "The connection timed out. Try again in a moment.");
    EXPECT_STREQ(Http::Failure(Http::Failure::Kind::connectionLost).what(), "The connection was lost. Try again.");
}

TEST(HttpHeaders, ACallersFieldReplacesOneOfTheSameNameWhateverItsCase) {
    Http::Headers h = {{"content-type", "application/json"}, {"authorization", "Bearer a"}, {"Authorization", "x"}};
    Http::set(h, "Authorization", "Bearer b");
    Http::set(h, "x-nolby-op", "lesson");
    EXPECT_EQ(h, (Http::Headers{{"content-type", "application/json"}, {"authorization", "Bearer b"}, {"x-nolby-op", "lesson"}}));
}
