#include "ink/SvgPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace nolby;
using SvgPath::Tok;

namespace {

std::vector<std::shared_ptr<SvgPath::Sub>> parse(const std::string& d) { return SvgPath::parse(d, 1, 1, 0, 0); }

Tok num(double v) { return Tok::number(v); }
Tok cmd(char32_t c) { return Tok::command(c); }

double radius(Point p, Point c) { return std::hypot(p.x - c.x, p.y - c.y); }

}  // namespace

TEST(SvgPathTokenize, NumbersCommandsAndSeparators) {
    struct Case {
        const char* text;
        std::vector<Tok> toks;
    };
    const Case cases[] = {
        {"10-5", {num(10), num(-5)}},
        {"1.5.3", {num(1.5), num(0.3)}},
        {"M1,2L-3 .5", {cmd('M'), num(1), num(2), cmd('L'), num(-3), num(0.5)}},
        {"1e3 1E-2 1e+2 +3 5. -.5", {num(1000), num(0.01), num(100), num(3), num(5), num(-0.5)}},
        {"2e", {num(2)}},                       // a final e is not part of the number
        {"2e x", {cmd('x')}},                   // "2e" does not convert: dropped
        {"1e+ 7", {num(7)}},                    // an exponent without digits
        {"- + . 4", {num(4)}},                  // lone signs and points
        {"e E,;!4", {num(4)}},                  // lone e and punctuation separate
        {"\xEF\xBC\x91 \xD9\xA3 6", {num(6)}},  // non-ASCII digits separate
        {"\xC3\xA9", {cmd(0xE9)}},              // any letter is a command
        {"a\xCC\x81", {cmd(0xFFFD)}},           // a letter with a mark never is one
        {"1e999 2 -1e400", {num(2)}},           // not finite: dropped
        {"1e-999", {num(0)}},                   // underflow is zero
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(SvgPath::tokenize(c.text), c.toks) << c.text;
}

TEST(SvgPathParse, CommandForms) {
    struct Case {
        const char* d;
        std::vector<Point> pts;
    };
    const Case cases[] = {
        {"M 1 1 2 2 3 3", {{1, 1}, {2, 2}, {3, 3}}},         // repeated move is a line
        {"m 1 1 2 2", {{1, 1}, {3, 3}}},                     // ...relative after a relative move
        {"M1 1L5 1l0 4", {{1, 1}, {5, 1}, {5, 5}}},
        {"M 1 1 H 5 V 4 h -2 v -1", {{1, 1}, {5, 1}, {5, 4}, {3, 4}, {3, 3}}},
        {"M 1 1 h 1 2 3", {{1, 1}, {2, 1}, {4, 1}, {7, 1}}},  // repeated relative H
        {"L 5 5", {{0, 0}, {5, 5}}},                         // no move: starts at the origin
        {"3 4 5 6", {{0, 0}, {3, 4}, {5, 6}}},               // leading numbers are lines
        {"M 0 0 L 1e999 5 7 8", {{0, 0}, {5, 7}}},           // the infinite number is dropped
        {"M 0 0 X 7 8 9 L 1 1", {{0, 0}, {1, 1}}},           // unknown letter and its numbers skipped
        {"M 900 0 l 500 0 l -100 0", {{900, 0}, {1000, 0}, {900, 0}}},  // clamped as it goes
        {"M -5000 1e300 L 3 4", {{-1000, 1000}, {3, 4}}},
    };
    for (const Case& c : cases) {
        auto subs = parse(c.d);
        ASSERT_EQ(subs.size(), 1u) << c.d;
        EXPECT_EQ(subs[0]->pts, c.pts) << c.d;
        EXPECT_FALSE(subs[0]->closed) << c.d;
    }
}

TEST(SvgPathParse, EmptyResults) {
    // A missing number ends parsing; lone points are left out.
    for (const char* d : {"", "   ", "M 0 0", "M 0 0 L 1", "M 0 0 X L 1 1", "Z Z", "M 1 1 M 2 2 C 1 2 3", "L"})
        EXPECT_TRUE(parse(d).empty()) << d;
}

TEST(SvgPathParse, CloseAndSubPaths) {
    auto square = parse("M 0 0 L 10 0 L 10 10 Z");
    ASSERT_EQ(square.size(), 1u);
    EXPECT_TRUE(square[0]->closed);
    EXPECT_EQ(square[0]->pts, (std::vector<Point>{{0, 0}, {10, 0}, {10, 10}, {0, 0}}));

    // Numbers after z are absolute line points from the start point.
    auto two = parse("M 0 0 Z 5 5");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_TRUE(two[0]->closed);
    EXPECT_EQ(two[0]->pts, (std::vector<Point>{{0, 0}, {0, 0}}));
    EXPECT_FALSE(two[1]->closed);
    EXPECT_EQ(two[1]->pts, (std::vector<Point>{{0, 0}, {5, 5}}));

    // After a close the pen is back at the start; a relative move goes from there.
    auto rel = parse("M 2 2 l 3 0 z m 1 1 l 1 0");
    ASSERT_EQ(rel.size(), 2u);
    EXPECT_EQ(rel[1]->pts, (std::vector<Point>{{3, 3}, {4, 3}}));
    // A drawing command after a close starts at the start point, which it does not move.
    auto again = parse("M 2 2 L 4 2 z L 2 4 Z");
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[1]->pts, (std::vector<Point>{{2, 2}, {2, 4}, {2, 2}}));
}

