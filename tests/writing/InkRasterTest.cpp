#include "writing/InkRaster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace nolby;

namespace {

// An operation that covers exactly `area` and paints it black.
class Box final : public InkOp {
public:
    explicit Box(Rect area) : area(area) {}
    Rect area;
    Rect bounds() const override { return area; }
    void draw(cairo_t* cr, double t) const override {
        if (!(t > 0) || area.isNull()) return;
        cairo_rectangle(cr, area.x, area.y, area.w, area.h);
        cairo_set_source_rgba(cr, 0, 0, 0, 1);
        cairo_fill(cr);
    }
};

std::vector<InkOpRef> box(double x, double y, double w, double h) { return {std::make_shared<Box>(Rect{x, y, w, h})}; }

// The alpha byte of one pixel of a bitmap.
int alphaAt(const InkRaster::Raster& r, int x, int y) {
    cairo_surface_t* s = r.image->surface();
    cairo_surface_flush(s);
    const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    return int(reinterpret_cast<const uint32_t*>(row)[x] >> 24);
}

struct Fixture {
    std::shared_ptr<ManualScheduler> sched = std::make_shared<ManualScheduler>();
    std::shared_ptr<InkRaster> cache;
    int readies = 0;
    explicit Fixture(size_t budget = InkRaster::defaultByteBudget) {
        cache = std::make_shared<InkRaster>(sched, budget);
        cache->ready = [this] { ++readies; };
    }
    // Runs one background render and hands its result to the main thread.
    void finish(size_t index = 0) {
        sched->runBackground(index);
        sched->runPosted();
    }
};

}  // namespace

TEST(InkRaster, RenderCropsToThePixelBox) {
    auto r = InkRaster::render(box(10, 20, 30, 40), 2);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->image->width(), 76);
    EXPECT_EQ(r->image->height(), 96);
    EXPECT_EQ(r->frame, (Rect{6, 16, 38, 48}));
    // The box lies 4 points (8 pixels) inside the bitmap's edges: page points, y down.
    EXPECT_EQ(alphaAt(*r, 8, 8), 255);
    EXPECT_EQ(alphaAt(*r, 67, 87), 255);
    EXPECT_EQ(alphaAt(*r, 7, 8), 0);
    EXPECT_EQ(alphaAt(*r, 68, 87), 0);
    EXPECT_EQ(alphaAt(*r, 8, 88), 0);

    // Fractional bounds: floor on the low side, ceil on the high side.
    auto f = InkRaster::render(box(0.3, 0.3, 1, 1), 3);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frame, (Rect{-4, -4, 28.0 / 3, 28.0 / 3}));  // pixels -12 ... 16
}

TEST(InkRaster, RenderRefusesWhatItCannotDraw) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        std::vector<InkOpRef> ops;
        double scale;
        bool drawn;
    };
    const Case cases[] = {
        {"no operations", {}, 2, false},
        {"only null bounds", {std::make_shared<Box>(Rect::null())}, 2, false},
        {"null bounds skipped", {std::make_shared<Box>(Rect::null()), box(0, 0, 5, 5)[0]}, 2, true},
        {"a hairline 0 high", box(0, 10, 100, 0), 2, false},
        {"just under 4000 wide", box(0, 0, 3999.9, 10), 1, true},
        {"exactly 4000 wide", box(0, 0, 4000, 10), 1, false},
        {"exactly 4000 high", box(0, 0, 10, 4000), 1, false},
        {"NaN bounds", box(nan, 0, 10, 10), 2, false},
        {"scale 0", box(0, 0, 10, 10), 0, false},
        {"negative scale", box(0, 0, 10, 10), -2, false},
        {"NaN scale", box(0, 0, 10, 10), nan, false},
        {"infinite scale", box(0, 0, 10, 10), inf, false},
        {"more pixels than cairo holds", box(0, 0, 10, 10), 1e4, false},
    };
    for (const auto& c : cases) EXPECT_EQ(InkRaster::render(c.ops, c.scale).has_value(), c.drawn) << c.name;
}

TEST(InkRaster, ScalesShareKeysToAThousandth) {
    EXPECT_EQ(InkRaster::combinedKey(7, 2.0), InkRaster::combinedKey(7, 2.0004));
    EXPECT_NE(InkRaster::combinedKey(7, 2.0), InkRaster::combinedKey(7, 2.001));
    EXPECT_NE(InkRaster::combinedKey(7, 2.0), InkRaster::combinedKey(8, 2.0));
    // Halves round away from zero.
    EXPECT_EQ(InkRaster::combinedKey(7, 2.0005), InkRaster::combinedKey(7, 2.001));
}

