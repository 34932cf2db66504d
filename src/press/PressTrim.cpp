// Trimming a painting's mat. Painters like to hand back a picture on a plain card (a white
// or coloured border); a cover wants the picture alone. A border is cut only when it shows on
// all four sides, and then a little more, so no sliver of it is left at the edges.
#include "press/Press.h"

#include "platform/Pict.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>

namespace nolby {

namespace {

constexpr double kReach = 0.24;     // at most this much of each dimension is looked at per side
constexpr double kLeast = 0.012;    // a border thinner than this on any side keeps the picture whole
constexpr double kPad = 0.012;      // cut this much more inside a border that is cut
constexpr int kStride = 3;          // every third pixel of a line is sampled
constexpr int kNear = 80;           // summed channel distance to the border's colour that still matches
constexpr int kLight = 212;         // a pixel whose least channel is this light ...
constexpr int kNeutral = 26;        // ... and whose channels spread this little matches any border
constexpr int kShare = 85;          // per cent of a line's samples that must match

using RGB = std::array<int, 3>;

// The pixels of a cairo image (ARGB32 or RGB24: the colour sits in the low 24 bits of each
// 32-bit word, premultiplied) read as red, green, blue.
struct Pixels {
    const unsigned char* data;
    int width, height, stride;
    RGB at(int x, int y) const {
        const uint32_t p = *reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride + x * 4);
        return {int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
    }
};

// How many lines from one edge are border, up to `limit`. `line(i)` gives the samples of
// the i-th line counted from that edge.
int side(int limit, const std::function<std::vector<RGB>(int)>& line) {
    if (limit <= 0) return 0;
    const std::vector<RGB> outer = line(0);
    if (outer.empty()) return 0;
    RGB ref{};
    for (int c = 0; c < 3; ++c) {
        std::vector<int> v;
        v.reserve(outer.size());
        for (const RGB& s : outer) v.push_back(s[c]);
        std::sort(v.begin(), v.end());
        ref[c] = v[v.size() / 2];
    }
    for (int i = 0; i < limit; ++i) {
        const std::vector<RGB> samples = i == 0 ? outer : line(i);
        size_t matches = 0;
        for (const RGB& s : samples) {
            const int distance = std::abs(s[0] - ref[0]) + std::abs(s[1] - ref[1]) + std::abs(s[2] - ref[2]);
            const int lo = std::min({s[0], s[1], s[2]}), hi = std::max({s[0], s[1], s[2]});
            if (distance <= kNear || (lo >= kLight && hi - lo <= kNeutral)) ++matches;
        }
        if (matches * 100 < samples.size() * kShare) return i;
    }
    return limit;
}

}  // namespace

Press::Crop Press::trim(const Image& picture) {
    cairo_surface_t* surface = picture.surface();
    const Pixels px{cairo_image_surface_get_data(surface), picture.width(), picture.height(),
                    cairo_image_surface_get_stride(surface)};
    const int W = px.width, H = px.height;
    const Crop whole{0, 0, W, H};
    if (!px.data || W <= 0 || H <= 0) return whole;

    auto row = [&](int y) {
        std::vector<RGB> s;
        for (int x = 0; x < W; x += kStride) s.push_back(px.at(x, y));
        return s;
    };
    auto column = [&](int x) {
        std::vector<RGB> s;
        for (int y = 0; y < H; y += kStride) s.push_back(px.at(x, y));
        return s;
    };
    const int limitY = static_cast<int>(H * kReach), limitX = static_cast<int>(W * kReach);
    const int top = side(limitY, [&](int i) { return row(i); });
    const int bottom = side(limitY, [&](int i) { return row(H - 1 - i); });
    const int left = side(limitX, [&](int i) { return column(i); });
    const int right = side(limitX, [&](int i) { return column(W - 1 - i); });

    const double least = std::min({double(top) / H, double(bottom) / H, double(left) / W, double(right) / W});
    if (least < kLeast) return whole;
    const int padX = static_cast<int>(W * kPad), padY = static_cast<int>(H * kPad);
    const Crop crop{left + padX, top + padY, W - left - right - 2 * padX, H - top - bottom - 2 * padY};
    if (!(crop.width > W * 0.5) || !(crop.height > H * 0.5)) return whole;
    return crop;
}

std::optional<Press::Bytes> Press::finish(std::span<const uint8_t> painting) {
    std::shared_ptr<const Image> picture = Pict::image(painting);
    if (!picture) return std::nullopt;
    const Crop crop = trim(*picture);
    if (crop == Crop{0, 0, picture->width(), picture->height()}) return Pict::encode(*picture, Pict::jpeg, 0.9);
    // The kept part, read in place from the decoded picture.
    cairo_surface_t* source = picture->surface();
    const int stride = cairo_image_surface_get_stride(source);
    unsigned char* origin = cairo_image_surface_get_data(source) + static_cast<size_t>(crop.y) * stride + crop.x * 4;
    std::shared_ptr<const Image> kept = Image::adopt(cairo_image_surface_create_for_data(
        origin, cairo_image_surface_get_format(source), crop.width, crop.height, stride));
    if (!kept) return Pict::encode(*picture, Pict::jpeg, 0.9);
    return Pict::encode(*kept, Pict::jpeg, 0.9);
}

}  // namespace nolby
