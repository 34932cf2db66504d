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

    // A plot's formula sampled over its x range, with the y range it is drawn in (y0 at the
    // bottom of the box, y1 at the top). ys may hold NaN and infinities.
    struct Sampled {
        double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
        std::vector<double> xs, ys;
        bool operator==(const Sampled&) const = default;
    };
    // Samples per plot, both ends of the x range included.
    static constexpr int kSamples = 221;
    // A box in figure units, y down from its top-left corner; w and h may be negative.
    struct Box {
        double x = 0, y = 0, w = 0, h = 0;
        bool operator==(const Box&) const = default;
    };
    // An axes or plot item's box, each number clamped: its "box" list, else "x", "y", "w",
    // "h" when it has "x" and "w"; none otherwise.
    std::optional<Box> boxOf(const J& o) const;
    // The item's formula "f" sampled over "x0" … "x1", ranged by "y0"/"y1" or by its finite
    // values; none when the formula, the x range or the y range is unusable.
    std::optional<Sampled> sample(const J& o) const;
    // [/axes]

    // [cells] Cells and number lines (FigCells*.cpp, FigNumberline*.cpp).
    void cells(const J& o, Color color, double w);
    void numberline(const J& o, Color color, double w);

    // Bounds on the lists of one cells item or number line; a figure 100 units wide shows
    // far fewer before they pile on top of each other.
    static constexpr size_t kMaxCells = 128;
    static constexpr size_t kMaxCellGroups = 64, kMaxCellPointers = 64;
    static constexpr size_t kMaxLineRanges = 32, kMaxLineJumps = 32, kMaxLinePoints = 48;
    static constexpr size_t kMaxLineTicks = 200;

    // A curly brace from a to b, bulging down (right when nearly vertical), its label depth0 +
    // drop beyond the tip with a leader when dropped. Returns the label's box, else null.
    Rect braceAt(Point a, Point b, const std::string& label, Color color, double width, double depth0, double drop);
    // The pieces of the segment a-b that stay clear of the rectangles grown by 2 u, from a
    // to b; pieces of 3 u or less are dropped.
    std::vector<std::pair<Point, Point>> clear(Point a, Point b, const std::vector<Rect>& around) const;
    // Nil, or nothing but white space and line breaks.
    static bool blank(const std::optional<std::string>& text);
    // The ink of a range label: dark gold for the yellow and gold washes, else the name's colour.
    static Color rangeInk(const std::string& name);
    // Whether the segment a-b passes through any of the rectangles (sampled every 1.5 points).
    static bool crosses(Point a, Point b, const std::vector<Rect>& rects);

private:
    // One cells item as laid out, and what its later steps look up.
    struct CellArray {
        std::vector<std::string> vals;
        std::vector<bool> ellipsis;
        bool column = false;
        double L = 0, T = 0, W = 0, H = 0, cw = 0, ch = 0;
        std::set<int> hl;
        std::vector<J> groups;
        std::map<int, Rect> indexLabels;  // column index labels, by cell
        std::vector<Rect> braceLabels, pointerLabels;
        int n() const { return static_cast<int>(vals.size()); }
        Rect cell(int i) const;
    };
    void washCells(const CellArray& a, int first, int last, const std::string& name);
    void cellWashes(const CellArray& a, const std::string& highlight);
    void cellGrid(const CellArray& a, Rough& grid, Color color, double width);
    void cellContents(const J& o, const CellArray& a);
    void cellIndexLabels(const J& o, CellArray& a);
    void cellBraces(CellArray& a, double width);
    void cellPointers(const J& o, CellArray& a, Rough& grid);

    // One number line: where values sit, and the labels and arcs placed so far.
    struct NumberScale {
        double from = 0, to = 1, span = 1, lo = 0, hi = 1;
        double X0 = 0, Y = 0, W = 0, R = 0;
        std::vector<Rect> labels;
        std::vector<Point> arcs;
        double pos(double v) const;
    };
    void lineRanges(const J& o, NumberScale& s);
    void lineAxis(const J& o, const NumberScale& s, Color color, double w);
    void lineTicks(const J& o, const NumberScale& s, Color color, double w);
    void lineJumps(const J& o, NumberScale& s);
    void linePoints(const J& o, NumberScale& s);
    // Where a point label of width lw and size ps goes over the dot at x: (left, top).
    Point pointLabel(const NumberScale& s, double x, double lw, double ps) const;
    // Where the leader from a label at lx leaves it for the dot at x.
    double footX(double x, double lx, double lw) const;
    // The baseline of a range or jump label, lifted until it clears the earlier labels.
    double lifted(const NumberScale& s, const Setting& st, double b, double growX, double growY) const;

    // Markup-free width of a text in the hand face.
    static double plainWidth(const std::string& text, double size);
    // Handwriting with the figure's hand: left aligned, marks on, default line height.
    void handLine(const std::string& text, double x, double top, double width, double size, Color color,
                  std::optional<Color> halo);

