#pragma once
// Fig: the figure interpreter. A figure is a list of small JSON items ("k" names the kind:
// lines, boxes, circles, paths, doodles, text, labels, charts ...) drawn by hand in a frame
// 100 units wide. One Fig draws one figure: the maker builds it, calls `draw` once with the
// item list and takes `ops`.
//
// The ink depends on the seed and on the whole list in order: every stroke draws from the
// figure's one `rough` and every text from its one `hand`, item after item. Measuring never
// draws: text that is only measured uses a fresh handwriting layouter each time.
//
// Tutor input never fails a figure: items that are not objects are skipped, unknown kinds
// draw nothing, keys that are not numbers take their defaults, every number read from an
// item is clamped (`cl`), and every list is cut to a fixed bound before it is drawn.

#include "ink/Faces.h"
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/J.h"
#include "ink/Rough.h"
#include "ink/ops/InkOp.h"
#include "platform/Color.h"
#include "platform/FontSource.h"
#include "platform/Geometry.h"
#include "platform/Path.h"

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class RegexPattern;
U_NAMESPACE_END

namespace nolby {

class Fig final {
public:
    // seed: the figure's seed. (ox, oy): page position of figure point (0, 0). k: points per
    // figure unit. boxH: the figure's height in units. textSize, lineWidth: base sizes in points.
    Fig(uint64_t seed, double ox, double oy, double k, double boxH, double textSize, double lineWidth);
    Fig(const Fig&) = delete;
    Fig& operator=(const Fig&) = delete;

    std::vector<InkOpRef> ops;  // in drawing order; the maker takes them after `draw`
    const uint64_t seed;
    const double ox, oy, k, boxH, textSize, lineWidth;
    const double u;   // text unit, textSize / 23: small gaps, insets, arrowhead sizes
    const double pw;  // pen unit, lineWidth / 2.5
    Rough rough;      // every stroke of the figure
    Hand hand;        // every text of the figure
    Color halo = Ink::paper;

    // ---- Bounds on what one figure draws (tutor data is cut to these before drawing) ----
    // Object items drawn per figure; later ones are ignored. Rich figures hold a few dozen.
    static constexpr size_t kMaxItems = 500;
    // Points read from one "pts" list (a polyline or polygon); the rest are ignored.
    static constexpr size_t kMaxPoints = 200;
    // Values read by `strings` and `ints`; every kind cuts its lists far shorter.
    static constexpr size_t kMaxValues = 1000;
    // Every number read from an item lies within ±kLimit units.
    static constexpr double kLimit = 1000;
    // Shrink steps of `fit`; its rule stops far earlier unless the text unit is degenerate.
    static constexpr int kMaxFitTries = 64;

    // Draws the items (a JSON array; anything else draws nothing) in order into `ops`.
    void draw(const nlohmann::json& items);

    // A named doodle centred on (cx, cy) in a square of side `size` (page points), outlined
    // in `color`; `fill` names the wash of its closed shapes (nil: only "heart", "star" and
    // "spark" are filled, in their outline's colour). Unknown names draw the spark.
    void doodle(const std::string& name, double cx, double cy, double size, Color color,
                const std::optional<std::string>& fill);

    // The figure clamp: non-finite gives 0, then the value is limited to ±kLimit.
    static double cl(double v);

    // Kinds in which "w" is a width, not a stroke-weight factor.
    static const std::set<std::string>& widthKinds();
    // Doodle name to path data in a 10 by 10 box, y down.
    static const std::map<std::string, std::string>& doodles();

    // ---- Shared operations of the figure kinds ----

    // Wash fill and hatching named by the item's "fill" ("" or "none" in any case: nothing).
    // rounded: each polygon becomes the rounded rectangle of its bounds. washPath: the wash's
    // own outline (the polygons then only steer the hatching).
    void fill(const J& o, std::vector<std::vector<Point>> polygons, bool rounded, const Path* washPath);
    // Hatch strokes over the polygons in the fill tone of `name`; nothing for shapes 3000
    // points or more across.
    void hatch(const std::vector<std::vector<Point>>& polygons, const std::string& name, double gap, double width,
               double pace);
    // Highlighter wash of a rectangle, or of the ellipse inscribed in it, inset by 1.5 u.
    void wash(Rect rect, const std::string& name);
    void washOval(Rect rect, const std::string& name);
    // Arrowheads at the end (">") and/or start ("<") of a polyline.
    void arrows(const std::string& heads, const std::vector<Point>& points, Color color, double w);
    // The item's list of [x, y] pairs as page points (at most kMaxPoints).
    std::vector<Point> points(const J& o, std::string_view key) const;
    // The polyline split into runs at turns sharper than about 50 degrees; runs share corners.
    static std::vector<std::vector<Point>> corners(const std::vector<Point>& points);
    static Rect bounds(const std::vector<Point>& points);
    // Outline of a rounded rectangle: 4 corners, or 20 points (four quarter arcs) when r > 0.5.
    static std::vector<Point> roundedPoly(Rect rect, double r);

