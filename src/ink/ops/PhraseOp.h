#pragma once
// A phrase written left to right: words (runs) in their colours, revealed by a front that
// travels along them with a soft leading edge, so ink appears as if from a moving pen.

#include "ink/ops/GlyphRun.h"
#include "ink/ops/InkOp.h"

#include <optional>
#include <vector>

namespace nolby {

class PhraseOp : public InkOp {
    // Where along the travel each run begins (filled before `travel` is computed).
    std::vector<double> starts_;

public:
    // One word (or word piece) in one colour at its baseline origin.
    struct Run {
        GlyphRun glyphs;
        double x = 0, y = 0;
        Color color;
        bool operator==(const Run&) const = default;
    };

    PhraseOp(std::vector<Run> runs, double size, std::optional<Color> halo = std::nullopt);

    const std::vector<Run> runs;
    const double size;
    const std::optional<Color> halo;
    // The distance the front travels: run widths plus the gaps between runs.
    const double travel;

    double cost() const override { return 1.2 * travel + 0.25 * size; }
    void draw(cairo_t* cr, double t) const override;
    Rect bounds() const override;
    double ease(double x) const override;
    const char* className() const override { return "PhraseOp"; }

    // Where along the travel each run begins.
    const std::vector<double>& starts() const { return starts_; }

private:
    static double travelOf(const std::vector<Run>& runs, std::vector<double>& starts);
    void drawRun(cairo_t* cr, const Run& run) const;
};

}  // namespace nolby
