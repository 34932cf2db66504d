#pragma once
// Small probes into laid-out maths boxes, shared by the typesetter tests.

#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/math/MathInk.h"
#include "ink/math/Parser.h"

#include <vector>

namespace nolby::probe {

// How many draws the generator made between two of its states. SplitMix64 adds an odd
// constant per draw, so the count is the state difference times the constant's inverse.
inline uint64_t drawsBetween(const Rng& before, const Rng& after) {
    uint64_t inv = Rng::G;
    for (int i = 0; i < 6; ++i) inv *= 2 - Rng::G * inv;  // Newton: doubles the correct bits
    return (after.state - before.state) * inv;
}

// A typesetter whose strokes do not wobble, so their geometry can be checked exactly; it
// still makes every draw a wobbling one would.
inline MathInk flatInk(uint64_t seed = 1) {
    Faces::registerFrom();
    MathInk ink(seed);
    ink.rough = Rough(seed, 0, 0.682, 2, 0.62);
    return ink;
}

inline std::vector<MathInk::Kid> kids(const MathInk::Box& box) {
    std::vector<MathInk::Kid> out;
    for (const auto& [piece, key] : box.pieces)
        if (auto k = std::get_if<MathInk::Kid>(&piece)) out.push_back(*k);
    return out;
}

// The stroke pieces with their keys.
inline std::vector<std::pair<MathInk::S, std::optional<double>>> strokes(const MathInk::Box& box) {
    std::vector<std::pair<MathInk::S, std::optional<double>>> out;
    for (const auto& [piece, key] : box.pieces)
        if (auto s = std::get_if<MathInk::S>(&piece)) out.emplace_back(*s, key);
    return out;
}

inline std::vector<std::pair<MathInk::G, std::optional<double>>> glyphs(const MathInk::Box& box) {
    std::vector<std::pair<MathInk::G, std::optional<double>>> out;
    for (const auto& [piece, key] : box.pieces)
        if (auto g = std::get_if<MathInk::G>(&piece)) out.emplace_back(*g, key);
    return out;
}

// Where each sub-path starts and ends: for a flat line, its two end points.
inline std::vector<std::pair<Point, Point>> segments(const Path& path) {
    std::vector<std::pair<Point, Point>> out;
    for (const auto& e : path.elements()) {
        if (e.verb == Path::Verb::move) out.push_back({e.pts[0], e.pts[0]});
        else if (!out.empty() && e.count() > 0) out.back().second = e.pts[e.count() - 1];
    }
    return out;
}

inline MathInk::MRef parse(const std::string& tex) { return math::parse(tex); }

// The items of a parsed formula's top row.
inline std::vector<MathInk::MRef> items(const std::string& tex) {
    return parse(tex)->as<MathInk::M::Row>()->items;
}

}  // namespace nolby::probe
