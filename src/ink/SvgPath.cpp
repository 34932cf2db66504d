#include "ink/SvgPath.h"

#include "platform/Unicode.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <optional>
#include <string>

namespace nolby::SvgPath {

namespace {

constexpr char32_t kMarkedLetter = 0xFFFD;

// Number text converted as a whole, with a period as the decimal point whatever the
// user's locale; none when it does not convert or is not finite ("1e999").
std::optional<double> decimal(const std::string& text) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    double v = strtod_l(text.c_str(), &end, c);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

// The data seen as user-perceived characters, each known by its first scalar; `single`
// tells a plain character from one carrying combining marks.
struct Ch {
    char32_t c = 0;
    bool single = false;
};

std::vector<Ch> characters(std::string_view d) {
    if (d.size() > maxLength) {
        size_t cut = maxLength;
        while (cut > 0 && (static_cast<unsigned char>(d[cut]) & 0xC0) == 0x80) --cut;
        d = d.substr(0, cut);
    }
    const std::vector<size_t> bounds = unicode::graphemeBounds(d);
    std::vector<Ch> out;
    out.reserve(bounds.size());
    for (size_t i = 0; i + 1 < bounds.size(); ++i) {
        const std::string_view g = d.substr(bounds[i], bounds[i + 1] - bounds[i]);
        // Path data is ASCII but for strays: a lone ASCII byte is its own scalar.
        if (g.size() == 1 && static_cast<unsigned char>(g[0]) < 0x80) {
            out.push_back({static_cast<char32_t>(g[0]), true});
            continue;
        }
        const std::u32string s = unicode::toUtf32(g);
        out.push_back({s.empty() ? 0 : s[0], s.size() == 1});
    }
    return out;
}

struct Scanner {
    const std::vector<Ch>& cs;

    bool is(size_t i, char c) const { return i < cs.size() && cs[i].single && cs[i].c == static_cast<char32_t>(c); }
    bool digit(size_t i) const { return i < cs.size() && cs[i].single && cs[i].c >= '0' && cs[i].c <= '9'; }
    bool startsNumber(size_t i) const { return digit(i) || is(i, '-') || is(i, '+') || is(i, '.'); }

    // Reads the number starting at i into `toks` (when it converts); returns where it ended.
    size_t number(size_t i, std::vector<Tok>& toks) const {
        std::string text(1, static_cast<char>(cs[i].c));
        bool dot = is(i, '.');
        size_t j = i + 1;
        for (; j < cs.size(); ++j) {
            if (digit(j)) {
                text += static_cast<char>(cs[j].c);
            } else if (is(j, '.')) {
                if (dot) break;
                dot = true;
                text += '.';
            } else if (is(j, 'e') || is(j, 'E')) {
                if (j + 1 == cs.size()) break;  // a final "e" is not part of the number
                text += static_cast<char>(cs[j].c);
                if (is(j + 1, '-') || is(j + 1, '+')) text += static_cast<char>(cs[++j].c);
            } else {
                break;
            }
        }
        if (std::optional<double> v = decimal(text)) toks.push_back(Tok::number(*v));
        return j;
    }
};

// Case of command letters. Besides ASCII only U+017F (long s) upper-cases to a command.
bool isLower(char32_t c) { return (c >= 'a' && c <= 'z') || c == 0x17F; }
char32_t upper(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    return c == 0x17F ? U'S' : c;
}

double clampCoord(double v) { return std::clamp(v, -limit, limit); }
Point clampPoint(Point p) { return {clampCoord(p.x), clampCoord(p.y)}; }
bool finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The state of one parse: the tokens, the pen and the sub-paths made so far.
class Reader {
public:
    Reader(const std::vector<Tok>& toks, double sx, double sy, double ox, double oy)
        : toks_(toks), sx_(sx), sy_(sy), ox_(ox), oy_(oy) {}

    std::vector<std::shared_ptr<Sub>> run() {
        while (next_ < toks_.size() && total_ < maxPoints)
            if (!step()) break;
        std::vector<std::shared_ptr<Sub>> out;
        for (auto& s : subs_)
            if (s->pts.size() >= 2) out.push_back(s);
        return out;
    }

private:
    // One command; false when its numbers are missing and parsing ends.
    bool step() {
        const Tok& t = toks_[next_];
        if (t.kind == Tok::Kind::cmd) {
            cmd_ = t.cmd;
            ++next_;
        } else if (cmd_ == 'M') {
            cmd_ = 'L';
        } else if (cmd_ == 'm') {
            cmd_ = 'l';
        }
        char32_t letter = cmd_;
        if (!command(upper(letter), isLower(letter))) return false;
        prev_ = letter;
        return true;
    }

