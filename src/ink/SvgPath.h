#pragma once
// SVG path data (the "d" attribute) flattened into polylines for the sketchy strokes: the
// built-in doodle shapes and the figure item "path", whose data comes from the tutor.
//
// The reader is tolerant and never fails: it stops at the first command whose numbers are
// missing and returns what it has. Because the data can come straight from the tutor, it
// is also bounded: the text is cut, numbers that are not finite are dropped, every
// coordinate is clamped to ±1000 before scaling and the number of points is capped.

#include "platform/Geometry.h"

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace nolby::SvgPath {

// One flattened sub-path, already in page coordinates.
class Sub {
public:
    Sub(std::vector<Point> pts, bool closed) : pts(std::move(pts)), closed(closed) {}

    std::vector<Point> pts;
    bool closed = false;  // ended by a close command
};

// A token of path data: a command letter or a number.
struct Tok {
    enum class Kind { cmd, num };
    Kind kind = Kind::num;
    char32_t cmd = 0;  // the letter; U+FFFD for a letter carrying marks (never a command)
    double num = 0;

    static Tok command(char32_t c) { return {Kind::cmd, c, 0}; }
    static Tok number(double v) { return {Kind::num, 0, v}; }
    bool operator==(const Tok&) const = default;
};

// Bytes of path data read; the rest is ignored (a doodle is a few hundred).
inline constexpr size_t maxLength = 20000;
// Points produced in all; parsing stops once they are reached.
inline constexpr size_t maxPoints = 10000;
// Every coordinate (absolute, after relative offsets) is clamped to ±limit before scaling.
inline constexpr double limit = 1000;
// Samples appended per curve segment (and per quarter-turn piece of an arc).
inline constexpr int curveSamples = 14;

// Every stored point (x, y) becomes (ox + sx·x, oy + sy·y). Only sub-paths of 2 or more
// points are returned, in the order they were started.
std::vector<std::shared_ptr<Sub>> parse(std::string_view d, double sx, double sy, double ox, double oy);

// The first step of `parse`, visible for tests: letters (other than e and E) become
// commands, number text becomes numbers ("10-5" is 10 and -5, "1.5.3" is 1.5 and 0.3),
// everything else separates. Number text that does not convert to a finite number is dropped.
std::vector<Tok> tokenize(std::string_view d);

}  // namespace nolby::SvgPath
