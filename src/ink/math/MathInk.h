#pragma once
// The maths typesetter: turns a formula of the maths language into ink. It measures a
// formula, lays it out as boxes and emits the boxes as glyph runs and hand-drawn strokes
// at a pen position, with the labelled notes the formula asks for.
//
// Deterministic: the same seed, text, size, colour and display flag always give the same
// operations, because every measuring and drawing pass reseeds from the seed and the text.
// One typesetter belongs to one layout on one thread; its font and metric caches are
// shared by the process and locked.

#include "ink/Ink.h"
#include "ink/Rough.h"
#include "ink/math/MathBox.h"
#include "ink/math/MathTree.h"
#include "ink/ops/InkOp.h"
#include "platform/Font.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nolby {

class MathInk {
public:
    using M = math::M;
    using MRef = math::MRef;
    using Kind = math::Kind;
    using Box = math::Box;
    using BoxRef = math::BoxRef;
    using Piece = math::Piece;
    using G = math::G;
    using S = math::S;
    using Kid = math::Kid;

    // A labelled part of a formula: its colour, label and box on the page.
    struct Note {
        Color color;
        std::string label;
        Rect box;
        bool operator==(const Note&) const = default;
    };

    struct Extent {
        double w = 0, a = 0, d = 0;
        bool operator==(const Extent&) const = default;
    };

    // Advance and ink bounds of a glyph text at a size of one point, y down.
    struct UnitMetrics {
        double w = 0;
        Rect ink;
    };

    explicit MathInk(uint64_t seed);

    const uint64_t seed;
    Rough rough;
    Rng jr;
    double baseSize = 20;

    // Width, ascent and descent of the formula laid out at the size. The colour changes no
    // measure; pass the one it will be drawn in, and drawing reuses this layout.
    Extent measure(const std::string& text, double size, bool display, Color color = Ink::ink);
    // The drawing pass: reseeds as measure does, lays the formula out in the colour and
    // emits it with the left end of its baseline at (x, y). Returns its extent.
    Extent draw(const std::string& text, double size, Color color, bool display, double x, double y,
                std::vector<InkOpRef>& ops, std::vector<Note>& notes);

    BoxRef layout(const MRef& node, double size, Color color, bool display);
    void emitOps(const Box& box, double x, double y, std::vector<InkOpRef>& ops, std::vector<Note>& notes);

    // The maths font: the hand face with the round face as its cascade. One per hundredth of a point.
    static std::shared_ptr<const Font> font(double size);
    static UnitMetrics metrics(const std::string& text);
    BoxRef glyphBox(const std::string& text, double size, Color color);

    // Box layout of the node kinds.
    Kind kind(const MRef& node) const;
    BoxRef row(const std::vector<MRef>& items, double size, Color color, bool display);
    BoxRef script(const BoxRef& base, const MRef& sup, const MRef& sub, double size, Color color);
    BoxRef frac(const MRef& num, const MRef& den, bool bar, double size, Color color, bool display);
    BoxRef fence(const std::optional<std::string>& open, const MRef& body, const std::optional<std::string>& close,
                 double size, Color color, bool display);
    BoxRef root(const MRef& body, const MRef& index, double size, Color color, bool display);

    // Hand-drawn symbols and stretchy delimiters (null where a name is not drawn by hand).
    BoxRef drawn(const std::string& name, double size, Color color);
    BoxRef tallDelimiter(const std::string& name, double a, double d, double size, Color color);
    std::vector<std::pair<int, int>> fences(const std::vector<MRef>& items) const;
    std::optional<std::pair<std::string, Kind>> delimiter(const MRef& node) const;
    BoxRef grown(const MRef& node, double a, double d, double size, Color color);

    // Big operators and accents.
    BoxRef big(const std::string& name, const MRef& sub, const MRef& sup, double size, Color color, bool display);
    BoxRef accent(const std::string& name, const MRef& body, double size, Color color, bool display);

    // Bounds of the shared caches: tutor text reaches the metric, parse and layout caches,
    // so they must not grow without limit. When full, a cache starts over (its entries are
    // deterministic).
    static constexpr size_t kMaxCachedMetrics = 4096;
    static constexpr size_t kMaxCachedFonts = 512;
    static constexpr size_t kMaxCachedTrees = 512;
    static constexpr size_t kMaxCachedLayouts = 64;
    static constexpr size_t kMaxCachedBytes = 256 * 1024;  // formula text behind trees or layouts

    // The pen width of drawn marks (rules, slashes, radicals, big operators, accents), of the size.
    static constexpr double kStrokeWidth = 0.085;

private:
    void reseed(const std::string& text, double size);
    // Reseeds and lays the formula out, as measure and draw both do. Every caller measures
    // a formula before drawing it with the same seed: the second pass takes the first's
    // boxes and the generators where it left them, so it is the same ink without the work.
    BoxRef laidOut(const std::string& text, double size, Color color, bool display);
    static MRef parse(const std::string& text);
    // A straight hand-drawn stroke (one bowed line) into the path.
    void strokeLine(Path& path, double x1, double y1, double x2, double y2);
};

}  // namespace nolby
