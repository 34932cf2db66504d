#include "LibraryTestSupport.h"

#include "platform/Pict.h"

#include <cairo.h>

using namespace nolby;
using namespace nolby::test;

namespace {

// A 2 by 1 PNG: white paper and black ink.
std::string paintingPng() {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2, 1);
    cairo_surface_flush(surface);
    auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
    row[0] = 0xFFFFFFFFu;
    row[1] = 0xFF000000u;
    cairo_surface_mark_dirty(surface);
    auto image = Image::adopt(surface);
    auto bytes = Pict::encode(*image, Pict::png);
    return std::string(bytes->begin(), bytes->end());
}

void write(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

uint32_t pixel(const Image& image, int x) {
    cairo_surface_flush(image.surface());
    return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(image.surface()))[x];
}

}  // namespace

TEST(LibrarySketch, AMissingSketchIsFoundOnceWrittenAndThenServedFromTheCache) {
    Store s;
    Library& lib = s.open();
    EXPECT_EQ(lib.sketches, s.data.path / "Sketches");
    EXPECT_FALSE(lib.loadSketch("A.png"));
    write(lib.sketches / "A.png", "not a png yet");
    EXPECT_FALSE(lib.loadSketch("A.png"));  // undecodable: not cached either
    write(lib.sketches / "A.png", paintingPng());
    auto ink = lib.loadSketch("A.png");
    ASSERT_TRUE(ink);
    EXPECT_EQ(pixel(*ink, 0), 0u);           // the paper is gone
    EXPECT_EQ(pixel(*ink, 1), 0xFF000000u);  // the ink stays
    fs::remove(lib.sketches / "A.png");
    EXPECT_EQ(lib.loadSketch("A.png"), ink);
}

TEST(LibrarySketch, OnlyABareFileNameInTheSketchFolderIsRead) {
    Store s;
    Library& lib = s.open();
    const std::string png = paintingPng();
    write(s.data.path / "x.png", png);  // what "../x.png" would reach
    fs::create_directories(lib.sketches / "sub");
    write(lib.sketches / "sub" / "y.png", png);
    write(lib.sketches / "..png", png);
    for (const char* name : {"../x.png", "", "sub/y.png", "/etc/passwd", ".", "..", "..png", "./..png"})
        EXPECT_FALSE(lib.loadSketch(name)) << name;
    EXPECT_FALSE(lib.loadSketch(std::string("y.png\0/../x.png", 15)));
}
