// Layer geometry, the tree and what a layer draws.
#include "LayerProbe.h"
#include "platform/layers/GradientLayer.h"
#include "platform/layers/LayerRender.h"
#include "platform/layers/ShapeLayer.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using nolby::test::px;
using nolby::test::blackPx;
using nolby::test::Px;

namespace {

const Px clearPx{0, 0, 0, 0};

ImageRef image(int w, int h, std::initializer_list<uint32_t> pixels) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    auto* data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s));
    int i = 0;
    for (uint32_t p : pixels) {
        data[(i / w) * cairo_image_surface_get_stride(s) / 4 + i % w] = p;
        ++i;
    }
    cairo_surface_mark_dirty(s);
    return Image::adopt(s);
}

LayerRef filled(Rect frame, Color c) {
    auto l = std::make_shared<Layer>();
    l->setFrame(frame);
    l->backgroundColor = c;
    return l;
}

}  // namespace

TEST(Layer, GeometryMapsTheAnchorToThePosition) {
    struct Case {
        Rect bounds;
        Point anchor, position;
        Affine transform;
        Point in, out;
    };
    const Case cases[] = {
        // The anchor point of the bounds lands on the position.
        {{0, 0, 40, 30}, {0.5, 0.5}, {100, 100}, {}, {20, 15}, {100, 100}},
        {{0, 0, 40, 30}, {0, 0}, {100, 100}, {}, {0, 0}, {100, 100}},
        // The bounds' origin is the coordinate of the top-left corner.
        {{10, 20, 40, 30}, {0, 0}, {100, 100}, {}, {10, 20}, {100, 100}},
        {{10, 20, 40, 30}, {0.5, 0.5}, {100, 100}, {}, {10, 20}, {80, 85}},
        // Transforms turn and scale about the anchor.
        {{10, 20, 40, 30}, {0.5, 0.5}, {100, 100}, Affine::scaling(2, 2), {10, 20}, {60, 70}},
        {{0, 0, 40, 30}, {1, 1}, {0, 0}, Affine::scaling(-1, 1), {0, 0}, {40, -30}},
        {{0, 0, 40, 30}, {0.5, 0.5}, {0, 0}, Affine::translation(5, 7), {20, 15}, {5, 7}},
        // A bare layer draws its sublayers where they are, moved by its transform only.
        {{0, 0, 0, 0}, {0.5, 0.5}, {0, 0}, Affine::translation(0, 40), {12, 30}, {12, 70}},
    };
    for (const Case& c : cases) {
        Layer l;
        l.bounds = c.bounds;
        l.anchorPoint = c.anchor;
        l.position = c.position;
        l.transform = c.transform;
        Point got = l.toSuperlayer(0).apply(c.in);
        EXPECT_NEAR(got.x, c.out.x, 1e-12);
        EXPECT_NEAR(got.y, c.out.y, 1e-12);
    }
}

TEST(Layer, FrameIsTheTransformedBoundsAndSetsSizeAndPosition) {
    Layer l;
    l.bounds = {5, 5, 0, 0};
    l.anchorPoint = {0.25, 0.5};
    l.setFrame({10, 20, 40, 30});
    EXPECT_EQ(l.bounds, (Rect{5, 5, 40, 30}));
    EXPECT_EQ(l.position, (Point{20, 35}));
    EXPECT_EQ(l.frame(), (Rect{10, 20, 40, 30}));
    l.transform = Affine::scaling(2, 2);
    EXPECT_EQ(l.frame(), (Rect{0, 5, 80, 60}));
}

TEST(Layer, TreeKeepsOrderAndOneSuperlayer) {
    auto a = std::make_shared<Layer>(), b = std::make_shared<Layer>();
    auto x = std::make_shared<Layer>(), y = std::make_shared<Layer>(), z = std::make_shared<Layer>();
    a->addSublayer(x);
    a->addSublayer(y);
    a->insertSublayer(z, 0);
    EXPECT_EQ(a->sublayers(), (std::vector<LayerRef>{z, x, y}));
    b->insertSublayer(x, 99);  // moves; index clamped
    EXPECT_EQ(a->sublayers(), (std::vector<LayerRef>{z, y}));
    EXPECT_EQ(b->sublayers(), (std::vector<LayerRef>{x}));
    EXPECT_EQ(x->superlayer(), b);
    y->removeFromSuperlayer();
    EXPECT_EQ(a->sublayers(), (std::vector<LayerRef>{z}));
    EXPECT_FALSE(y->superlayer());
    a->removeAllSublayers();
    EXPECT_TRUE(a->sublayers().empty());
    EXPECT_FALSE(z->superlayer());
    x->marks.insert("painting");
    EXPECT_TRUE(x->marked("painting"));
    EXPECT_FALSE(y->marked("painting"));
}

