#include "platform/Pict.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace nolby;

namespace {

// An image whose premultiplied ARGB pixels are given row by row.
std::shared_ptr<const Image> imageOf(int w, int h, const std::vector<uint32_t>& argb) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) reinterpret_cast<uint32_t*>(data + y * stride)[x] = argb[size_t(y) * w + x];
    cairo_surface_mark_dirty(s);
    return Image::adopt(s);
}

// A smooth opaque picture, kind to JPEG.
std::shared_ptr<const Image> gradient(int w, int h) {
    std::vector<uint32_t> px;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px.push_back(0xFF000000u | uint32_t(x * 255 / (w - 1)) << 16 | uint32_t(y * 255 / (h - 1)) << 8 | 0x60u);
    return imageOf(w, h, px);
}

uint32_t pixel(const Image& img, int x, int y) {
    cairo_surface_flush(img.surface());
    const unsigned char* data = cairo_image_surface_get_data(img.surface());
    return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(img.surface()))[x];
}

int channelDiff(uint32_t a, uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 32; shift += 8)
        most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::vector<uint8_t>*>(closure)->insert(static_cast<std::vector<uint8_t>*>(closure)->end(), data,
                                                        data + length);
    return CAIRO_STATUS_SUCCESS;
}

// Two pixels stored with straight alpha: red at alpha 128, and a colour at alpha 0.
const std::vector<uint8_t> kStraightRgba = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0xf4, 0x22, 0x7f, 0x8a, 0x00, 0x00, 0x00,
    0x11, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0xd0, 0xc0, 0x25, 0x22, 0xc7, 0x00, 0x00,
    0x0b, 0x21, 0x01, 0xbc, 0xb5, 0xf0, 0x0b, 0xe6, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42,
    0x60, 0x82};
// One palette pixel, blue, made translucent (alpha 64) by a transparency chunk.
const std::vector<uint8_t> kPaletteWithAlpha = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x03, 0x00, 0x00, 0x00, 0x28, 0xcb, 0x34, 0xbb, 0x00, 0x00, 0x00,
    0x03, 0x50, 0x4c, 0x54, 0x45, 0x00, 0x00, 0xff, 0x8a, 0x78, 0xd2, 0x57, 0x00, 0x00, 0x00, 0x01, 0x74, 0x52,
    0x4e, 0x53, 0x40, 0x36, 0x3a, 0x99, 0xf6, 0x00, 0x00, 0x00, 0x0a, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63,
    0x60, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x48, 0xaf, 0xa4, 0x71, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e,
    0x44, 0xae, 0x42, 0x60, 0x82};
// A valid header claiming 40000 by 40000 pixels, and no pixel data.
const std::vector<uint8_t> kHuge = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d,
                                    0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x9c, 0x40, 0x00, 0x00, 0x9c, 0x40,
                                    0x08, 0x06, 0x00, 0x00, 0x00, 0x51, 0x0c, 0x0e, 0x05, 0x00, 0x00, 0x00,
                                    0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

}  // namespace

TEST(Pict, PngDecodesToPremultipliedAlpha) {
    auto rgba = Pict::image(kStraightRgba);
    ASSERT_TRUE(rgba);
    EXPECT_EQ(rgba->width(), 2);
    EXPECT_EQ(rgba->height(), 1);
    EXPECT_EQ(pixel(*rgba, 0, 0), 0x80800000u);
    EXPECT_EQ(pixel(*rgba, 1, 0), 0x00000000u);

    auto palette = Pict::image(kPaletteWithAlpha);
    ASSERT_TRUE(palette);
    EXPECT_EQ(pixel(*palette, 0, 0), 0x40000040u);
}

