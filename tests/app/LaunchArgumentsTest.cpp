// Launch arguments: each switch's cases as a table, read from a whole argument list (the
// program path first).
#include "app/LaunchArguments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace nolby {
namespace {

using Args = std::vector<std::string>;

LaunchArguments parsed(Args args) {
    args.insert(args.begin(), "/usr/bin/nolby");
    return LaunchArguments::parse(args);
}

TEST(LaunchArguments, NoArgumentsAndUnknownOnesLeaveEverythingUnset) {
    EXPECT_EQ(parsed({}), LaunchArguments{});
    EXPECT_EQ(parsed({"-bogus", "3", "--speed", "2", "-Speed", "2", "speed"}), LaunchArguments{});
    // The program path is never a key, even when it looks like one.
    EXPECT_EQ(LaunchArguments::parse(Args{"-replay"}), LaunchArguments{});
    EXPECT_EQ(LaunchArguments::parse(0, nullptr), LaunchArguments{});
}

TEST(LaunchArguments, ValueIsTheArgumentAfterTheFirstExactKey) {
    struct Case {
        Args args;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {{"-page", "3"}, "3"},
        {{"-page", "3", "-page", "5"}, "3"},
        {{"-ask", "-page"}, std::nullopt},  // given last: no value
        {{"-Page", "3"}, std::nullopt},     // case-sensitive
        {{"-page", "-ask"}, "-ask"},        // the next argument, whatever it is
        {{}, std::nullopt},
    };
    for (const auto& c : cases) {
        Args args = c.args;
        args.insert(args.begin(), "nolby");
        EXPECT_EQ(LaunchArguments::value(args, "-page"), c.value) << ::testing::PrintToString(c.args);
    }
}

TEST(LaunchArguments, Appearance) {
    using A = LaunchArguments::Appearance;
    struct Case {
        Args args;
        std::optional<A> appearance;
    };
    const Case cases[] = {
        {{"-appearance", "light"}, A::light}, {{"-appearance", "dark"}, A::dark},
        {{"-appearance", "Light"}, A::dark},  {{"-appearance", ""}, A::dark},
        {{"-appearance"}, std::nullopt},      {{}, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed(c.args).appearance, c.appearance) << ::testing::PrintToString(c.args);
}

TEST(LaunchArguments, OpenKeepsItsValueAsGiven) {
    for (std::string v : {"new", "newest", "title:Fractions", "6F9619FF-8B86-D011-B42D-00C04FC964FF", "whatever"})
        EXPECT_EQ(parsed({"-open", v}).open, v);
    EXPECT_EQ(parsed({"-open"}).open, std::nullopt);
}

TEST(LaunchArguments, PageIsASignedDecimalInteger) {
    struct Case {
        std::string text;
        std::optional<int> page;
    };
    const Case cases[] = {
        {"3", 3},          {"+3", 3},         {"-2", -2},       {"0", 0},         {"007", 7},
        {"three", {}},     {"3.0", {}},       {" 3", {}},       {"3 ", {}},       {"", {}},
        {"+", {}},         {"0x10", {}},      {"99999999999", {}},  // too large for an int
    };
    for (const auto& c : cases) EXPECT_EQ(parsed({"-page", c.text}).page, c.page) << '"' << c.text << '"';
    EXPECT_EQ(parsed({"-page"}).page, std::nullopt);
}

TEST(LaunchArguments, SpeedTakesOnlyFiniteValuesAboveZero) {
    struct Case {
        std::string text;
        std::optional<double> speed;
    };
    const Case cases[] = {
        {"2", 2.0},   {"0.25", 0.25}, {"1e2", 100.0}, {"0", {}},  {"-1", {}},     {"nan", {}},
        {"inf", {}},  {"1e999", {}},  {"fast", {}},   {"", {}},   {"2,5", {}},  // never a decimal comma
    };
    for (const auto& c : cases) EXPECT_EQ(parsed({"-speed", c.text}).speed, c.speed) << '"' << c.text << '"';
}

TEST(LaunchArguments, StallTakesFiniteMillisecondsAboveZero) {
    struct Case {
        std::string text;
        std::optional<double> stall;
    };
    const Case cases[] = {{"40", 40.0}, {"12.5", 12.5}, {"0", {}}, {"-5", {}}, {"nan", {}}, {"long", {}}};
    for (const auto& c : cases) EXPECT_EQ(parsed({"-stall", c.text}).stall, c.stall) << '"' << c.text << '"';
}

TEST(LaunchArguments, LeafAndCurlAreHeldToZeroThroughOne) {
    struct Case {
        std::string text;
        std::optional<double> progress;
    };
    const Case cases[] = {
        {"0.5", 0.5}, {"0", 0.0},   {"1", 1.0},   {"1.7", 1.0},  {"-0.3", 0.0},
        {"1e9", 1.0}, {"nan", {}},  {"inf", {}},  {"half", {}},  {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parsed({"-leaf", c.text}).leaf, c.progress) << "leaf \"" << c.text << '"';
        EXPECT_EQ(parsed({"-curl", c.text}).curl, c.progress) << "curl \"" << c.text << '"';
    }
}

TEST(LaunchArguments, WriteTurnsBackslashNIntoLineBreaks) {
    struct Case {
        std::string text, note;
    };
    const Case cases[] = {
        {"one line", "one line"},
        {R"(first\nsecond\nthird)", "first\nsecond\nthird"},
        {R"(a\\nb)", "a\\\nb"},     // the backslash before "\n" stays
        {R"(ends with \)", R"(ends with \)"},
        {R"(\t stays)", R"(\t stays)"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed({"-write", c.text}).write, c.note) << c.text;
    EXPECT_EQ(parsed({"-write"}).write, std::nullopt);
}

TEST(LaunchArguments, WriteAtIsTwoNumbersJoinedByAComma) {
    struct Case {
        std::string text;
        std::optional<Point> at;
    };
    const Case cases[] = {
        {"40,200", Point{40, 200}},   {",40,,200,", Point{40, 200}},  // empty pieces dropped
        {"-3.5,1e2", Point{-3.5, 100}},
        {"40", {}},                   {"40,", {}},                    {"40,200,7", {}},
        {"40, 200", {}},              {"x,200", {}},                  {"40,nan", {}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed({"-writeAt", c.text}).writeAt, c.at) << '"' << c.text << '"';
}

TEST(LaunchArguments, FlagsCountWhereverTheyStand) {
    struct Case {
        Args args;
        bool replay, ask, quit;
    };
    const Case cases[] = {
        {{"-replay"}, true, false, false},
        {{"-page", "2", "-ask"}, false, true, false},
        {{"-ask", "-replay", "-quit-after-shelf"}, true, true, true},
        {{"-Ask", "replay"}, false, false, false},
    };
    for (const auto& c : cases) {
        const auto a = parsed(c.args);
        EXPECT_EQ(a.replay, c.replay) << ::testing::PrintToString(c.args);
        EXPECT_EQ(a.ask, c.ask) << ::testing::PrintToString(c.args);
        EXPECT_EQ(a.quitAfterShelf, c.quit) << ::testing::PrintToString(c.args);
    }
}

// "-warmup" is read here and handed to the tutor through the app's context.
TEST(LaunchArguments, WarmupIsAFlag) {
    EXPECT_TRUE(parsed({"-open", "newest", "-warmup"}).warmup);
    EXPECT_FALSE(parsed({"-open", "newest"}).warmup);
    EXPECT_FALSE(parsed({"-Warmup"}).warmup);
}

// "-gateway-at" takes an http(s) address; anything else leaves the usual one, and it is never
// a "--learn" topic.
TEST(LaunchArguments, GatewayAtTakesAnHttpAddressOnly) {
    struct Case {
        Args args;
        std::optional<std::string> gatewayAt;
    };
    const Case cases[] = {
        {{"-gateway-at", "http://127.0.0.1:9100/"}, "http://127.0.0.1:9100/"},
        {{"-gateway-at", "http://localhost:9100"}, "http://localhost:9100/"},
        {{"-gateway-at", "127.0.0.1:9100"}, std::nullopt},
        {{"-gateway-at", "ftp://127.0.0.1/"}, std::nullopt},
        {{"-gateway-at"}, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(parsed(c.args).gatewayAt, c.gatewayAt) << ::testing::PrintToString(c.args);
    EXPECT_EQ(parsed({"--learn", "-gateway-at", "http://127.0.0.1:9100/"}).learn, LaunchArguments::Learn{});
}

TEST(LaunchArguments, AboutAndTheWholeSetTogether) {
    const auto a = parsed({"-open", "newest", "-page", "2", "-speed", "3", "-write", R"(x\ny)", "-writeAt", "40,200",
                           "-about", "mitochondria", "-ask", "-leaf", "0.4", "-curl", "2"});
    EXPECT_EQ(a.open, "newest");
    EXPECT_EQ(a.page, 2);
    EXPECT_EQ(a.speed, 3.0);
    EXPECT_EQ(a.write, "x\ny");
    EXPECT_EQ(a.writeAt, (Point{40, 200}));
    EXPECT_EQ(a.about, "mitochondria");
    EXPECT_TRUE(a.ask);
    EXPECT_EQ(a.leaf, 0.4);
    EXPECT_EQ(a.curl, 1.0);
    EXPECT_FALSE(a.replay);
    EXPECT_FALSE(a.learn);
}

TEST(LaunchArguments, LearnTakesTheNextArgumentTrimmed) {
    using L = LaunchArguments::Learn;
    struct Case {
        Args args;
        std::optional<L> learn;
    };
    const Case cases[] = {
        {{"--learn", "photosynthesis"}, L{"photosynthesis"}},
        {{"--learn", "  why is the sky blue?\n"}, L{"why is the sky blue?"}},
        {{"--learn", "   "}, L{""}},                 // blank: the shortcut ignores it
        {{"--learn"}, L{}},                          // no topic: the app asks for one
        {{"--learn", "-speed", "2"}, L{}},           // a switch of ours is not a topic
        {{"-speed", "2", "--learn", "-5 mod 3"}, L{"-5 mod 3"}},
        {{"-learn", "x"}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed(c.args).learn, c.learn) << ::testing::PrintToString(c.args);
}

}  // namespace
}  // namespace nolby