TEST(Layer, ContentsStretchBilinearlyWithPaddedEdges) {
    auto l = std::make_shared<Layer>();
    l->setFrame({0, 0, 100, 10});
    l->contents = image(2, 1, {0xFF000000, 0xFFFFFFFF});  // black, white
    ImageRef shot = layers::snapshot(*l, 100, 10, 1, 0);
    ASSERT_TRUE(shot);
    EXPECT_EQ(px(*shot, 0, 5), blackPx);  // the edges extend, never fade out
    EXPECT_EQ(px(*shot, 99, 5), (Px{255, 255, 255, 255}));
    Px mid = px(*shot, 50, 5);  // half way between the two pixel centres
    EXPECT_EQ(mid.a, 255);
    EXPECT_NEAR(mid.r, 128, 3);
    Px quarter = px(*shot, 37, 5);
    EXPECT_NEAR(quarter.r, 64, 3);
}

TEST(Layer, DrawsBackgroundCornersSublayersInOrderAndItsMask) {
    auto root = std::make_shared<Layer>();
    auto rounded = filled({0, 0, 40, 40}, Color{0, 0, 0, 1});
    rounded->cornerRadius = 10;
    auto under = filled({50, 0, 20, 20}, Color{1, 0, 0, 1});
    auto over = filled({60, 0, 20, 20}, Color{0, 0, 1, 1});
    // A half-covering mask in the layer's own space: only its left half shows.
    auto masked = filled({0, 50, 40, 20}, Color{0, 1, 0, 1});
    masked->mask = filled({0, 0, 20, 20}, Color{0, 0, 0, 1});
    // Sublayers in a layer whose bounds start at (100, 100).
    auto offset = std::make_shared<Layer>();
    offset->bounds = {100, 100, 30, 30};
    offset->anchorPoint = {0, 0};
    offset->position = {50, 50};
    offset->addSublayer(filled({110, 110, 10, 10}, Color{0, 0, 0, 1}));
    auto hidden = filled({0, 80, 20, 20}, Color{1, 0, 0, 1});
    hidden->hidden = true;
    auto flat = filled({30, 80, 20, 20}, Color{1, 0, 0, 1});
    flat->transform = Affine::scaling(1, 0);  // not invertible: shows nothing
    for (auto& l : {rounded, under, over, masked, offset, hidden, flat}) root->addSublayer(l);

    ImageRef shot = layers::snapshot(*root, 100, 100, 1, 0);
    ASSERT_TRUE(shot);
    EXPECT_EQ(px(*shot, 0, 0), clearPx);   // the rounded corner
    EXPECT_EQ(px(*shot, 20, 20), blackPx);
    EXPECT_EQ(px(*shot, 55, 5), (Px{255, 255, 0, 0}));
    EXPECT_EQ(px(*shot, 65, 5), (Px{255, 0, 0, 255}));  // later sublayers draw above
    EXPECT_EQ(px(*shot, 10, 60), (Px{255, 0, 255, 0}));
    EXPECT_EQ(px(*shot, 30, 60), clearPx);  // outside the mask
    EXPECT_EQ(px(*shot, 65, 65), blackPx);  // (110, 110) of the offset bounds
    EXPECT_EQ(px(*shot, 55, 55), clearPx);
    EXPECT_EQ(px(*shot, 10, 90), clearPx);
    EXPECT_EQ(px(*shot, 40, 90), clearPx);
}

TEST(Layer, OpacityAppliesToTheWholeGroup) {
    auto group = std::make_shared<Layer>();
    group->opacity = 0.5;
    group->addSublayer(filled({0, 0, 20, 20}, Color{0, 0, 0, 1}));
    group->addSublayer(filled({10, 0, 20, 20}, Color{0, 0, 0, 1}));
    ImageRef shot = layers::snapshot(*group, 40, 20, 1, 0);
    ASSERT_TRUE(shot);
    EXPECT_EQ(px(*shot, 5, 5), px(*shot, 15, 5));  // overlap no darker than one layer
    EXPECT_NEAR(px(*shot, 15, 5).a, 128, 1);
}

