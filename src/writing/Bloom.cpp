#include "writing/Bloom.h"

#include "ink/Rng.h"
#include "writing/BloomField.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace nolby {

namespace bloom {

namespace {

constexpr int C = Bloom::columns;

struct Cell {
    bool painted;
    double colour;
};

// A source pixel as the grid sees it: composited over white.
Cell sample(uint32_t px) {
    double a = double(px >> 24) / 255;
    double r = 1 - a + double((px >> 16) & 0xFF) / 255;
    double g = 1 - a + double((px >> 8) & 0xFF) / 255;
    double b = 1 - a + double(px & 0xFF) / 255;
    return {a > 0.12, a * (std::max({r, g, b}) - std::min({r, g, b}))};
}

double distance(double x0, double y0, double x1, double y1) {
    double dx = x1 - x0, dy = y1 - y0;
    return std::sqrt(dx * dx + dy * dy);
}

// Smooth value noise over a 32 x 32 lattice that wraps.
struct Noise {
    std::array<double, 1024> lattice;
    double at(double x, double y) const {
        double ix = std::floor(x), iy = std::floor(y);
        double fx = x - ix, fy = y - iy;
        auto v = [&](double px, double py) {
            long i = (long(px) % 32 + 32) % 32, j = (long(py) % 32 + 32) % 32;
            return lattice[size_t(j * 32 + i)];
        };
        double tl = v(ix, iy), tr = v(ix + 1, iy), bl = v(ix, iy + 1), br = v(ix + 1, iy + 1);
        double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
        double top = tl + sx * (tr - tl), bottom = bl + sx * (br - bl);
        return top + sy * (bottom - top);
    }
};

}  // namespace

Field field(const uint32_t* pixels, int w, int h, size_t stride, uint64_t seed) {
    Field f;
    f.rows = Bloom::rowsFor(w, h);
    const int rows = f.rows, n = C * rows;

    // One sample per cell, on integer arithmetic.
    std::vector<Cell> cells(static_cast<size_t>(n));
    for (int r = 0; r < rows; ++r) {
        int y = std::min((r * h) / rows + h / (2 * rows), h - 1);
        for (int c = 0; c < C; ++c) {
            int x = std::min((c * w) / C + w / (2 * C), w - 1);
            cells[size_t(r * C + c)] = sample(pixels[size_t(y) * stride + size_t(x)]);
        }
    }

    std::vector<int> candidates;
    for (int i = 0; i < n; ++i)
        if (cells[size_t(i)].painted && cells[size_t(i)].colour > 0.08) candidates.push_back(i);
    if (candidates.empty())
        for (int i = 0; i < n; ++i)
            if (cells[size_t(i)].painted) candidates.push_back(i);
    // Nothing painted: the cell at index rows·60, which is the middle row's first column
    // when the row count is even.
    if (candidates.empty()) candidates.push_back(rows * 60);
    auto at = [](int index) { return Seed{double(index % C), double(index / C), 0}; };

    // The most coloured candidate starts at once; five more, spread apart by best-candidate
    // sampling, follow a little later.
    int first = candidates[0];
    for (int i : candidates)
        if (cells[size_t(i)].colour > cells[size_t(first)].colour) first = i;
    f.seeds.push_back(at(first));
    Rng rng(seed);
    const size_t count = candidates.size();
    for (int k = 1; k <= 5; ++k) {
        double bestD = -1;
        Seed best;
        for (int attempt = 0; attempt < 60; ++attempt) {
            double u = rng.unit();
            Seed s = at(candidates[size_t(std::floor(u * double(count))) % count]);
            double d = INFINITY;
            for (const Seed& o : f.seeds) d = std::min(d, distance(s.x, s.y, o.x, o.y));
            if (d > bestD) {
                bestD = d;
                best = s;
            }
        }
        best.t = 0.07 * k + 0.05 * rng.unit();
        f.seeds.push_back(best);
    }
    Noise noise;
    for (double& v : noise.lattice) v = rng.unit();

    // Arrival: distance from the nearest seed, over a speed that the noise varies.
    const double half = std::sqrt(double(C * C + rows * rows)) / 2;
    f.arrival.resize(size_t(n));
    std::vector<double> painted;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < C; ++c) {
            double coarse = noise.at(c / 13.0, r / 13.0), fine = noise.at(c / 5.0 + 7, r / 5.0 + 3);
            double speed = (0.65 * coarse + 0.35 * fine) * 0.9 + 0.55;
            double t = INFINITY;
            for (const Seed& s : f.seeds) t = std::min(t, s.t + speed * distance(c, r, s.x, s.y) / half);
            f.arrival[size_t(r * C + c)] = t;
            if (cells[size_t(r * C + c)].painted) painted.push_back(t);
        }

