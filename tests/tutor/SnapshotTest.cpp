// The pictures of a request: the page as it looks, and the new pen strokes on white.
#include "TutorTestSupport.h"

#include "ink/Ink.h"
#include "platform/Pict.h"
#include "tutor/Snapshot.h"

namespace nolby::test {
namespace {

std::shared_ptr<const Image> decoded(const std::optional<Snapshot::Png>& png) {
    EXPECT_TRUE(png);
    return png ? Pict::image(*png) : nullptr;
}

std::pair<int, int> sizeOf(const std::optional<Snapshot::Png>& png) {
    auto image = decoded(png);
    return image ? std::make_pair(image->width(), image->height()) : std::make_pair(0, 0);
}

// The straight colour of a pixel.
Color pixel(const Image& image, int x, int y) {
    cairo_surface_flush(image.surface());
    const uint8_t* data = cairo_image_surface_get_data(image.surface());
    const uint32_t p = *reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(image.surface()) + 4 * x);
    const double a = (p >> 24) / 255.0;
    if (a == 0) return {0, 0, 0, 0};
    return {((p >> 16) & 255) / 255.0 / a, ((p >> 8) & 255) / 255.0 / a, (p & 255) / 255.0 / a, a};
}

// Whether any pixel of the picture is close to the colour.
bool shows(const Image& image, Color c) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Color p = pixel(image, x, y);
            if (std::fabs(p.r - c.r) < 0.04 && std::fabs(p.g - c.g) < 0.04 && std::fabs(p.b - c.b) < 0.04) return true;
        }
    return false;
}

TEST(Snapshot, PagePicturesKeepTheirLongerSideWithinLimits) {
    struct Case {
        double pageW, pageH, lowest;
        std::pair<int, int> pixels;
    };
    // No ink, ink down to 500 on a tall page (cut 200 below it), and down to 1500.
    for (const Case c : {Case{400, 869, 0, {640, 1390}}, Case{600, 1600, 500, {960, 1120}}, Case{600, 1600, 1500, {585, 1560}}}) {
        ModelRig rig;
        NotebookModel& m = rig.open(notebookOf({{}}, c.pageH, c.pageW));
        if (c.lowest > 0) {
            PageItem ink(paragraph(c.lowest - 100));
            primeInk(m, ink, c.lowest - 100, c.lowest);
            m.mutate(0, false, [&](std::vector<PageItem>& items) { items.push_back(ink); });
        }
        EXPECT_EQ(sizeOf(Snapshot::page(m, 0, 1.6)), c.pixels) << c.pageW << "x" << c.pageH << " " << c.lowest;
    }
}

TEST(Snapshot, TheNoteBeingTypedShowsOnItsOwnPageOnly) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}, {}}));
    m.editing.set(NotebookModel::Editing{0, Uuid::random(), 28, 118, 344, "Why is the sky blue?"});
    auto typed = decoded(Snapshot::page(m, 0, 1));
    auto other = decoded(Snapshot::page(m, 1, 1));
    ASSERT_TRUE(typed && other);
    EXPECT_TRUE(shows(*typed, Ink::learner));
    EXPECT_FALSE(shows(*other, Ink::learner));
    EXPECT_TRUE(shows(*other, Ink::paper));
}

TEST(Snapshot, NewStrokesAreCutTightOnWhiteInInkOrTheirMarkerColour) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    StrokeItem red = stroke(100, 200, 30, 0);
    red.color = "red";
    PageItem pen(red);
    primeInk(m, pen, 200, 204, 100, 30);  // ink bounds 30 by 4
    auto image = decoded(Snapshot::newInk(m, {{0, pen}}, 3));
    ASSERT_TRUE(image);
    EXPECT_EQ(std::make_pair(image->width(), image->height()), std::make_pair(162, 84));
    EXPECT_EQ(pixel(*image, 0, 0), (Color{1, 1, 1, 1}));
    EXPECT_TRUE(shows(*image, Ink::ink));
    EXPECT_FALSE(shows(*image, Ink::color(std::string("red"), Ink::ink)));

    PageItem marker(stroke(60, 300, 120, 0, "marker"));
    auto marked = decoded(Snapshot::newInk(m, {{0, marker}}, 3));
    ASSERT_TRUE(marked);
    EXPECT_FALSE(shows(*marked, Ink::ink));

    EXPECT_FALSE(Snapshot::newInk(m, {{0, PageItem(StrokeItem{})}}, 3));  // a stroke without ink
    EXPECT_FALSE(Snapshot::newInk(m, {}, 3));
}

TEST(Snapshot, ALongStrokeMakesNoHugePicture) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}, 1600, 600));
    PageItem pen(stroke(30, 100, 0, 1400));
    auto image = decoded(Snapshot::newInk(m, {{0, pen}}, 3));
    ASSERT_TRUE(image);
    EXPECT_LE(std::max(image->width(), image->height()), 1560);
}

}  // namespace
}  // namespace nolby::test