TEST(SvgPathParse, ScaleAndOffset) {
    auto subs = SvgPath::parse("M 1 2 L 3 4 L 5000 -5000", 2, -3, 10, 20);
    ASSERT_EQ(subs.size(), 1u);
    EXPECT_EQ(subs[0]->pts, (std::vector<Point>{{12, 14}, {16, 8}, {2010, 3020}}));
}

TEST(SvgPathParse, CurvesAreFourteenSamples) {
    auto c = parse("M 0 0 C 0 10 10 10 10 0");
    ASSERT_EQ(c.size(), 1u);
    ASSERT_EQ(c[0]->pts.size(), 15u);
    EXPECT_EQ(c[0]->pts[7], (Point{5, 7.5}));  // t = 1/2
    EXPECT_EQ(c[0]->pts[14], (Point{10, 0}));

    // The middle sample (t = 1/2) of the last segment shows its first control point.
    struct Case {
        const char* d;
        Point mid, end;
    };
    const Case cases[] = {
        {"M 0 0 C 0 10 10 10 10 0 S 20 -10 20 0", {15, -7.5}, {20, 0}},   // reflected (10, -10)
        {"M 0 0 c 0 10 10 10 10 0 s 10 -10 10 0", {15, -7.5}, {20, 0}},   // relative forms
        {"M 0 0 L 10 0 S 20 -10 20 0", {15, -3.75}, {20, 0}},             // no curve before: P0
        {"M 0 0 Q 5 10 10 0 S 20 -10 20 0", {15, -3.75}, {20, 0}},        // a quadratic does not count
        {"M 0 0 Q 5 10 10 0 T 20 0", {15, -5}, {20, 0}},                  // reflected (15, -10)
        {"M 0 0 q 5 10 10 0 t 10 0", {15, -5}, {20, 0}},
        {"M 0 0 Q 5 10 10 0 T 20 0 T 30 0", {25, 5}, {30, 0}},            // and back: (25, 10)
        {"M 0 0 L 10 0 T 20 0", {12.5, 0}, {20, 0}},                      // control P0
        {"M 0 0 C 0 10 10 10 10 0 T 20 0", {12.5, 0}, {20, 0}},
        {"M 0 0 Q 5 10 10 0", {5, 5}, {10, 0}},
    };
    for (const Case& k : cases) {
        auto s = parse(k.d);
        ASSERT_EQ(s.size(), 1u) << k.d;
        const std::vector<Point>& pts = s[0]->pts;
        ASSERT_GE(pts.size(), 15u) << k.d;
        EXPECT_NEAR(pts[pts.size() - 8].x, k.mid.x, 1e-12) << k.d;
        EXPECT_NEAR(pts[pts.size() - 8].y, k.mid.y, 1e-12) << k.d;
        EXPECT_EQ(pts.back(), k.end) << k.d;
    }
}