public:
    // [/cells]

    // [charts] Pie charts, tables and bar charts (FigPie.cpp, FigTable.cpp, FigBars.cpp).
    void pie(const J& o, Color color, double w);
    void table(const J& o, Color color, double w);
    void bars(const J& o, Color color, double w);
    // Slices per pie and bars per chart; finer than this is unreadable at a figure's size.
    static constexpr size_t kMaxSlices = 64;
    static constexpr size_t kMaxBars = 64;
    // Table entries looked at in "rows", cells kept per row, and "hl" entries looked at
    // (one per cell of the largest table).
    static constexpr size_t kMaxTableRows = 60;
    static constexpr size_t kMaxTableCells = 16;
    static constexpr size_t kMaxTableMarks = kMaxTableRows * kMaxTableCells;

private:
    // The wash and hatching of one pie slice from angle `start` over `sweep` (radians).
    void pieSlice(Point centre, double radius, double start, double sweep, const std::string& name);
    // One washed, hatched and outlined bar.
    void bar(Rect rect, const std::string& name, double w);

public:
    // [/charts]

    // [diagrams] Trees and flow charts (FigTree*.cpp, FigFlow*.cpp).
    void tree(const J& o, Color color, double w);
    void flow(const J& o, Color color, double w);

    // One drawn node of a tree: built depth-first from its object, then given its column
    // (`slot`: leaves 0, 1, 2 ..., a parent midway between its first and last child) and
    // its centre on the page.
    class Node final {
    public:
        Node(J o, int depth) : o(std::move(o)), depth(depth) {}
        J o;
        int depth = 0;
        std::vector<std::shared_ptr<Node>> kids;
        double x = 0, y = 0;
        double slot = 0;
    };
    using NodeRef = std::shared_ptr<Node>;

    // Nodes drawn per tree, counted in pre-order; later ones are left out with their subtrees.
    static constexpr int kMaxTreeNodes = 200;
    // The deepest node drawn (the root is 0), so a tree has at most 11 rows.
    static constexpr int kMaxTreeDepth = 10;
    // Steps drawn per flow chart; later entries are ignored.
    static constexpr size_t kMaxFlowSteps = 16;

private:
    // What every part of one tree shares, in page points: column width, row height, node
    // width and height, circle width.
    struct TreeFrame {
        double left = 0, top = 0, CW = 0, RH = 0, NW = 0, NH = 0, CWd = 0;
        bool circle = false, none = false, elbow = false, arrows = false;
    };
    // Edge strokes and arrowheads of a tree, and its edge labels, gathered before drawing.
    struct TreeEdges {
        Path lines, heads;
        std::vector<InkOpRef> labels;
    };
    static NodeRef treeBuild(const J& o, int depth, int& budget);
    static void treeWalk(const NodeRef& node, std::vector<NodeRef>& list);
    static void treePlace(Node& node, int& counter);
    static int treeSpan(const Node& node);
    void straightEdges(const std::vector<NodeRef>& list, const TreeFrame& f, TreeEdges& e);
    void elbowEdges(const std::vector<NodeRef>& list, const TreeFrame& f, TreeEdges& e);
    // A parent box with elbow edges spreads over its leaves.
    double spreadWidth(const Node& node, const TreeFrame& f) const;
    // The size `fit` settles on for a text in a w by h box, without writing it.
    double fitSize(const std::string& text, double w, double h, double cap) const;
    double treeTextSize(const std::vector<NodeRef>& list, const TreeFrame& f) const;
    void treeNode(const Node& node, const std::string& itemColor, const TreeFrame& f, double cap, double w);

    // One step of a flow chart; `color` is its own colour name, else the chart's.
    struct FlowStep {
        std::string text, color, fill;
    };
    // One flow chart as laid out: its area, its steps' boxes and, for a cycle, the ring.
    struct FlowChart {
        bool cycle = false, column = false, circle = false, none = false;
        Rect area;
        Point Z;
        double Rx = 0, Ry = 0;
        std::vector<FlowStep> steps;
        std::vector<Rect> boxes;
        std::vector<std::string> labels;  // "edges", one per arrow
        Color arrowColor;
        size_t n() const { return steps.size(); }
        double angle(size_t i) const;
    };
    void flowRow(FlowChart& c) const;
    void flowColumn(FlowChart& c) const;
    void flowCycle(FlowChart& c) const;
    void flowStep(const FlowChart& c, size_t i, double w);
    void flowArrow(const FlowChart& c, size_t i);
    // The usable stretch of the ring between boxes i and j, or nothing.
    std::vector<Point> flowArc(const FlowChart& c, size_t i, size_t j) const;
    // Top-left corner of a cycle label pushed out from A along D, clear of the boxes where it can be.
    Point cycleLabelSpot(const FlowChart& c, Point A, Point D, double tw, double s) const;
    // Markup-free width of a label in the hand face.
    static double labelWidth(const std::string& text, double size);

public:
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