    bool command(char32_t c, bool rel) {
        switch (c) {
        case 'M': return move(rel);
        case 'L': return line(rel);
        case 'H': return horizontal(rel);
        case 'V': return vertical(rel);
        case 'C': return cubicTo(rel);
        case 'S': return smoothCubicTo(rel);
        case 'Q': return quadTo(rel);
        case 'T': return smoothQuadTo(rel);
        case 'A': return arcTo(rel);
        case 'Z': close(); return true;
        default:
            // Not a command: it takes the token after it with it.
            if (next_ < toks_.size()) ++next_;
            return true;
        }
    }

    std::optional<double> num() {
        if (next_ >= toks_.size() || toks_[next_].kind != Tok::Kind::num) return std::nullopt;
        return toks_[next_++].num;
    }

    // A point of the command, made absolute and clamped.
    std::optional<Point> point(bool rel) {
        std::optional<double> x = num();
        if (!x) return std::nullopt;
        std::optional<double> y = num();
        if (!y) return std::nullopt;
        Point p = rel ? Point{cur_.x + *x, cur_.y + *y} : Point{*x, *y};
        return clampPoint(p);
    }

    void add(Point p) {
        if (total_ >= maxPoints) return;
        p = clampPoint(p);
        sub_->pts.push_back({ox_ + sx_ * p.x, oy_ + sy_ * p.y});
        ++total_;
    }

    void startSub() {
        sub_ = std::make_shared<Sub>(std::vector<Point>{}, false);
        subs_.push_back(sub_);
    }

    // Drawing without a move starts at the current point (the start point stays).
    void ensureSub() {
        if (sub_) return;
        startSub();
        add(cur_);
    }