TEST(SvgPathArc, PiecesAndShape) {
    struct Case {
        const char* d;
        size_t points;  // after the start
        Point centre;
        double r;
    };
    const Case cases[] = {
        {"M 0 0 A 5 5 0 0 1 10 0", 28, {5, 0}, 5},                      // half circle: 2 pieces
        {"M 0 0 A 1 1 0 0 1 10 0", 28, {5, 0}, 5},                      // radii scaled up to reach
        {"M 0 0 A 10 10 0 0 1 10 0", 14, {5, 5 * std::sqrt(3.0)}, 10},  // 60 degrees: 1 piece
        {"M 0 0 A 10 10 0 1 1 10 0", 56, {5, -5 * std::sqrt(3.0)}, 10}, // 300 degrees: 4 pieces
        {"M 10 10 a 5 5 0 0 0 10 0", 28, {15, 10}, 5},                  // relative end point
    };
    for (const Case& c : cases) {
        auto s = parse(c.d);
        ASSERT_EQ(s.size(), 1u) << c.d;
        ASSERT_EQ(s[0]->pts.size(), c.points + 1) << c.d;
        for (Point p : s[0]->pts) EXPECT_NEAR(radius(p, c.centre), c.r, c.r * 1e-3) << c.d;
        Point end = s[0]->pts.back();
        EXPECT_NEAR(end.x, s[0]->pts.front().x + 10, 1e-9) << c.d;
    }
    // Sweep 1 turns with increasing angle: with y down the half circle bulges upward.
    auto up = parse("M 0 0 A 5 5 0 0 1 10 0");
    EXPECT_NEAR(up[0]->pts[14].x, 5, 1e-9);
    EXPECT_NEAR(up[0]->pts[14].y, -5, 1e-9);
    auto down = parse("M 0 0 A 5 5 0 0 0 10 0");
    EXPECT_NEAR(down[0]->pts[14].y, 5, 1e-9);
    // Rotated 90 degrees the long axis is vertical.
    auto tall = parse("M 0 0 A 10 5 90 0 1 0 20");
    ASSERT_EQ(tall[0]->pts.size(), 29u);
    EXPECT_NEAR(tall[0]->pts[14].x, 5, 1e-9);
    EXPECT_NEAR(tall[0]->pts[14].y, 10, 1e-9);
    // The pen ends exactly at the arc's end point.
    auto next = parse("M 0 0 A 5 5 0 0 1 10 0 L 20 0");
    EXPECT_EQ(next[0]->pts.back(), (Point{20, 0}));
}

TEST(SvgPathArc, DegenerateArcsAreStraight) {
    struct Case {
        const char* d;
        Point from, to;
    };
    const Case cases[] = {
        {"M 0 0 A 0 5 0 0 1 10 0", {0, 0}, {10, 0}},       // zero radius
        {"M 0 0 A 5 0 0 0 1 10 0", {0, 0}, {10, 0}},
        {"M 3 3 A 5 5 0 1 1 3 3", {3, 3}, {3, 3}},         // ends where it starts
        {"M 0 0 A 1e-200 1 0 0 1 10 0", {0, 0}, {10, 0}},  // radius too small to convert
    };
    for (const Case& c : cases) {
        auto s = parse(c.d);
        ASSERT_EQ(s.size(), 1u) << c.d;
        ASSERT_EQ(s[0]->pts.size(), 15u) << c.d;
        for (Point p : s[0]->pts) {
            EXPECT_NEAR(p.y, c.from.y, 1e-12) << c.d;
            EXPECT_GE(p.x, c.from.x - 1e-12) << c.d;
            EXPECT_LE(p.x, c.to.x + 1e-12) << c.d;
        }
        EXPECT_EQ(s[0]->pts.back(), c.to) << c.d;
    }
}

TEST(SvgPathBounds, HostileDataStaysFiniteAndSmall) {
    // A needle-thin ellipse has to grow huge to reach its end point; the points stay in the box.
    auto needle = SvgPath::parse("M 0 0 A 1000 1e-10 0 0 1 0 1000", 0.5, 0.5, 7, 9);
    ASSERT_EQ(needle.size(), 1u);
    for (Point p : needle[0]->pts) {
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
        EXPECT_LE(std::fabs(p.x - 7), 500);
        EXPECT_LE(std::fabs(p.y - 9), 500);
    }

    // Points are capped: 1000 curves would make 14001.
    std::string many = "M 0 0";
    for (int i = 0; i < 1000; ++i) many += " C 1 1 2 2 3 3";
    auto capped = parse(many);
    ASSERT_EQ(capped.size(), 1u);
    EXPECT_EQ(capped[0]->pts.size(), SvgPath::maxPoints);

    // Text past the length bound is ignored: each " L1 1" is 5 characters.
    std::string longData = "M0 0";
    for (int i = 0; i < 6000; ++i) longData += " L1 1";
    auto cut = parse(longData);
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0]->pts.size(), 1 + (SvgPath::maxLength - 4) / 5);
}
