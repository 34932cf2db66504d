#pragma once
// Helpers for the page painters' tests: fonts registered, a press whose covers the test
// sets, a notebook to draw, and pixels to compare.

#include "ink/Faces.h"
#include "ink/Mag.h"
#include "notebook/Notebook.h"
#include "platform/Canvas.h"
#include "press/PressSource.h"

#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace nolby::testing {

inline void registerFonts() {
    Faces::registerFrom();
    Mag::registerFrom();
}

class FakePress final : public PressSource {
public:
    std::map<Uuid, std::shared_ptr<const Image>> covers;
    std::set<Uuid> printed;
    int64_t counter = 0;
    std::vector<int> asked;  // the pixel sizes asked for

    std::shared_ptr<const Image> image(const Uuid& id, int px) override {
        asked.push_back(px);
        auto it = covers.find(id);
        return it == covers.end() ? nullptr : it->second;
    }
    const std::set<Uuid>& fresh() const override { return printed; }
    int64_t version() const override { return counter; }
};

// A solid image of w × h pixels.
inline std::shared_ptr<const Image> solidImage(int w, int h, Color c) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
    cairo_paint(cr);
    cairo_destroy(cr);
    return Image::adopt(s);
}

inline Notebook titled(const std::string& title, std::optional<int64_t> issue = std::nullopt) {
    Notebook nb;
    nb.title = title;
    nb.issue = issue;
    return nb;
}

inline std::vector<uint8_t> bytes(const Canvas& c) {
    cairo_surface_flush(c.surface());
    const uint8_t* data = cairo_image_surface_get_data(c.surface());
    return {data, data + cairo_image_surface_get_stride(c.surface()) * c.pixelHeight()};
}

inline bool blank(const Canvas& c) {
    for (uint8_t b : bytes(c))
        if (b) return false;
    return true;
}

}  // namespace nolby::testing
