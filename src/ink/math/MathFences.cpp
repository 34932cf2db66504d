// Pairing of the delimiters written loose in a row, so that a pair enclosing something tall
// can be drawn again stretched to its height.
#include "ink/math/MathInk.h"

namespace nolby {

using math::Kind;

std::optional<std::pair<std::string, Kind>> MathInk::delimiter(const MRef& node) const {
    if (!node) return std::nullopt;
    if (const M::Sym* sym = node->as<M::Sym>()) {
        const std::string& n = sym->s;
        if ((n == "(" || n == "[" || n == "{" || n == "⟨") && sym->kind == Kind::open) return std::make_pair(n, Kind::open);
        if ((n == ")" || n == "]" || n == "}" || n == "⟩") && sym->kind == Kind::close)
            return std::make_pair(n, Kind::close);
        if (n == "|" || n == "‖") {
            const bool sided = sym->kind == Kind::open || sym->kind == Kind::close;
            return std::make_pair(n, sided ? sym->kind : Kind::ord);
        }
        return std::nullopt;
    }
    if (const M::Script* script = node->as<M::Script>()) {
        // A scripted opening delimiter pairs with nothing; a scripted closing one still closes.
        auto role = delimiter(script->base);
        if (role && role->second == Kind::open) return std::nullopt;
        return role;
    }
    return std::nullopt;
}

std::vector<std::pair<int, int>> MathInk::fences(const std::vector<MRef>& items) const {
    std::vector<std::pair<int, int>> pairs;
    std::vector<std::pair<int, std::string>> stack;
    for (size_t i = 0; i < items.size(); ++i) {
        auto role = delimiter(items[i]);
        if (!role) continue;
        const int at = static_cast<int>(i);
        switch (role->second) {
            case Kind::open: stack.emplace_back(at, role->first); break;
            case Kind::close:
                // A closer takes whatever is open, so "(x]" still pairs.
                if (!stack.empty()) {
                    pairs.emplace_back(stack.back().first, at);
                    stack.pop_back();
                }
                break;
            default:
                // A bar closes the same bar, otherwise it opens.
                if (!stack.empty() && stack.back().second == role->first) {
                    pairs.emplace_back(stack.back().first, at);
                    stack.pop_back();
                } else {
                    stack.emplace_back(at, role->first);
                }
                break;
        }
    }
    return pairs;
}

MathInk::BoxRef MathInk::grown(const MRef& node, double a, double d, double size, Color color) {
    if (node) {
        if (const M::Sym* sym = node->as<M::Sym>()) {
            if (BoxRef tall = tallDelimiter(sym->s, a, d, size, color)) return tall;
        } else if (const M::Script* s = node->as<M::Script>()) {
            return script(grown(s->base, a, d, size, color), s->sup, s->sub, size, color);
        }
    }
    return layout(node, size, color, false);
}

}  // namespace nolby
