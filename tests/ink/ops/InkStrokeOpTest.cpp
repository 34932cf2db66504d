#include "ink/Freehand.h"
#include "ink/Ink.h"
#include "ink/ops/InkStrokeOp.h"
#include "OpsTestSupport.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::testing;

namespace {

// A stroke that owns its samples, read through the PenStroke view as a stored stroke is.
struct Stroke {
    std::vector<float> pts;
    std::string color;
    double width;
    std::string tool;
    operator PenStroke() const { return {pts, color, width, tool}; }
    std::vector<Point> points() const { return PenStroke(*this).points(); }
    std::vector<double> pressures() const { return PenStroke(*this).pressures(); }
};

Stroke stroke(std::vector<float> pts, const char* tool = "pen", const char* color = "blue", double width = 3) {
    return Stroke{std::move(pts), color, width, tool};
}

// A wavy stroke across the box with the given pressure at every sample.
std::vector<float> wave(float pressure, int n = 40) {
    std::vector<float> pts;
    for (int i = 0; i < n; ++i) {
        pts.push_back(10 + 2.5f * i);
        pts.push_back(30 + 8 * std::sin(i * 0.3f));
        pts.push_back(pressure);
    }
    return pts;
}

std::vector<Freehand::Sample> samples(const Stroke& item) {
    std::vector<Freehand::Sample> out;
    auto points = item.points();
    auto pressures = item.pressures();
    for (size_t i = 0; i < points.size(); ++i) out.push_back({points[i], pressures[i]});
    return out;
}

Freehand::Options pen(double width, bool simulate) { return {width, 0.55, 0.42, 6, 8, 0.25, simulate}; }
Freehand::Options marker(double width, bool simulate) { return {width, 0, 0.55, 0, 0, 0.25, simulate}; }

}  // namespace

TEST(PenStroke, PointsAndPressuresTakeWholeTriples) {
    struct Case {
        std::vector<float> pts;
        std::vector<Point> points;
        std::vector<double> pressures;
    };
    const Case cases[] = {
        {{}, {}, {}},
        {{1, 2}, {}, {}},
        {{1, 2, 0.5f}, {{1, 2}}, {0.5}},
        {{1, 2, 0.5f, 4}, {{1, 2}}, {0.5}},
        {{1, 2, 0.5f, 4, 5}, {{1, 2}}, {0.5}},
        {{1, 2, 0.5f, 4, 5, 0.25f}, {{1, 2}, {4, 5}}, {0.5, 0.25}},
        {{1, 2, 0.5f, 4, 5, 0.25f, 7}, {{1, 2}, {4, 5}}, {0.5, 0.25}},
    };
    for (const Case& c : cases) {
        Stroke item = stroke(c.pts);
        EXPECT_EQ(item.points(), c.points) << c.pts.size();
        EXPECT_EQ(item.pressures(), c.pressures) << c.pts.size();
    }
    // Samples are single precision, as stored.
    EXPECT_EQ(stroke({0.1f, 0, 0.7f}).points()[0].x, static_cast<double>(0.1f));
}

TEST(InkStrokeOp, PenPressureOrSimulatedPressure) {
    struct Case {
        std::vector<float> pressures;
        bool simulate;
    };
    const Case cases[] = {
        {{0.5f, 0.5f, 0.5f, 0.5f}, true},       // the neutral value of a device without pressure
        {{0, 0, 0, 0}, true},                   // missing
        {{0.5005f, 0.4995f, 0.5f, 0}, true},    // within 0.001 of neutral
        {{-0.7f, 0.5f, 0.5f, 0.5f}, true},      // only positive pressures count
        {{0.5f, 0.5f, 0.7f, 0.5f}, false},      // one real pressure anywhere
        {{0.2f, 0.3f, 0.9f, 1.0f}, false},
    };
    for (const Case& c : cases) {
        std::vector<float> pts;
        for (size_t i = 0; i < c.pressures.size(); ++i) {
            pts.insert(pts.end(), {10.0f + 12 * i, 20.0f + 3 * (i % 2), c.pressures[i]});
        }
        Stroke item = stroke(pts, "pen", "ink", 4);
        InkStrokeOp op(item, Ink::ink);
        EXPECT_EQ(op.path, Freehand::outline(samples(item), pen(4, c.simulate))) << c.pressures[2];
        EXPECT_EQ(op.color, Ink::ink);
        EXPECT_EQ(op.blend, BlendMode::normal);
    }
}

