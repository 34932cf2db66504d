// The hand-drawn symbol recipes. Built once on first use and only read after that, so any
// typesetter on any thread may look shapes up.
#include "ink/math/MathShapes.h"

#include <cmath>
#include <unordered_map>

namespace nolby::math {

namespace {

constexpr double kPi = 3.141592653589793;

using K = Step::Kind;

Step line(double x1, double y1, double x2, double y2) { return {K::line, {{x1, y1}, {x2, y2}}}; }
Step poly(std::vector<Point> pts) { return {K::poly, std::move(pts)}; }
Step closed(std::vector<Point> pts) { return {K::closedPoly, std::move(pts)}; }
Step curve(double jitter, std::vector<Point> pts) { return {K::curve, std::move(pts), jitter}; }
Step ring(double cx, double cy, double diameter) { return {K::ring, {{cx, cy}}, 0, diameter}; }

Shape mirror(const std::string& of, double width) { return {width, {}, of}; }

// The open hook shared by element-of and subset.
Step subsetCurve() {
    return curve(0.25, {{0.54, -0.55}, {0.2732, -0.54}, {0.08, -0.3}, {0.2732, -0.06}, {0.54, -0.05}});
}

Step star() {
    std::vector<Point> pts;
    for (int j = 0; j < 10; ++j) {
        const double angle = j * kPi / 5 - kPi / 2;
        const double r = j % 2 == 0 ? 0.24 : 0.1;
        pts.push_back({0.3 + r * std::cos(angle), -0.28 + r * std::sin(angle)});
    }
    return closed(std::move(pts));
}

// A figure of eight lying on its side, open on the right.
Step proportional() {
    std::vector<Point> pts;
    for (int j = 0; j <= 16; ++j) {
        const double theta = kPi / 4 + 1.5 * kPi * j / 16;
        pts.push_back({0.3 + 0.24 * std::cos(theta), -0.3 - 0.4 * std::sin(theta) * std::cos(theta)});
    }
    return curve(0.1, std::move(pts));
}

std::vector<Step> asterisk() {
    const double c = 0.17 * std::cos(kPi / 6);
    return {line(0.26, -0.47, 0.26, -0.13), line(0.26 + c, -0.385, 0.26 - c, -0.215),
            line(0.26 + c, -0.215, 0.26 - c, -0.385)};
}

std::vector<Step> muchLess() {
    std::vector<Step> steps;
    for (double d : {0.0, 0.2}) steps.push_back(poly({{d + 0.34, -0.52}, {d + 0.06, -0.3}, {d + 0.34, -0.08}}));
    return steps;
}

std::unordered_map<std::string, Shape> makeShapes() {
    const Step elementBar = line(0.1, -0.3, 0.48, -0.3);
    const Step circle = ring(0.34, -0.3, 0.54);
    return {
        {"∈", {0.62, {subsetCurve(), elementBar}}},
        {"∉", {0.62, {subsetCurve(), elementBar, line(0.44, -0.7, 0.16, 0.12)}}},
        {"⊂", {0.62, {subsetCurve()}}},
        {"⊃", mirror("⊂", 0.62)},
        {"⊆",
         {0.62,
          {curve(0.25, {{0.54, -0.63}, {0.2732, -0.62}, {0.08, -0.4}, {0.2732, -0.18}, {0.54, -0.17}}),
           line(0.1, -0.03, 0.54, -0.03)}}},
        {"⊇", mirror("⊆", 0.62)},
        {"∪", {0.62, {curve(0.25, {{0.08, -0.56}, {0.09, -0.22}, {0.31, -0.02}, {0.53, -0.22}, {0.54, -0.56}})}}},
        {"∩", {0.62, {curve(0.25, {{0.08, 0}, {0.09, -0.34}, {0.31, -0.54}, {0.53, -0.34}, {0.54, 0}})}}},
        {"∧", {0.62, {poly({{0.06, -0.02}, {0.31, -0.56}, {0.56, -0.02}})}}},
        {"∨", {0.62, {poly({{0.06, -0.56}, {0.31, -0.02}, {0.56, -0.56}})}}},
        {"→", {0.88, {line(0.06, -0.3, 0.82, -0.3), poly({{0.65, -0.46}, {0.82, -0.3}, {0.65, -0.14}})}}},
        {"←", {0.88, {line(0.06, -0.3, 0.82, -0.3), poly({{0.23, -0.46}, {0.06, -0.3}, {0.23, -0.14}})}}},
        {"↔",
         {1,
          {line(0.06, -0.3, 0.94, -0.3), poly({{0.77, -0.46}, {0.94, -0.3}, {0.77, -0.14}}),
           poly({{0.23, -0.46}, {0.06, -0.3}, {0.23, -0.14}})}}},
        {"↦",
         {0.88,
          {line(0.06, -0.3, 0.82, -0.3), line(0.06, -0.44, 0.06, -0.16),
           poly({{0.65, -0.46}, {0.82, -0.3}, {0.65, -0.14}})}}},
        // Double arrows: the shafts stop short of the head's tip, or they would poke through it.
        {"⇒",
         {0.88,
          {line(0.06, -0.39, 0.72, -0.39), line(0.06, -0.21, 0.72, -0.21),
           poly({{0.6, -0.53}, {0.82, -0.3}, {0.6, -0.07}})}}},
        {"⇐",
         {0.88,
          {line(0.16, -0.39, 0.82, -0.39), line(0.16, -0.21, 0.82, -0.21),
           poly({{0.28, -0.53}, {0.06, -0.3}, {0.28, -0.07}})}}},
        {"⇔",
         {1.04,
          {line(0.16, -0.39, 0.88, -0.39), line(0.16, -0.21, 0.88, -0.21),
           poly({{0.76, -0.53}, {0.98, -0.3}, {0.76, -0.07}}), poly({{0.28, -0.53}, {0.06, -0.3}, {0.28, -0.07}})}}},
        {"↑", {0.5, {line(0.25, 0.12, 0.25, -0.74), poly({{0.1, -0.58}, {0.25, -0.74}, {0.4, -0.58}})}}},
        {"↓", {0.5, {line(0.25, 0.12, 0.25, -0.74), poly({{0.1, -0.04}, {0.25, 0.12}, {0.4, -0.04}})}}},
        {"∇", {0.7, {closed({{0.05, -0.7}, {0.63, -0.7}, {0.34, 0}})}}},
        {"∀", {0.64, {poly({{0.04, -0.7}, {0.31, 0}, {0.58, -0.7}}), line(0.15, -0.34, 0.47, -0.34)}}},
        {"∃", {0.62, {poly({{0.08, -0.7}, {0.5, -0.7}, {0.5, 0}, {0.08, 0}}), line(0.16, -0.35, 0.5, -0.35)}}},
        {"∘", {0.42, {ring(0.21, -0.3, 0.18)}}},
        {"∠", {0.7, {poly({{0.58, -0.62}, {0.06, 0}, {0.64, 0}})}}},
        {"⋆", {0.6, {star()}}},
        {"∓", {0.6, {line(0.06, -0.6, 0.54, -0.6), line(0.06, -0.25, 0.54, -0.25), line(0.3, -0.47, 0.3, -0.03)}}},
        {"⊕", {0.68, {circle, line(0.1, -0.3, 0.58, -0.3), line(0.34, -0.54, 0.34, -0.06)}}},
        {"⊗", {0.68, {circle, line(0.17, -0.47, 0.51, -0.13), line(0.17, -0.13, 0.51, -0.47)}}},
        {"∗", {0.52, asterisk()}},
        {"∖", {0.48, {line(0.08, -0.7, 0.4, 0.08)}}},
        {"∼", {0.58, {curve(0.15, {{0.06, -0.25}, {0.2, -0.36}, {0.38, -0.24}, {0.52, -0.35}})}}},
        {"≃",
         {0.58,
          {curve(0.15, {{0.06, -0.36}, {0.2, -0.46}, {0.38, -0.34}, {0.52, -0.44}}), line(0.06, -0.18, 0.52, -0.18)}}},
        {"≅",
         {0.58,
          {curve(0.15, {{0.06, -0.44}, {0.2, -0.54}, {0.38, -0.42}, {0.52, -0.52}}), line(0.06, -0.28, 0.52, -0.28),
           line(0.06, -0.12, 0.52, -0.12)}}},
        {"≡", {0.58, {line(0.06, -0.46, 0.52, -0.46), line(0.06, -0.3, 0.52, -0.3), line(0.06, -0.14, 0.52, -0.14)}}},
        {"∝", {0.6, {proportional()}}},
        {"≪", {0.62, muchLess()}},
        {"≫", mirror("≪", 0.62)},
        {"⊥", {0.62, {line(0.31, -0.66, 0.31, 0), line(0.05, 0, 0.57, 0)}}},
        {"∥", {0.42, {line(0.12, -0.74, 0.12, 0.16), line(0.3, -0.74, 0.3, 0.16)}}},
    };
}

}  // namespace

const Shape* handShape(const std::string& name) {
    static const std::unordered_map<std::string, Shape> shapes = makeShapes();
    auto it = shapes.find(name);
    return it == shapes.end() ? nullptr : &it->second;
}

}  // namespace nolby::math