    // The first notebook colour name whose stroke colour is `c`; "yellow" when none is.
    static std::string colorName(Color c);
    // Colour name (or "#rrggbb") to the pale wash of fills; unknown names give grey.
    static Color washColor(const std::string& name);
    // Colour name (or "#rrggbb") to the highlighter colour of cells and nodes.
    static Color markerColor(const std::string& name);

    // A number as text: integers without decimals, else at most four decimals, never "-0".
    static std::string num(double v);
    // One text per element: strings unchanged, numbers and Booleans through `num`, the rest "".
    static std::vector<std::string> strings(const nlohmann::json* list);
    // Numbers, Booleans and numeric strings of an array, limited to ±10^6 and rounded.
    static std::vector<int> ints(const nlohmann::json* value);
    // One value as an integer like `ints`, or the fallback.
    static int int_(const nlohmann::json* value, int fallback);

    // ---- Figure text ----

    struct Setting {
        double size = 0, left = 0, tw = 0;
        bool operator==(const Setting&) const = default;
    };

    // One line of text with its baseline at figure point (x, y): face "print" (glyph
    // outlines), "pencil" (quick handwriting) or any other (handwriting with markup).
    // Returns its box on the page; null for blank text.
    Rect text(const std::string& text, double x, double y, const std::string& align, double size, Color color,
              const std::string& face);
    // Handwriting centred on a point with an optional curved leader arrow to "to".
    void label(const J& o, Color color);
    // The "text" of a box or circle, centred in its rectangle, shrunk to fit (not below 62 %).
    void inside(const std::string& text, Rect rect, const J& o);
    // Text centred in a rectangle (cells, nodes, captions); size caps the point size.
    void fit(const std::string& text, Rect rect, Color color, std::optional<double> size, Faces::Face face);
    // Point size, left edge and width of a handwritten line anchored at x.
    Setting setting(const std::string& text, double x, const std::string& align, double size);
    // Print-face text centred in a cell on one line, shrunk to 88 % of the cell's width.
    void printIn(const std::string& text, Rect rect, Color color, double size);

    // System families standing in for the print face, first choice first: URW's C059 (a
    // Century Schoolbook) is the nearest installed relative of Charter's sturdy, open serif;
    // Nimbus Roman has Times New Roman's metrics.
    static constexpr const char* kCharterStandIn = "C059";
    static constexpr const char* kTimesStandIn = "Nimbus Roman";
    using FamilyLookup = std::shared_ptr<const FontFile> (*)(const std::string& family);
    // The print face at a size: the first stand-in that fontconfig really has, else the
    // second, else the system fallback. `lookup` is replaceable for tests.
    static std::shared_ptr<const Font> printFont(double size, FamilyLookup lookup = &systemfonts::family);

    // Every inline-markup token of handwritten text; compiled once, shared read-only.
    static const icu::RegexPattern& markup();
    // The text without its markup tokens: what handwriting will show, for measuring.
    static std::string unmarked(const std::string& text);

    // ---- Chart and diagram kinds, each group in its own files ----

    // [axes] Axes, plots and braces (FigAxes*.cpp); dot arrays (FigDots.cpp).
    void axes(const J& o, const std::vector<J>& plots, Color color);
    void plot(const J& o, Color color, double w);
    void brace(const J& o, Color color, double w);
    void dots(const J& o, Color color);
    // [/axes]

    // [cells] Cells and number lines (FigCells*.cpp, FigNumberline*.cpp).
    void cells(const J& o, Color color, double w);
    void numberline(const J& o, Color color, double w);
    // [/cells]

    // [charts] Pie charts, tables and bar charts (FigPie.cpp, FigTable.cpp, FigBars.cpp).
    void pie(const J& o, Color color, double w);
    void table(const J& o, Color color, double w);
    void bars(const J& o, Color color, double w);
    // [/charts]

    // [diagrams] Trees and flow charts (FigTree*.cpp, FigFlow*.cpp).
    void tree(const J& o, Color color, double w);
    void flow(const J& o, Color color, double w);
    // [/diagrams]

private:
    void item(const J& o, const std::vector<J>& plots);
    // Puts the wash fills made since `start` under the strokes and text made since then.
    void settle(size_t start);

    void line(const J& o, const std::string& kind, Color color, double w);
    void box(const J& o, Color color, double w);
    void ellipse(const J& o, Color color, double w);
    void polygon(const J& o, Color color, double w);
    void svgPath(const J& o, Color color, double w);
    void dot(const J& o, Color color);

    // The figure point (x, y), each clamped, in page points.
    Point at(double x, double y) const { return {ox + cl(x) * k, oy + cl(y) * k}; }
    // Left edge of a line of width tw anchored at x, kept inside the figure's width.
    double placed(double x, double tw, const std::string& align) const;
    // Handwriting measured with a fresh layouter, so the figure's own stays untouched.
    Hand::Result measure(const std::string& text, double width, double size, Faces::Face face) const;
    void append(const Hand::Result& r);
    // The figure pen: round cap and join, normal blend, solid.
    static Pen pen(Color color, double width);
};

}  // namespace nolby
