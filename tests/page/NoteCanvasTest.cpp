#include "PageTestSupport.h"

#include "ink/Ink.h"
#include "ink/Rng.h"
#include "ink/ops/StrokeOp.h"
#include "model/InkCache.h"
#include "page/NoteCanvas.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::testing;

TEST(NoteCanvas, FaintWhileEmptyLearnerInkOnceTyped) {
    registerFonts();
    NoteCanvas note;
    note.editing.id = *Uuid::parse("6F9619FF-8B86-D011-B42D-00C04FC964FF");
    note.editing.x = 40, note.editing.y = 200, note.editing.width = 300;
    note.editing.anchor = Rect{60, 150, 80, 20};
    note.editing.about = "this";
    EXPECT_EQ(note.color(), Ink::faint);
    auto ops = note.ops();
    ASSERT_GE(ops.size(), 2u);  // the ring, then the quoted word ahead of the empty note
    auto ring = std::dynamic_pointer_cast<const StrokeOp>(ops[0]);
    ASSERT_TRUE(ring);
    EXPECT_EQ(ring->pen.color, Ink::faint);

    note.editing.text = "why";
    EXPECT_EQ(note.color(), Ink::learner);
    ops = note.ops();
    ring = std::dynamic_pointer_cast<const StrokeOp>(ops[0]);
    ASSERT_TRUE(ring);
    EXPECT_EQ(ring->pen.color, Ink::learner);
    // The ring the ink cache draws for the stored note, seeded from the note's id.
    const InkCache::Ring stored = InkCache::ring(*note.editing.anchor, stableHash(note.editing.id.string()), Ink::learner);
    ASSERT_TRUE(stored.op);
    EXPECT_EQ(ring->bounds(), stored.op->bounds());
    EXPECT_EQ(note.ops().size(), ops.size());

    // Drawn at the view's scale and the page's offset.
    Canvas c(800, 600);
    note.draw(c.cr(), 100, 2);
    EXPECT_EQ(cairo_status(c.cr()), CAIRO_STATUS_SUCCESS);
    bool inked = false;
    const Rect r = ring->bounds();
    for (double x = r.minX(); x < r.maxX() && !inked; x += 0.5)
        inked = c.pixel(static_cast<int>(100 + 2 * x), static_cast<int>(2 * r.midY())).a > 0.5;
    EXPECT_TRUE(inked);
}
