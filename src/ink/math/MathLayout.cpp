// Box layout of rows, scripts, fractions, delimited groups and roots. Every size derives
// from the current size s, so a formula scales as a whole; every stroke draws from the
// typesetter's sketchy-line generator in the order written here.
#include "ink/math/MathInk.h"
#include "ink/math/Parser.h"

#include <algorithm>

namespace nolby {

using math::Kind;

namespace {

MathInk::BoxRef newBox() { return std::make_shared<MathInk::Box>(); }

}  // namespace

Kind MathInk::kind(const MRef& node) const {
    if (!node) return Kind::ord;
    if (auto s = node->as<M::Sym>()) return s->kind;
    if (auto s = node->as<M::Script>()) {
        Kind k = kind(s->base);
        return k == Kind::open || k == Kind::close || k == Kind::fn ? k : Kind::ord;
    }
    if (node->as<M::Big>()) return Kind::fn;
    if (auto a = node->as<M::Accent>()) return a->name == "not" ? kind(a->body) : Kind::ord;
    if (auto t = node->as<M::Tint>()) return kind(t->body);
    return Kind::ord;
}

MathInk::BoxRef MathInk::row(const std::vector<MRef>& items, double s, Color color, bool display) {
    auto box = newBox();
    if (items.empty()) {
        box->a = 0.39 * s;
        return box;
    }
    std::vector<BoxRef> boxes;
    std::vector<Kind> kinds;
    boxes.reserve(items.size());
    for (const MRef& item : items) {
        boxes.push_back(layout(item, s, color, display));
        kinds.push_back(kind(item));
    }

    // Delimiters around a tall box stretch to its height.
    for (auto [i, j] : fences(items)) {
        if (j - i < 2) continue;
        double a = 0, d = 0;
        bool tall = false;
        for (int k = i + 1; k < j; ++k) {
            a = std::max(a, boxes[k]->a);
            d = std::max(d, boxes[k]->d);
            tall = tall || boxes[k]->tall;
        }
        if (!tall) continue;
        boxes[i] = grown(items[i], a, d, s, color);
        boxes[j] = grown(items[j], a, d, s, color);
    }

    // Class-dependent spacing; relation and operator gaps halve in script sizes.
    const double f = s < 0.8 * baseSize ? 0.5 : 1;
    std::optional<Kind> prev;  // none at the start
    double x = 0;
    for (size_t n = 0; n < boxes.size(); ++n) {
        Kind c = kinds[n];
        double gap;
        if (c == Kind::rel) {
            gap = 0.28 * f;
        } else {
            bool keepsBin = false;
            if (c == Kind::bin && prev && (*prev == Kind::ord || *prev == Kind::close || *prev == Kind::fn) &&
                n + 1 < boxes.size()) {
                Kind next = kinds[n + 1];
                keepsBin = next == Kind::ord || next == Kind::bin || next == Kind::open || next == Kind::fn;
            }
            if (keepsBin) {
                gap = 0.2 * f;
            } else {
                c = c == Kind::bin ? Kind::ord : c;
                if (!prev) gap = 0;
                else switch (*prev) {
                    case Kind::bin: gap = 0.2 * f; break;
                    case Kind::rel: gap = 0.28 * f; break;
                    case Kind::open: gap = 0; break;
                    case Kind::punct: gap = 0.18; break;
                    case Kind::fn: gap = c == Kind::open ? 0.03 : 0.12; break;
                    default: gap = c == Kind::close || c == Kind::punct ? 0 : 0.03; break;
                }
            }
        }
        x += gap * s;
        box->add(Kid{boxes[n], x, 0});
        if (n == 0) box->inkL = x + boxes[n]->inkL;
        if (n + 1 == boxes.size()) box->inkR = x + boxes[n]->inkR;
        x += boxes[n]->w;
        box->a = std::max(box->a, boxes[n]->a);
        box->d = std::max(box->d, boxes[n]->d);
        box->tall = box->tall || boxes[n]->tall;
        prev = c;
    }
    box->w = x;
    return box;
}

namespace {

// The leading primes of a superscript: how many, and the superscript left after them
// (null when nothing is left).
std::pair<int, MathInk::MRef> splitPrimes(const MathInk::MRef& sup) {
    using M = MathInk::M;
    if (!sup) return {0, sup};
    if (int n = math::primes(sup); n >= 1) return {n, nullptr};
    const M::Row* r = sup->as<M::Row>();
    if (!r) return {0, sup};
    int n = 0;
    size_t k = 0;
    for (; k < r->items.size(); ++k) {
        int p = math::primes(r->items[k]);
        if (p < 1) break;
        n += p;
    }
    if (n == 0) return {0, sup};
    if (k == r->items.size()) return {n, nullptr};
    return {n, M::make(M::Row{std::vector<MathInk::MRef>(r->items.begin() + static_cast<long>(k), r->items.end())})};
}

}  // namespace

MathInk::BoxRef MathInk::script(const BoxRef& base, const MRef& supNode, const MRef& subNode, double s, Color color) {
    auto box = newBox();
    box->a = base->a;
    box->d = base->d;
    box->add(Kid{base, 0, 0});
    box->inkL = base->inkL;
    box->tall = base->tall;
    const double ss = std::max(0.66 * s, 9.3);
    double xs = base->w + 0.05 * s;

    auto [n, rest] = splitPrimes(supNode);
    if (n >= 1) {
        Path slashes;
        for (int i = 0; i < n; ++i) {
            double px = base->inkR + s * (0.1 + 0.13 * i);
            strokeLine(slashes, px + 0.09 * s, -0.8 * s, px, -0.52 * s);
        }
        box->add(S{slashes, color, kStrokeWidth * 0.95 * s});
        xs = std::max(xs, base->inkR + s * (0.13 * n + 0.1) + 0.04 * s);
    }

    BoxRef sup = rest ? layout(rest, ss, color, false) : nullptr;
    BoxRef sub = subNode ? layout(subNode, ss, color, false) : nullptr;
    double drop = std::max(0.2 * s, base->d + 0.1 * ss);
    double rise = std::max(0.42 * s, base->a - 0.42 * ss);
    if (sup && sub) {
        double gap = (drop - sub->a) - (sup->d - rise);
        if (gap < 0.12 * s) drop += 0.12 * s - gap;
    }
    double w = base->w;
    if (sup) {
        box->add(Kid{sup, xs, -rise});
        w = std::max(w, xs + sup->w);
        box->tall = box->tall || sup->tall;
    } else {
        w = std::max(w, xs);
    }
    if (sub) {
        box->add(Kid{sub, base->w + 0.05 * s, drop});
        w = std::max(w, base->w + 0.05 * s + sub->w);
        box->tall = box->tall || sub->tall;
    }
    box->w = w;
    box->inkR = w;
    box->fit();
    return box;
}

MathInk::BoxRef MathInk::frac(const MRef& numNode, const MRef& denNode, bool bar, double s, Color color,
                              bool display) {
    const double fs = display ? 0.86 * s : std::max(0.7 * s, 9.3);
    BoxRef num = layout(numNode, fs, color, false);
    BoxRef den = layout(denNode, fs, color, false);
    auto box = newBox();
    box->w = std::max(num->w, den->w) + 0.3 * s;
    const double axis = -0.3 * s, gap = 0.16 * s;
    box->add(Kid{num, (box->w - num->w) / 2, axis - gap - num->d}, 0.0);
    box->add(Kid{den, (box->w - den->w) / 2, axis + gap + den->a}, 2.0);
    box->a = num->a + num->d + 0.46 * s;
    box->d = den->a + den->d - 0.14 * s;
    if (bar) {
        double u = rough.rnd.unit();
        Path line;
        strokeLine(line, 0.05 * s, axis, box->w - 0.05 * s, axis + s * (2 * u - 1) * 0.025);
        box->add(S{line, color, kStrokeWidth * s}, 1.0);
    }
    box->inkL = 0;
    box->inkR = box->w;
    box->tall = true;
    return box;
}

MathInk::BoxRef MathInk::fence(const std::optional<std::string>& open, const MRef& bodyNode,
                               const std::optional<std::string>& close, double s, Color color, bool display) {
    BoxRef body = layout(bodyNode, s, color, display);
    const bool tall = body->tall || body->a > 0.92 * s || body->d > 0.38 * s;
    auto delimiterBox = [&](const std::string& name) {
        BoxRef b = tall ? tallDelimiter(name, body->a, body->d, s, color) : nullptr;
        if (!b) b = drawn(name, s, color);
        if (!b) b = glyphBox(name == "\u0394" ? std::string("\u2206") : name, s, color);
        return b;
    };
    auto box = newBox();
    box->a = body->a;
    box->d = body->d;
    box->tall = tall;
    double x = 0;
    if (open) {
        BoxRef o = delimiterBox(*open);
        box->add(Kid{o, 0, 0});
        x = o->w + 0.03 * s;
        box->tall = box->tall || o->tall;
    }
    box->add(Kid{body, x, 0});
    x += body->w;
    if (close) {
        BoxRef c = delimiterBox(*close);
        x += 0.03 * s;
        box->add(Kid{c, x, 0});
        x += c->w;
        box->tall = box->tall || c->tall;
    }
    box->w = x;
    box->inkL = 0;
    box->inkR = x;
    box->fit();
    return box;
}

MathInk::BoxRef MathInk::root(const MRef& bodyNode, const MRef& indexNode, double s, Color color, bool display) {
    BoxRef body = layout(bodyNode, s, color, display);
    BoxRef index = indexNode ? layout(indexNode, std::max(0.5 * s, 8.37), color, false) : nullptr;
    const double o = index ? std::max(0.0, index->w - 0.28 * s) : 0;
    const double footY = body->d + 0.06 * s, topY = -(body->a + 0.18 * s);
    Path sign;
    rough.curve(sign, {{o, -0.22 * s}, {o + 0.14 * s, -0.34 * s}, {o + 0.3 * s, footY}}, 1, 0.4);
    strokeLine(sign, o + 0.3 * s, footY, o + 0.62 * s, topY);
    strokeLine(sign, o + 0.62 * s, topY, o + 0.62 * s + body->w + 0.16 * s, topY + 0.04 * s);
    auto box = newBox();
    box->add(S{sign, color, kStrokeWidth * s});
    if (index) box->add(Kid{index, o + 0.3 * s - index->w, -0.4 * s - index->d});
    box->add(Kid{body, o + 0.68 * s, 0});
    box->w = o + 0.78 * s + body->w;
    box->a = body->a + 0.26 * s;
    box->d = body->d + 0.1 * s;
    box->inkL = 0;
    box->inkR = box->w;
    box->tall = body->tall || (index && index->tall);
    box->fit();
    return box;
}

}  // namespace nolby
