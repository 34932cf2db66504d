#include "platform/Canvas.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <algorithm>

namespace nolby {

std::string Color::hexString() const {
    auto byte = [](double v) {
        if (!std::isfinite(v)) v = 0;
        return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    char buf[10];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x%02x", byte(r), byte(g), byte(b), byte(a));
    return buf;
}

namespace {
int pixels(double points, double scale) {
    double v = std::ceil(points * scale);
    if (!std::isfinite(v) || v < 1) return 1;
    return static_cast<int>(std::min(v, 32767.0));
}
}  // namespace

Canvas::Canvas(double width, double height, double scale) : scale_(scale > 0 && std::isfinite(scale) ? scale : 1) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixels(width, scale_), pixels(height, scale_));
    cr_ = cairo_create(surface_);
    cairo_scale(cr_, scale_, scale_);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

int Canvas::pixelWidth() const { return cairo_image_surface_get_width(surface_); }
int Canvas::pixelHeight() const { return cairo_image_surface_get_height(surface_); }

void Canvas::fill(Color c) {
    draw::Saved saved(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
    draw::setColor(cr_, c);
    cairo_paint(cr_);
}

Color Canvas::pixel(int x, int y) const {
    cairo_surface_flush(surface_);
    if (x < 0 || y < 0 || x >= pixelWidth() || y >= pixelHeight()) return {0, 0, 0, 0};
    const unsigned char* row = cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    uint32_t v = reinterpret_cast<const uint32_t*>(row)[x];
    double a = ((v >> 24) & 0xFF) / 255.0;
    if (a == 0) return {0, 0, 0, 0};
    auto un = [a](uint32_t c) { return std::min(1.0, (c & 0xFF) / 255.0 / a); };
    return {un(v >> 16), un(v >> 8), un(v), a};
}

bool Canvas::writePng(const std::string& file) const {
    cairo_surface_flush(surface_);
    std::string tmp = file + ".tmp";
    if (cairo_surface_write_to_png(surface_, tmp.c_str()) != CAIRO_STATUS_SUCCESS) {
        std::remove(tmp.c_str());
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(tmp, file, ec);
    if (ec) std::remove(tmp.c_str());
    return !ec;
}

namespace draw {

namespace {
bool finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }
}  // namespace

void setColor(cairo_t* cr, Color c) {
    auto ok = [](double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; };
    cairo_set_source_rgba(cr, ok(c.r), ok(c.g), ok(c.b), ok(c.a));
}

void appendPath(cairo_t* cr, const Path& path) {
    using V = Path::Verb;
    bool open = false;  // whether a sub-path has a current point in cairo
    for (const auto& e : path.elements()) {
        bool good = true;
        for (int i = 0; i < e.count(); ++i) good = good && finite(e.pts[i]);
        if (!good) continue;
        switch (e.verb) {
            case V::move:
                cairo_move_to(cr, e.pts[0].x, e.pts[0].y);
                open = true;
                break;
            case V::line:
                if (!open) cairo_move_to(cr, 0, 0);
                cairo_line_to(cr, e.pts[0].x, e.pts[0].y);
                open = true;
                break;
            case V::quad: {
                double x0 = 0, y0 = 0;
                if (open) cairo_get_current_point(cr, &x0, &y0);
                else cairo_move_to(cr, 0, 0);
                // Cairo has no quadratic segment: raise it to the equivalent cubic.
                Point c = e.pts[0], p = e.pts[1];
                cairo_curve_to(cr, x0 + 2.0 / 3 * (c.x - x0), y0 + 2.0 / 3 * (c.y - y0),
                               p.x + 2.0 / 3 * (c.x - p.x), p.y + 2.0 / 3 * (c.y - p.y), p.x, p.y);
                open = true;
                break;
            }
            case V::cubic:
                if (!open) cairo_move_to(cr, 0, 0);
                cairo_curve_to(cr, e.pts[0].x, e.pts[0].y, e.pts[1].x, e.pts[1].y, e.pts[2].x, e.pts[2].y);
                open = true;
                break;
            case V::close:
                if (open) cairo_close_path(cr);
                break;
        }
    }
}

bool transform(cairo_t* cr, const Affine& t) {
    if (!t.isInvertible()) return false;
    cairo_matrix_t m{t.a, t.b, t.c, t.d, t.tx, t.ty};
    cairo_matrix_t cur;
    cairo_get_matrix(cr, &cur);
    cairo_matrix_t combined;
    cairo_matrix_multiply(&combined, &m, &cur);
    if (cairo_matrix_invert(&combined) != CAIRO_STATUS_SUCCESS) return false;
    cairo_transform(cr, &m);
    return true;
}

bool translate(cairo_t* cr, double dx, double dy) { return transform(cr, Affine::translation(dx, dy)); }
bool scale(cairo_t* cr, double sx, double sy) { return transform(cr, Affine::scaling(sx, sy)); }
bool rotate(cairo_t* cr, double radians) { return transform(cr, Affine::rotation(radians)); }

void setDash(cairo_t* cr, const std::vector<double>& dash, double phase) {
    bool ok = !dash.empty() && std::isfinite(phase);
    bool anyPositive = false;
    for (double d : dash) {
        if (!std::isfinite(d) || d < 0) ok = false;
        if (d > 0) anyPositive = true;
    }
    if (ok && anyPositive) cairo_set_dash(cr, dash.data(), static_cast<int>(dash.size()), phase);
    else cairo_set_dash(cr, nullptr, 0, 0);
}

void setLineWidth(cairo_t* cr, double width) {
    cairo_set_line_width(cr, std::isfinite(width) && width > 0 ? width : 0);
}

void clipRect(cairo_t* cr, const Rect& r) {
    Rect s = r.standardized();
    if (r.isNull() || !std::isfinite(s.x) || !std::isfinite(s.y) || !std::isfinite(s.w) || !std::isfinite(s.h)) {
        cairo_new_path(cr);
        cairo_rectangle(cr, 0, 0, 0, 0);
        cairo_clip(cr);
        return;
    }
    cairo_new_path(cr);
    cairo_rectangle(cr, s.x, s.y, s.w, s.h);
    cairo_clip(cr);
}

void fillPath(cairo_t* cr, const Path& path, Color color, cairo_operator_t op, bool evenOdd) {
    Saved saved(cr);
    cairo_set_operator(cr, op);
    setColor(cr, color);
    cairo_new_path(cr);
    appendPath(cr, path);
    cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr);
}

}  // namespace draw
}  // namespace nolby