    // The curve sampled at t = i/14, i = 1...14; the last sample is p3 itself.
    void cubic(Point p0, Point p1, Point p2, Point p3) {
        for (int i = 1; i <= curveSamples; ++i) {
            double t = static_cast<double>(i) / curveSamples, mt = 1 - t;
            double a = mt * mt * mt, b = 3 * t * mt * mt, c = 3 * t * t * mt, d = t * t * t;
            add({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
        }
    }

    Point reflected() const { return {2 * cur_.x - ctrl_.x, 2 * cur_.y - ctrl_.y}; }
    bool prevIs(char32_t c) const { return upper(prev_) == c; }

    bool move(bool rel) {
        std::optional<Point> p = point(rel);
        if (!p) return false;
        cur_ = start_ = *p;
        startSub();
        add(*p);
        return true;
    }

    bool line(bool rel) {
        std::optional<Point> p = point(rel);
        if (!p) return false;
        ensureSub();
        add(*p);
        cur_ = *p;
        return true;
    }

    bool horizontal(bool rel) {
        std::optional<double> x = num();
        if (!x) return false;
        ensureSub();
        cur_ = {clampCoord(rel ? cur_.x + *x : *x), cur_.y};
        add(cur_);
        return true;
    }

    bool vertical(bool rel) {
        std::optional<double> y = num();
        if (!y) return false;
        ensureSub();
        cur_ = {cur_.x, clampCoord(rel ? cur_.y + *y : *y)};
        add(cur_);
        return true;
    }

    bool cubicTo(bool rel) {
        std::optional<Point> c1 = point(rel), c2 = c1 ? point(rel) : std::nullopt, p = c2 ? point(rel) : std::nullopt;
        if (!p) return false;
        ensureSub();
        cubic(cur_, *c1, *c2, *p);
        ctrl_ = *c2;
        cur_ = *p;
        return true;
    }

    bool smoothCubicTo(bool rel) {
        std::optional<Point> c2 = point(rel), p = c2 ? point(rel) : std::nullopt;
        if (!p) return false;
        ensureSub();
        Point c1 = prevIs('C') || prevIs('S') ? reflected() : cur_;
        cubic(cur_, c1, *c2, *p);
        ctrl_ = *c2;
        cur_ = *p;
        return true;
    }

    // A quadratic with control q, drawn as its equivalent cubic.
    void quad(Point q, Point p) {
        Point p0 = cur_;
        Point c1{p0.x + 2.0 / 3.0 * (q.x - p0.x), p0.y + 2.0 / 3.0 * (q.y - p0.y)};
        Point c2{p.x + 2.0 / 3.0 * (q.x - p.x), p.y + 2.0 / 3.0 * (q.y - p.y)};
        cubic(p0, c1, c2, p);
        ctrl_ = q;
        cur_ = p;
    }

    bool quadTo(bool rel) {
        std::optional<Point> q = point(rel), p = q ? point(rel) : std::nullopt;
        if (!p) return false;
        ensureSub();
        quad(*q, *p);
        return true;
    }

    bool smoothQuadTo(bool rel) {
        std::optional<Point> p = point(rel);
        if (!p) return false;
        ensureSub();
        quad(prevIs('Q') || prevIs('T') ? reflected() : cur_, *p);
        return true;
    }

    bool arcTo(bool rel) {
        std::optional<double> rx = num(), ry = rx ? num() : std::nullopt, phi = ry ? num() : std::nullopt;
        std::optional<double> large = phi ? num() : std::nullopt, sweep = large ? num() : std::nullopt;
        std::optional<Point> p = sweep ? point(rel) : std::nullopt;
        if (!p) return false;
        ensureSub();
        arc(clampCoord(*rx), clampCoord(*ry), *phi, *large != 0, *sweep != 0, *p);
        cur_ = *p;
        return true;
    }

    // Endpoint-to-centre conversion of an elliptical arc, drawn as one cubic per quarter
    // turn or part of one. A zero radius draws a straight line; so do an arc that ends
    // where it starts (it would otherwise draw a spike out to the radius and back) and
    // radii so small that the conversion overflows.
    void arc(double rx, double ry, double phiDeg, bool large, bool sweep, Point p) {
        Point p0 = cur_;
        if (rx == 0 || ry == 0 || p0 == p) return cubic(p0, p0, p, p);
        double phi = phiDeg * M_PI / 180;
        double cs = std::cos(phi), sn = std::sin(phi);
        double dx = (p0.x - p.x) / 2, dy = (p0.y - p.y) / 2;
        double x1 = cs * dx + sn * dy, y1 = cs * dy - sn * dx;
        double lambda = x1 * x1 / (rx * rx) + y1 * y1 / (ry * ry);
        if (lambda > 1) {
            rx = std::fabs(rx) * std::sqrt(lambda);
            ry = std::fabs(ry) * std::sqrt(lambda);
        } else {
            rx = std::fabs(rx);
            ry = std::fabs(ry);
        }
        double n = rx * rx * y1 * y1 + ry * ry * x1 * x1;
        double f = n == 0 ? 0 : std::sqrt(std::max(0.0, (rx * rx * ry * ry - n) / n));
        if (large == sweep) f = -f;
        double cxp = f * rx * y1 / ry, cyp = -f * ry * x1 / rx;
        Point c{cs * cxp - sn * cyp + (p0.x + p.x) / 2, sn * cxp + cs * cyp + (p0.y + p.y) / 2};
        double ux = (x1 - cxp) / rx, uy = (y1 - cyp) / ry;
        double vx = (-x1 - cxp) / rx, vy = (-y1 - cyp) / ry;
        double theta = std::atan2(uy, ux);
        double sweepAngle = std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
        if (sweep && sweepAngle < 0) sweepAngle += 2 * M_PI;
        else if (!sweep && sweepAngle > 0) sweepAngle -= 2 * M_PI;
        if (!std::isfinite(rx) || !std::isfinite(ry) || !finite(c) || !std::isfinite(theta) ||
            !std::isfinite(sweepAngle))
            return cubic(p0, p0, p, p);

        int count = std::max(1, static_cast<int>(std::ceil(std::fabs(sweepAngle) / (M_PI / 2))));
        double delta = sweepAngle / count;
        double k = 4.0 / 3.0 * std::tan(delta / 4);
        auto at = [&](double X, double Y) {
            return Point{c.x + (cs * rx * X - sn * ry * Y), c.y + (sn * rx * X + cs * ry * Y)};
        };
        Point from = p0;
        double a = theta;
        for (int i = 0; i < count; ++i) {
            double b = a + delta;
            Point c1 = at(std::cos(a) - k * std::sin(a), std::sin(a) + k * std::cos(a));
            Point c2 = at(std::cos(b) + k * std::sin(b), std::sin(b) - k * std::cos(b));
            Point end = at(std::cos(b), std::sin(b));
            cubic(from, c1, c2, end);
            from = end;
            a = b;
        }
    }

    void close() {
        if (sub_) {
            sub_->closed = true;
            add(start_);
        }
        cur_ = start_;
        sub_.reset();
        // Numbers after a close are absolute line points, never a repeated close.
        if (next_ < toks_.size() && toks_[next_].kind == Tok::Kind::num) cmd_ = 'L';
    }

    const std::vector<Tok>& toks_;
    size_t next_ = 0;
    double sx_, sy_, ox_, oy_;
    Point cur_{}, start_{}, ctrl_{};  // untransformed
    char32_t prev_ = ' ';
    char32_t cmd_ = 'M';
    std::vector<std::shared_ptr<Sub>> subs_;
    std::shared_ptr<Sub> sub_;
    size_t total_ = 0;
};

}  // namespace

std::vector<Tok> tokenize(std::string_view d) {
    std::vector<Ch> cs = characters(d);
    Scanner scan{cs};
    std::vector<Tok> toks;
    size_t i = 0;
    while (i < cs.size()) {
        if (scan.startsNumber(i)) {
            i = scan.number(i, toks);
            continue;
        }
        if (unicode::isLetter(cs[i].c) && !scan.is(i, 'e') && !scan.is(i, 'E'))
            toks.push_back(Tok::command(cs[i].single ? cs[i].c : kMarkedLetter));
        ++i;
    }
    return toks;
}

std::vector<std::shared_ptr<Sub>> parse(std::string_view d, double sx, double sy, double ox, double oy) {
    std::vector<Tok> toks = tokenize(d);
    return Reader(toks, sx, sy, ox, oy).run();
}

}  // namespace nolby::SvgPath