TEST(InkRaster, OneBackgroundRenderPerItemAndKey) {
    Fixture f;
    Uuid id = Uuid::random();
    auto ops = box(10, 20, 30, 40);
    EXPECT_FALSE(f.cache->raster(id, 1, ops, 2));
    EXPECT_FALSE(f.cache->raster(id, 1, ops, 2.0004));  // same key: no second render
    EXPECT_EQ(f.sched->backgroundCount(), 1u);
    f.finish();
    EXPECT_EQ(f.readies, 1);
    auto hit = f.cache->raster(id, 1, ops, 2);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->frame, (Rect{6, 16, 38, 48}));
    EXPECT_EQ(f.sched->backgroundCount(), 0u);

    // Nothing to draw is remembered too: asking again starts no render.
    Uuid blank = Uuid::random();
    EXPECT_FALSE(f.cache->raster(blank, 1, {}, 2));
    f.finish();
    EXPECT_FALSE(f.cache->raster(blank, 1, {}, 2));
    EXPECT_EQ(f.sched->backgroundCount(), 0u);
    EXPECT_EQ(f.cache->count(), 2u);
}

TEST(InkRaster, AStaleResultIsStoredUnderItsOwnKey) {
    Fixture f;
    Uuid id = Uuid::random();
    f.cache->raster(id, 1, box(0, 0, 10, 10), 2);
    f.cache->raster(id, 2, box(0, 0, 20, 20), 2);  // the content changed: a second render
    ASSERT_EQ(f.sched->backgroundCount(), 2u);
    f.finish(0);  // the old render finishes first
    EXPECT_EQ(f.readies, 1);
    EXPECT_FALSE(f.cache->raster(id, 2, box(0, 0, 20, 20), 2));  // still pending, no new render
    EXPECT_EQ(f.sched->backgroundCount(), 1u);
    f.finish(0);
    auto fresh = f.cache->raster(id, 2, box(0, 0, 20, 20), 2);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->frame, (Rect{-4, -4, 28, 28}));
}

TEST(InkRaster, NowRendersAtOnceWhilePending) {
    Fixture f;
    Uuid id = Uuid::random();
    auto ops = box(0, 0, 10, 10);
    EXPECT_FALSE(f.cache->raster(id, 5, ops, 2));
    auto at = f.cache->now(id, 5, ops, 2);
    ASSERT_TRUE(at);
    EXPECT_EQ(f.readies, 0);
    EXPECT_EQ(f.cache->raster(id, 5, ops, 2), at);  // a hit, no second render
    f.finish();  // the background result is stored again and told
    EXPECT_EQ(f.readies, 1);
    EXPECT_TRUE(f.cache->raster(id, 5, ops, 2));
    EXPECT_EQ(f.sched->backgroundCount(), 0u);
}

TEST(InkRaster, TheOldestStoreLeavesFirst) {
    Fixture f;
    std::vector<Uuid> ids;
    auto ops = box(0, 0, 2, 2);
    for (size_t i = 0; i < InkRaster::limit + 1; ++i) {
        ids.push_back(Uuid::random());
        f.cache->now(ids.back(), 1, ops, 1);
        if (i == 10) {
            EXPECT_TRUE(f.cache->raster(ids[0], 1, ops, 1));  // a read does not renew it
        }
    }
    EXPECT_EQ(f.cache->count(), InkRaster::limit);
    EXPECT_FALSE(f.cache->raster(ids[0], 1, ops, 1));  // gone: a miss starts a render
    EXPECT_EQ(f.sched->backgroundCount(), 1u);
    // Storing an item again moves it to the newest place: the next eviction spares it.
    f.cache->now(ids[1], 2, ops, 1);
    f.cache->now(Uuid::random(), 1, ops, 1);
    EXPECT_TRUE(f.cache->raster(ids[1], 2, ops, 1));
    EXPECT_FALSE(f.cache->now(ids[2], 1, {}, 1));  // ids[2] had gone; stored afresh as nothing
    EXPECT_EQ(f.cache->count(), InkRaster::limit);
}

TEST(InkRaster, BitmapsStayWithinTheByteBudget) {
    // A 10 x 10 box at scale 1 is an 18 x 18 bitmap: 72 bytes a row, 1296 bytes.
    Fixture f(3 * 1296);
    std::vector<Uuid> ids;
    auto ops = box(0, 0, 10, 10);
    for (int i = 0; i < 4; ++i) {
        ids.push_back(Uuid::random());
        f.cache->now(ids.back(), 1, ops, 1);
    }
    EXPECT_EQ(f.cache->count(), 3u);
    EXPECT_EQ(f.cache->bytes(), 3u * 1296);
    EXPECT_FALSE(f.cache->raster(ids[0], 1, ops, 1));
    // One bitmap over the whole budget stays as the newest entry; everything older goes.
    Uuid big = Uuid::random();
    EXPECT_TRUE(f.cache->now(big, 1, box(0, 0, 100, 100), 1));
    EXPECT_EQ(f.cache->count(), 1u);
    EXPECT_TRUE(f.cache->raster(big, 1, {}, 1));
}

TEST(InkRaster, ResultsForAGoneCacheAreDropped) {
    Fixture f;
    f.cache->raster(Uuid::random(), 1, box(0, 0, 10, 10), 2);
    f.cache.reset();
    f.finish();
    EXPECT_EQ(f.readies, 0);
}
