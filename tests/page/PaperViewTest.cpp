#include "PageTestSupport.h"

#include "ink/Ink.h"
#include "page/PageBack.h"
#include "page/PaperView.h"
#include "platform/Oklab.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using namespace nolby::testing;
using Side = PaperView::PageSide;

namespace {

class Paper : public ::testing::Test {
protected:
    void SetUp() override { registerFonts(); }
};

// The paper drawn alone (no texture) over a clear canvas of the view size.
std::unique_ptr<Canvas> drawn(PaperView p, Size view, const CoverBand::Look& band = {}) {
    p.ground = false;
    auto c = std::make_unique<Canvas>(view.width, view.height);
    p.draw(c->cr(), view, band);
    EXPECT_EQ(cairo_status(c->cr()), CAIRO_STATUS_SUCCESS);
    return c;
}

}  // namespace

TEST_F(Paper, FieldsForSingleAndSidedPages) {
    Notebook tall = titled("Fractions", 7);  // 400 × 869: the taller margins
    Notebook low = tall;
    low.pageH = 600;
    struct Case {
        const Notebook* nb;
        int64_t index;
        double s;
        Side side;
        bool ground;
        double top, furniture;
        std::optional<double> headY, folioY;
        bool openerBand, paperGround;
    };
    const Case cases[] = {
        {&tall, 0, 2, Side::single, false, 208, 1, std::nullopt, std::nullopt, true, true},
        {&low, 3, 1.5, Side::single, false, 114, 1, std::nullopt, std::nullopt, true, true},
        {&tall, 0, 2.2, Side::left, false, 2.2 * 104, 2, 2.2 * 68, 2.2 * 839, false, false},
        {&low, 1, 1.1, Side::right, true, 1.1 * 76, 1, 1.1 * 40, 1.1 * 570, false, true},
    };
    for (const Case& c : cases) {
        const PaperView p = PaperView::forPage(*c.nb, c.index, c.s, c.side, c.ground);
        EXPECT_EQ(p.pageSize, (Size{c.nb->pageW, c.nb->pageH}));
        EXPECT_EQ(p.scale, c.s);
        EXPECT_EQ(p.number, c.index + 1);
        EXPECT_EQ(p.notebook, PaperView::Issue(*c.nb));
        EXPECT_DOUBLE_EQ(p.top, c.top);
        EXPECT_DOUBLE_EQ(p.furniture, c.furniture);
        EXPECT_EQ(p.headY.has_value(), c.headY.has_value());
        if (c.headY) EXPECT_DOUBLE_EQ(*p.headY, *c.headY);
        EXPECT_EQ(p.folioY.has_value(), c.folioY.has_value());
        if (c.folioY) EXPECT_DOUBLE_EQ(*p.folioY, *c.folioY);
        EXPECT_EQ(p.openerBand, c.openerBand);
        EXPECT_EQ(p.side, c.side);
        EXPECT_EQ(p.ground, c.paperGround);
    }
}