TEST(Pict, PngRoundTripKeepsTranslucentPixels) {
    const std::vector<uint32_t> px = {0xFF102030, 0x80402000, 0x00000000, 0x01010000, 0xC0C0C0C0, 0xFFFFFFFF};
    auto original = imageOf(3, 2, px);
    auto bytes = Pict::encode(*original, Pict::png);
    ASSERT_TRUE(bytes);
    auto back = Pict::image(*bytes);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->width(), 3);
    ASSERT_EQ(back->height(), 2);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(pixel(*back, i % 3, i / 3), px[size_t(i)]) << i;

    // Cairo's own PNG reader agrees about what was written.
    struct Reader {
        const std::vector<uint8_t>* bytes;
        size_t at = 0;
    } reader{&*bytes};
    cairo_surface_t* theirs = cairo_image_surface_create_from_png_stream(
        [](void* c, unsigned char* data, unsigned int length) {
            auto* r = static_cast<Reader*>(c);
            if (r->at + length > r->bytes->size()) return CAIRO_STATUS_READ_ERROR;
            std::copy_n(r->bytes->data() + r->at, length, data);
            r->at += length;
            return CAIRO_STATUS_SUCCESS;
        },
        &reader);
    auto theirImage = Image::adopt(theirs);
    ASSERT_TRUE(theirImage);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(pixel(*theirImage, i % 3, i / 3), px[size_t(i)]) << i;
}

TEST(Pict, OpaqueBitmapsEncodeOpaque) {
    // RGB24 leaves the top byte undefined; it must not turn into alpha.
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 2, 1);
    cairo_surface_flush(s);
    auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s));
    row[0] = 0x00123456u;
    row[1] = 0x7F654321u;
    cairo_surface_mark_dirty(s);
    auto rgb = Image::adopt(s);
    auto back = Pict::image(*Pict::encode(*rgb, Pict::png));
    ASSERT_TRUE(back);
    EXPECT_EQ(pixel(*back, 0, 0), 0xFF123456u);
    EXPECT_EQ(pixel(*back, 1, 0), 0xFF654321u);
    EXPECT_TRUE(Pict::encode(*rgb, Pict::jpeg));
}

TEST(Pict, ReadsPngWrittenByCairo) {
    auto original = imageOf(2, 2, {0xFF00FF00, 0x7F7F0000, 0x00000000, 0xFF123456});
    std::vector<uint8_t> bytes;
    ASSERT_EQ(cairo_surface_write_to_png_stream(original->surface(), appendBytes, &bytes), CAIRO_STATUS_SUCCESS);
    auto back = Pict::image(bytes);
    ASSERT_TRUE(back);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(pixel(*back, i % 2, i / 2), pixel(*original, i % 2, i / 2)) << i;
}

TEST(Pict, JpegRoundTripStaysClose) {
    auto original = gradient(48, 32);
    auto bytes = Pict::encode(*original, Pict::jpeg, 0.9);
    ASSERT_TRUE(bytes);
    auto back = Pict::image(*bytes);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->width(), 48);
    ASSERT_EQ(back->height(), 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) {
            EXPECT_EQ(pixel(*back, x, y) >> 24, 0xFFu);
            EXPECT_LE(channelDiff(pixel(*back, x, y), pixel(*original, x, y)), 8) << x << "," << y;
        }
}

TEST(Pict, JpegQualityDefaultsToPointNineAndIsDeterministic) {
    auto original = gradient(40, 40);
    auto byDefault = Pict::encode(*original, Pict::jpeg);
    auto explicitly = Pict::encode(*original, Pict::jpeg, 0.9);
    ASSERT_TRUE(byDefault && explicitly);
    EXPECT_EQ(*byDefault, *explicitly);
    auto coarse = Pict::encode(*original, Pict::jpeg, 0.2);
    ASSERT_TRUE(coarse);
    EXPECT_LT(coarse->size(), byDefault->size());
    // Out-of-range and broken qualities still give a file.
    EXPECT_TRUE(Pict::encode(*original, Pict::jpeg, -3));
    EXPECT_TRUE(Pict::encode(*original, Pict::jpeg, 7));
    EXPECT_TRUE(Pict::encode(*original, Pict::jpeg, NAN));
}

TEST(Pict, JpegDropsAlphaAsOverBlack) {
    auto half = imageOf(8, 8, std::vector<uint32_t>(64, 0x80800000u));  // red at alpha 128
    auto back = Pict::image(*Pict::encode(*half, Pict::jpeg, 1.0));
    ASSERT_TRUE(back);
    EXPECT_LE(channelDiff(pixel(*back, 3, 3), 0xFF800000u), 3);
}

