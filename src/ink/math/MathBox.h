#pragma once
// Maths laid out as nested boxes: glyphs set from the maths font, hand-drawn strokes and
// child boxes, in box coordinates (origin at the left end of the baseline, y down).

#include "platform/Color.h"
#include "platform/Path.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace nolby::math {

struct Box;
using BoxRef = std::shared_ptr<Box>;

// One glyph run of the maths font at its baseline origin.
struct G {
    std::string s;
    double x = 0, y = 0, size = 0;
    Color color;
};

// A hand-drawn stroke.
struct S {
    Path path;
    Color color;
    double width = 0;
};

// A child box placed in its parent.
struct Kid {
    BoxRef box;
    double x = 0, y = 0;
};

using Piece = std::variant<G, S, Kid>;

// Built by one layout call, then only read.
struct Box {
    double w = 0, a = 0, d = 0;
    // Contents with an optional writing-order key (pieces without one go by their x).
    std::vector<std::pair<Piece, std::optional<double>>> pieces;
    // The colour and label of a labelled part, written as a note under a display formula.
    std::optional<std::pair<Color, std::string>> note;
    double inkL = 0, inkR = 0;
    // Taller than a line of text: delimiters around it stretch.
    bool tall = false;

    void add(Piece p, std::optional<double> key = std::nullopt) { pieces.emplace_back(std::move(p), key); }
    // Grows a and d so that every stroke (with half its width) and every child fits;
    // glyphs are not considered and nothing shrinks.
    void fit();
};

}  // namespace nolby::math