TEST_F(Paper, MastheadText) {
    struct Case {
        const char* title;
        std::optional<int64_t> issue;
        const char* text;
    };
    const Case cases[] = {
        {"Fractions", 7, "NO. 007  \u00b7  FRACTIONS"},
        {"Fractions", std::nullopt, "NO. 001  \u00b7  FRACTIONS"},
        {"x", 0, "NO. 001  \u00b7  X"},
        {"x", -4, "NO. 001  \u00b7  X"},
        {"Stra\u00dfe", 1234, "NO. 1234  \u00b7  STRASSE"},
        {"", 7, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(PaperView::forPage(titled(c.title, c.issue), 0, 1, Side::single, true).masthead(), c.text);
    EXPECT_EQ(PaperView::forPage(titled("x"), 6, 1, Side::single, true).folioNumber(), "07");
    EXPECT_EQ(PaperView::forPage(titled("x"), 99, 1, Side::single, true).folioNumber(), "100");
}

TEST_F(Paper, BandOnlyOnATitledFirstPage) {
    const Size view{400, 869};
    struct Case {
        const char* title;
        int64_t index;
        Side side;
        bool band;
    };
    const Case cases[] = {
        {"Fractions", 0, Side::single, true},
        {"Fractions", 1, Side::single, false},
        {"", 0, Side::single, false},
        {"Fractions", 0, Side::left, false},  // spreads never carry it
    };
    const Color a = Color::hex(Mag::inks("blue").a);
    for (const Case& c : cases) {
        const PaperView p = PaperView::forPage(titled(c.title, 7), c.index, 1, c.side, true);
        EXPECT_EQ(p.opener(), c.band) << c.title << " " << c.index;
        auto canvas = drawn(p, view);
        // Band height max(104 − 18, 70) = 86: ink a under 42 % black at the top, the rule at
        // its foot, clear paper below.
        const Color top = canvas->pixel(10, 0);
        if (c.band) {
            EXPECT_NEAR(top.b, a.b * 0.58, 0.03) << top.hexString();
            EXPECT_NEAR(top.r, a.r * 0.58, 0.03) << top.hexString();
            EXPECT_EQ(canvas->pixel(10, 85).hexString(), Mag::black.hexString());
        } else {
            EXPECT_EQ(top.a, 0) << c.title << " " << c.index;
        }
        EXPECT_EQ(canvas->pixel(10, 87).a, 0);
    }
}

TEST_F(Paper, BandGradientEndsOnTheOklabMidpoint) {
    Notebook nb = titled("Fractions");
    nb.color = "red";
    PaperView p = PaperView::forPage(nb, 0, 1, Side::single, true);
    p.top = 418;  // a band 400 points high, so the bottom rows sit on the gradient's end
    auto canvas = drawn(p, {400, 869});
    const Mag::Inks inks = Mag::inks("red");
    const Color mid = oklab::mix(Color::hex(inks.b), Color::hex(inks.a), 0.5);
    // Near the bottom: the mix under 12 % black, with the grain's slight overlay.
    const Color bottom = canvas->pixel(200, 396);
    EXPECT_NEAR(bottom.r, mid.r * 0.88, 0.05) << bottom.hexString();
    EXPECT_NEAR(bottom.b, mid.b * 0.88, 0.05) << bottom.hexString();
}

TEST_F(Paper, MastheadPlacedBySide) {
    const double W = 600;
    struct Case {
        Side side;
        double anchor;  // the frame's centre, left edge or right edge
    };
    for (const Case& c : {Case{Side::single, W * 0.5}, Case{Side::left, W * 0.46 - W * 0.4},
                          Case{Side::right, W * 0.54 + W * 0.4}}) {
        const PaperView p = PaperView::forPage(titled("Fractions", 7), 1, 1, c.side, true);
        auto m = p.mastheadLine(W);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->line.run.text, "NO. 007  \u00b7  FRACTIONS");
        const double at = c.side == Side::single ? m->x + m->line.width() / 2
                          : c.side == Side::left ? m->x
                                                 : m->x + m->line.width();
        EXPECT_NEAR(at, c.anchor, 1e-9);
        const double centre = p.headY.value_or(72);
        EXPECT_NEAR(m->baseline - m->line.ascent + (m->line.ascent + m->line.descent) / 2, centre, 1e-9);
    }
    // A single page leaves 100 points either side: a long title is cut short to W − 200.
    const PaperView longTitle =
        PaperView::forPage(titled("The surprisingly long history of the humble fraction bar"), 1, 1, Side::single, true);
    auto m = longTitle.mastheadLine(W);
    ASSERT_TRUE(m);
    EXPECT_TRUE(m->line.truncated);
    EXPECT_LE(m->line.width(), W - 200);
    EXPECT_FALSE(longTitle.mastheadLine(150));  // no room at all
    EXPECT_FALSE(PaperView::forPage(titled(""), 0, 1, Side::single, true).mastheadLine(W));
}

TEST_F(Paper, OpenerMastheadIsWhiteWithAShadow) {
    const PaperView p = PaperView::forPage(titled("Fractions", 7), 0, 1, Side::single, true);
    Canvas c(400, 200);
    p.drawMasthead(c.cr(), 400);
    auto m = p.mastheadLine(400);
    ASSERT_TRUE(m);
    // Some letter pixel is white; just left of the line only the soft shadow reaches.
    bool white = false;
    for (double x = m->x; x < m->x + m->line.width() && !white; x += 0.5) {
        const Color px = c.pixel(static_cast<int>(x), static_cast<int>(m->baseline - 2));
        white = px.a > 0.95 && px.r > 0.95;
    }
    EXPECT_TRUE(white);
    const Color halo = c.pixel(static_cast<int>(m->x) - 2, static_cast<int>(m->baseline - 3));
    EXPECT_GT(halo.a, 0.01);
    EXPECT_LT(halo.a, 0.3);
    EXPECT_EQ(halo.r, 0);
}

TEST_F(Paper, FolioBySide) {
    const double W = 600, H = 900;
    using Kind = PaperView::FolioPart::Kind;
    // Page 12 on a right page: brand, rule, 12, the row centred 58 points in from the right.
    PaperView right = PaperView::forPage(titled("Fractions", 7), 11, 1, Side::right, true);
    right.furniture = 1;
    auto row = right.folio(W, *right.folioY + 0);
    ASSERT_EQ(row.size(), 3u);
    EXPECT_EQ(row[0].kind, Kind::brand);
    EXPECT_EQ(row[1].kind, Kind::rule);
    EXPECT_EQ(row[2].kind, Kind::number);
    EXPECT_EQ(row[0].text.run.text, "NOLBY");
    EXPECT_EQ(row[2].text.run.text, "12");
    EXPECT_NEAR((row[0].frame.minX() + row[2].frame.maxX()) / 2, W - 58, 1e-9);
    EXPECT_GT(row[2].frame.minX(), W - 58);
    EXPECT_NEAR(row[1].frame.minX() - row[0].frame.maxX(), 7, 1e-9);
    EXPECT_EQ(row[1].frame.w, 1);
    EXPECT_EQ(row[1].frame.h, 13);
    for (const auto& part : row) EXPECT_NEAR(part.frame.midY(), *right.folioY, 1e-9);
    EXPECT_EQ(row[2].color, Color::hex(Mag::inks("blue").a));

    // A single page reads number, rule, brand from 58 points in at the left, at H − 53.
    const PaperView single = PaperView::forPage(titled("Fractions"), 6, 1, Side::single, true);
    row = single.folio(W, H);
    ASSERT_EQ(row.size(), 3u);
    EXPECT_EQ(row[0].kind, Kind::number);
    EXPECT_EQ(row[0].text.run.text, "07");
    EXPECT_EQ(row[2].kind, Kind::brand);
    EXPECT_NEAR((row[0].frame.minX() + row[2].frame.maxX()) / 2, 58, 1e-9);
    EXPECT_NEAR(row[1].frame.midY(), H - 53, 1e-9);

    // Drawn: the number's box holds ink near the right edge.
    auto canvas = drawn(right, {W, H});
    const Rect n = right.folio(W, H)[2].frame;
    bool inked = false;
    for (double x = n.minX(); x < n.maxX() && !inked; x += 1)
        for (double y = n.minY(); y < n.maxY() && !inked; y += 1)
            inked = canvas->pixel(static_cast<int>(x), static_cast<int>(y)).a > 0.5;
    EXPECT_TRUE(inked);
}

TEST_F(Paper, BadSizesDrawNothing) {
    const Notebook nb = titled("Fractions", 7);
    const double nan = std::nan(""), inf = INFINITY;
    struct Case {
        Size view;
        double s;
    };
    const Case cases[] = {{{0.5, 800}, 1}, {{400, 0}, 1},   {{nan, 800}, 1},     {{400, inf}, 1},
                          {{400, 800}, nan}, {{400, 800}, inf}, {{-400, 800}, 1},   {{1e12, 800}, 1}};
    for (const Case& c : cases) {
        for (Side side : {Side::single, Side::right}) {
            Canvas canvas(50, 50);
            const PaperView p = PaperView::forPage(nb, 0, c.s, side, true);
            p.draw(canvas.cr(), c.view);
            drawPageBack(canvas.cr(), c.view, true, &p);
            EXPECT_EQ(cairo_status(canvas.cr()), CAIRO_STATUS_SUCCESS);
            // A non-finite scale leaves sided furniture undrawable; single pages keep their
            // fixed furniture but never draw through a bad view size.
            if (!(c.view.width >= 1 && c.view.height >= 1 && std::isfinite(c.view.width) &&
                  std::isfinite(c.view.height)))
                EXPECT_TRUE(blank(canvas)) << c.view.width << "x" << c.view.height;
        }
    }
}

TEST_F(Paper, PageBackFillsTheGroundThenThePaper) {
    const PaperView p = PaperView::forPage(titled("Fractions", 7), 1, 1, Side::single, false);
    Canvas c(300, 400);
    drawPageBack(c.cr(), {300, 400}, true, nullptr);
    EXPECT_EQ(c.pixel(150, 200).hexString(), Ink::paper.hexString());
    Canvas withPaper(300, 400);
    drawPageBack(withPaper.cr(), {300, 400}, false, &p);
    // The single form always draws its texture: opaque over the whole view.
    EXPECT_EQ(withPaper.pixel(0, 0).a, 1);
    EXPECT_EQ(withPaper.pixel(299, 399).a, 1);
}

TEST_F(Paper, KeptBackEqualsTheBackDrawnAnew) {
    const Notebook nb = titled("Fractions", 7);
    const std::optional<PaperView> paper = PaperView::forPage(nb, 0, 1, Side::single, true);
    PageBack back;
    for (double scale : {1.0, 2.0}) {
        Canvas direct(300, 500, scale), kept(300, 500, scale);
        drawPageBack(direct.cr(), {300, 500}, true, &*paper);
        back.draw(kept.cr(), {300, 500}, true, paper);
        EXPECT_EQ(bytes(direct), bytes(kept)) << scale;
    }
    EXPECT_EQ(back.renders(), 2);  // one bitmap per pixel scale
    Canvas again(300, 500, 2);
    back.draw(again.cr(), {300, 500}, true, paper);
    EXPECT_EQ(back.renders(), 2);  // unchanged: the kept bitmap
    back.draw(again.cr(), {300, 501}, true, paper);
    CoverBand::Look arriving;
    arriving.leaving = CoverBand::Shown{};
    arriving.progress = 0.5;
    back.draw(again.cr(), {300, 501}, true, paper, arriving);
    EXPECT_EQ(back.renders(), 4);
    // Nothing for a bad size or a context that cannot scale.
    back.draw(again.cr(), {0, 500}, true, paper);
    EXPECT_EQ(back.renders(), 4);
}