    // The painted area is covered by its 97th percentile; far unpainted corners arrive at 1.
    double reference = 1;
    if (!painted.empty()) {
        // The value that sorting would put at that position; no full sort needed.
        size_t p = std::min(painted.size() - 1, size_t(std::floor(double(painted.size()) * 0.97)));
        std::nth_element(painted.begin(), painted.begin() + long(p), painted.end());
        reference = std::max(painted[p], 0.05);
    }
    for (double& t : f.arrival) t = std::min(t / reference, 1.0);
    return f;
}

}  // namespace bloom

namespace {

// A 120 x rows image of white at alpha v per cell.
std::shared_ptr<const Image> gridImage(const std::vector<uint8_t>& values, int rows) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, Bloom::columns, rows);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int r = 0; r < rows; ++r) {
        auto* row = reinterpret_cast<uint32_t*>(data + r * stride);
        for (int c = 0; c < Bloom::columns; ++c) row[c] = uint32_t(values[size_t(r * Bloom::columns + c)]) * 0x01010101u;
    }
    cairo_surface_mark_dirty(s);
    return Image::adopt(s);
}

// The ink-line pixels of one row, everything else cleared. The whole painting passes
// through here, so the loop is written for the vectoriser: no branches, no aliasing.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("tree-vectorize", "vect-cost-model=dynamic")))
#endif
void copyLines(const uint32_t* __restrict in, uint32_t* __restrict out, int w) {
    for (int x = 0; x < w; ++x) out[x] = bloom::isLine(in[x]) ? in[x] : 0;
}

// 0 … 1 to a byte, truncated.
uint8_t level(double v) { return v > 0 ? uint8_t(std::min(v, 1.0) * 255) : 0; }

}  // namespace

int Bloom::rowsFor(int w, int h) {
    if (w <= 0 || h <= 0) return 24;
    return int(std::clamp(std::lround(double(columns) * h / w), 24L, 240L));
}

std::optional<Bloom> Bloom::make(const Image& painting, uint64_t seed) {
    const int w = painting.width(), h = painting.height();
    if (w < 9 || h < 9) return std::nullopt;

    // The painting as premultiplied ARGB words; other formats are drawn into one first.
    cairo_surface_t* source = painting.surface();
    cairo_surface_t* converted = nullptr;
    if (cairo_image_surface_get_format(source) != CAIRO_FORMAT_ARGB32) {
        converted = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cairo_t* cr = cairo_create(converted);
        cairo_set_source_surface(cr, source, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        if (cairo_surface_status(converted) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(converted);
            return std::nullopt;
        }
        source = converted;
    }
    cairo_surface_flush(source);
    const auto* pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(source));
    const size_t stride = size_t(cairo_image_surface_get_stride(source)) / 4;

    std::optional<Bloom> result;
    cairo_surface_t* linesSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (pixels && cairo_surface_status(linesSurface) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(linesSurface);
        auto* out = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(linesSurface));
        const size_t outStride = size_t(cairo_image_surface_get_stride(linesSurface)) / 4;
        for (int y = 0; y < h; ++y) {
            const uint32_t* in = pixels + size_t(y) * stride;
            uint32_t* to = out + size_t(y) * outStride;
            copyLines(in, to, w);
        }
        cairo_surface_mark_dirty(linesSurface);

        bloom::Field field = bloom::field(pixels, w, h, stride, seed);
        Bloom b;
        b.lines = Image::adopt(linesSurface);
        linesSurface = nullptr;
        const int rows = field.rows;
        std::vector<uint8_t> mask(size_t(columns * rows)), rim(size_t(columns * rows));
        auto empty = gridImage(mask, rows);
        if (b.lines && empty) {
            b.masks.push_back(empty);
            b.rims.push_back(empty);
            for (int k = 1; k < stages; ++k) {
                const double L = 1.15 * k / 22;
                for (size_t i = 0; i < mask.size(); ++i) {
                    double a = field.arrival[i];
                    mask[i] = level((L - a) / 0.13);
                    rim[i] = k == stages - 1 ? 0 : level(1 - std::fabs(L - 0.065 - a) / 0.078);
                }
                if (auto m = gridImage(mask, rows)) b.masks.push_back(std::move(m));
                if (auto r = gridImage(rim, rows)) b.rims.push_back(std::move(r));
            }
            if (int(b.masks.size()) == stages) result = std::move(b);
        }
    }
    if (linesSurface) cairo_surface_destroy(linesSurface);
    if (converted) cairo_surface_destroy(converted);
    return result;
}

}  // namespace nolby
