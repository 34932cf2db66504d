// Symbols drawn by hand and delimiters that stretch. For now every symbol is set from the
// maths font and no delimiter stretches; the pairing of delimiters is already in place.
#include "ink/math/MathInk.h"

namespace nolby {

using math::Kind;

MathInk::BoxRef MathInk::drawn(const std::string&, double, Color) { return nullptr; }

MathInk::BoxRef MathInk::tallDelimiter(const std::string&, double, double, double, Color) { return nullptr; }

std::optional<std::pair<std::string, Kind>> MathInk::delimiter(const MRef& node) const {
    const M::Sym* s = node ? node->as<M::Sym>() : nullptr;
    if (!s) return std::nullopt;
    if (s->kind == Kind::open || s->kind == Kind::close) return std::make_pair(s->s, s->kind);
    if (s->s == "|" || s->s == "\u2016") return std::make_pair(s->s, Kind::ord);
    return std::nullopt;
}

std::vector<std::pair<int, int>> MathInk::fences(const std::vector<MRef>& items) const {
    std::vector<std::pair<int, int>> pairs;
    std::vector<int> open;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        auto d = delimiter(items[static_cast<size_t>(i)]);
        if (!d) continue;
        if (d->second == Kind::open) open.push_back(i);
        else if (d->second == Kind::close && !open.empty()) {
            pairs.emplace_back(open.back(), i);
            open.pop_back();
        }
    }
    return pairs;
}

MathInk::BoxRef MathInk::grown(const MRef& node, double a, double d, double size, Color color) {
    if (auto del = delimiter(node))
        if (BoxRef tall = tallDelimiter(del->first, a, d, size, color)) return tall;
    return layout(node, size, color, false);
}

}  // namespace nolby