// Some writers leave off the end marker after complete data; such files still read.
TEST(Pict, JpegWithoutEndMarkerReads) {
    auto original = gradient(24, 16);
    auto bytes = *Pict::encode(*original, Pict::jpeg);
    auto whole = Pict::image(bytes);
    bytes.resize(bytes.size() - 2);
    auto unended = Pict::image(bytes);
    ASSERT_TRUE(whole && unended);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) EXPECT_EQ(pixel(*unended, x, y), pixel(*whole, x, y));
}

TEST(Pict, UnknownTypeEncodesNothing) {
    auto img = gradient(4, 4);
    EXPECT_FALSE(Pict::encode(*img, "public.tiff"));
    EXPECT_FALSE(Pict::encode(*img, ""));
}

TEST(Pict, UnreadableBytesGiveNoImage) {
    auto pngBytes = *Pict::encode(*gradient(16, 16), Pict::png);
    auto jpegBytes = *Pict::encode(*gradient(16, 16), Pict::jpeg);
    auto cut = [](std::vector<uint8_t> b, size_t n) {
        b.resize(n);
        return b;
    };
    auto flipped = [](std::vector<uint8_t> b, size_t at) {
        b[at] ^= 0x5A;
        return b;
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {"empty", {}},
        {"text", {'h', 'e', 'l', 'l', 'o'}},
        {"png signature only", cut(pngBytes, 8)},
        {"png cut in its header", cut(pngBytes, 20)},
        {"png cut in its pixels", cut(pngBytes, pngBytes.size() - 20)},
        {"png with a damaged pixel chunk", flipped(pngBytes, pngBytes.size() - 20)},
        {"png claiming 40000 by 40000", kHuge},
        {"jpeg start marker only", cut(jpegBytes, 3)},
        {"jpeg cut in its header", cut(jpegBytes, 40)},
        {"jpeg cut in its pixels", cut(jpegBytes, jpegBytes.size() - 12)},
        {"jpeg cut at half", cut(jpegBytes, jpegBytes.size() / 2)},
        {"jpeg start then noise", {0xFF, 0xD8, 0xFF, 0x13, 0x37, 0x00, 0xFF, 0xFF, 0x42}},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Pict::image(c.bytes)) << c.name;
        EXPECT_FALSE(Pict::thumbnail(c.bytes, 8)) << c.name;
    }
}

TEST(Pict, ThumbnailsFitTheLongerSide) {
    auto wideJpeg = *Pict::encode(*imageOf(400, 200, std::vector<uint32_t>(80000, 0xFF2080C0u)), Pict::jpeg);
    auto tallPng = *Pict::encode(*imageOf(30, 60, std::vector<uint32_t>(1800, 0xFF2080C0u)), Pict::png);
    struct Case {
        const std::vector<uint8_t>* bytes;
        int maxPixel, w, h;
    };
    const Case cases[] = {
        {&wideJpeg, 100, 100, 50},  // reduced in the decoder
        {&wideJpeg, 130, 130, 65},  // between the decoder's scales
        {&wideJpeg, 1000, 400, 200},  // never enlarged
        {&tallPng, 20, 10, 20},
        {&tallPng, 60, 30, 60},
    };
    for (const auto& c : cases) {
        auto t = Pict::thumbnail(*c.bytes, c.maxPixel);
        ASSERT_TRUE(t) << c.maxPixel;
        EXPECT_EQ(t->width(), c.w) << c.maxPixel;
        EXPECT_EQ(t->height(), c.h) << c.maxPixel;
        // A flat colour stays that colour, edges included.
        EXPECT_LE(channelDiff(pixel(*t, 0, 0), 0xFF2080C0u), 3);
        EXPECT_LE(channelDiff(pixel(*t, t->width() - 1, t->height() - 1), 0xFF2080C0u), 3);
    }
    EXPECT_FALSE(Pict::thumbnail(wideJpeg, 0));
}