TEST(Layer, GradientsAxialAndRadialPadTheirEnds) {
    auto axial = std::make_shared<GradientLayer>();
    axial->setFrame({0, 0, 100, 10});
    axial->colors = {Color{0, 0, 0, 1}, Color{1, 1, 1, 1}};
    axial->startPoint = {0.25, 0.5};
    axial->endPoint = {0.75, 0.5};
    auto radial = std::make_shared<GradientLayer>();
    radial->type = GradientLayer::Type::radial;
    radial->setFrame({0, 20, 40, 40});
    radial->colors = {Color{0, 0, 0, 1}, Color{0, 0, 0, 0}};
    radial->startPoint = {0.5, 0.5};
    radial->endPoint = {1, 1};
    auto root = std::make_shared<Layer>();
    root->addSublayer(axial);
    root->addSublayer(radial);
    ImageRef shot = layers::snapshot(*root, 100, 60, 1, 0);
    ASSERT_TRUE(shot);
    EXPECT_EQ(px(*shot, 10, 5), blackPx);
    EXPECT_EQ(px(*shot, 90, 5), (Px{255, 255, 255, 255}));
    EXPECT_NEAR(px(*shot, 50, 5).r, 129, 2);
    EXPECT_NEAR(px(*shot, 20, 40).a, 246, 4);  // the centre
    EXPECT_NEAR(px(*shot, 30, 40).a, 121, 4);  // half way out
    EXPECT_EQ(px(*shot, 1, 21).a, 0);          // beyond the circle in the corner
}

TEST(Layer, StrokeEndOfAClosedPathAndItsDash) {
    auto s = std::make_shared<ShapeLayer>();
    s->setFrame({0, 0, 100, 100});
    s->path.addRect({10, 10, 80, 80});  // 320 around, clockwise from (10, 10)
    s->fillColor.reset();
    s->strokeColor = Color{0, 0, 0, 1};
    s->lineWidth = 4;
    s->strokeEnd = 0.5;  // the top and the right side
    ImageRef half = layers::snapshot(*s, 100, 100, 1, 0);
    ASSERT_TRUE(half);
    EXPECT_EQ(px(*half, 50, 10).a, 255);
    EXPECT_EQ(px(*half, 90, 50).a, 255);
    EXPECT_EQ(px(*half, 50, 90).a, 0);
    EXPECT_EQ(px(*half, 10, 50).a, 0);
    s->strokeEnd = 1;
    s->lineDashPattern = {10, 10};
    ImageRef dashed = layers::snapshot(*s, 100, 100, 1, 0);
    ASSERT_TRUE(dashed);
    EXPECT_EQ(px(*dashed, 15, 10).a, 255);
    EXPECT_EQ(px(*dashed, 25, 10).a, 0);
    EXPECT_EQ(px(*dashed, 10, 85).a, 255);  // closed: the left side is stroked too
}

TEST(Layer, SnapshotRefusesBadSizes) {
    Layer l;
    struct Case {
        double w, h, scale;
    };
    for (Case c : {Case{0, 10, 1}, Case{10, -1, 1}, Case{10, 10, 0}, Case{10, 10, NAN}, Case{INFINITY, 10, 1},
                   Case{10, 10, 1e9}, Case{40000, 10, 1}})
        EXPECT_FALSE(layers::snapshot(l, c.w, c.h, c.scale, 0)) << c.w << " " << c.h << " " << c.scale;
    ImageRef ok = layers::snapshot(l, 10.2, 5, 2, 0);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->width(), 21);
    EXPECT_EQ(ok->height(), 10);
}

TEST(Layer, RenderLeavesTheContextUsableAndItsStateUnchanged) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 20);
    cairo_t* cr = cairo_create(s);
    auto l = filled({0, 0, 10, 10}, Color{0, 0, 0, 1});
    l->opacity = 0.5;
    l->transform = Affine{NAN, 0, 0, 1, 0, 0};
    layers::render(cr, *l, 0);
    l->transform = Affine::identity();
    l->compositingFilter = BlendMode::multiply;
    l->mask = filled({0, 0, 10, 10}, Color{0, 0, 0, 1});
    layers::render(cr, *l, 0);
    EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    EXPECT_EQ(m.xx, 1);
    EXPECT_EQ(m.x0, 0);
    EXPECT_EQ(cairo_get_operator(cr), CAIRO_OPERATOR_OVER);
    cairo_destroy(cr);
    cairo_surface_destroy(s);
}