TEST(InkStrokeOp, HighlighterIsConstantWidthInItsMarkerColourMultiplied) {
    struct Case {
        const char* color;
        Color marker;
    };
    const Case cases[] = {
        {"pink", Color::hex(0xffc2da, 0.9)},
        {"Green", Color::hex(0xb7f0c0, 0.9)},
        {"purple", Color::hex(0xffec80, 0.9)},  // not in the marker table: yellow
        {"", Color::hex(0xffec80, 0.9)},
    };
    for (const Case& c : cases) {
        Stroke item = stroke(wave(0.9f), "marker", c.color, 14);
        InkStrokeOp op(item, Ink::ink);
        EXPECT_EQ(op.color, c.marker) << c.color;
        EXPECT_EQ(op.blend, BlendMode::multiply);
        EXPECT_EQ(op.path, Freehand::outline(samples(item), marker(14, false)));
    }
    // Whatever the pressures say, a straight highlighter stroke is exactly its width high.
    std::vector<float> pts;
    for (int i = 0; i < 30; ++i) pts.insert(pts.end(), {10.0f + 3 * i, 40, 0.05f * (i % 20)});
    Rect marked = InkStrokeOp(stroke(pts, "marker", "yellow", 12), Ink::ink).bounds();
    EXPECT_NEAR(marked.minY(), 34, 1e-9);
    EXPECT_NEAR(marked.maxY(), 46, 1e-9);
    // The pen over the same samples swells and tapers with them.
    Rect inked = InkStrokeOp(stroke(pts, "Marker", "yellow", 12), Ink::ink).bounds();
    EXPECT_GT(inked.maxY(), 46.5);
}

TEST(InkStrokeOp, CostBoundsAndWholeRevealAtAnyProgress) {
    Stroke item = stroke(wave(0.8f), "pen", "ink", 3);
    InkStrokeOp op(item, Color::hex(0x2a4b9b));
    EXPECT_EQ(op.cost(), 20);
    EXPECT_EQ(op.pace(), 1);
    EXPECT_EQ(op.pause, 0);
    EXPECT_EQ(op.ease(0.37), 0.37);
    EXPECT_EQ(op.bounds(), op.path.boundingBox());
    EXPECT_GT(op.bounds().w, 95);
    EXPECT_STREQ(op.className(), "InkStrokeOp");

    EXPECT_TRUE(blank(render(op, 0)));
    EXPECT_TRUE(blank(render(op, -1)));
    auto whole = render(op, 1);
    EXPECT_FALSE(blank(whole));
    EXPECT_EQ(render(op, 0.01), whole);
    EXPECT_EQ(render(op, 2), whole);

    // No samples: no outline, no ink, no bounds.
    InkStrokeOp empty(stroke({3, 4}), Ink::ink);
    EXPECT_TRUE(empty.path.isEmpty());
    EXPECT_TRUE(empty.bounds().isNull());
    EXPECT_TRUE(blank(render(empty, 1)));
}

TEST(InkStrokeOp, HighlighterMultipliesOverInkAndRestoresTheContext) {
    Canvas c(60, 40);
    c.fill(Ink::paper);
    Path bar;
    bar.addRect({28, 0, 4, 40});
    cairo_set_source_rgb(c.cr(), 0, 0, 0);
    draw::appendPath(c.cr(), bar);
    cairo_fill(c.cr());
    InkStrokeOp op(stroke({5, 20, 0.5f, 55, 20, 0.5f}, "marker", "yellow", 14), Ink::ink);
    op.draw(c.cr(), 1);
    EXPECT_EQ(cairo_get_operator(c.cr()), CAIRO_OPERATOR_OVER);
    EXPECT_EQ(c.pixel(30, 20), Color::hex(0x000000));  // black stays black under a highlighter
    Color over = c.pixel(10, 20);                        // paper takes the marker tone
    EXPECT_NEAR(over.b, (0x80 / 255.0 * 0.9 + 0.1) * (0xf1 / 255.0), 2 / 255.0);
    EXPECT_EQ(c.pixel(10, 35), Ink::paper);
}
