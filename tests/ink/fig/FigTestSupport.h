#pragma once
// Figures as the figure block makes them (400-point page: 100 units across 352 points),
// and comparisons of their operations.

#include "../Subpaths.h"

#include "ink/Faces.h"
#include "ink/fig/Fig.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "ink/ops/WrapOp.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace nolby::testing {

inline constexpr double kOx = 24, kOy = 4, kK = 3.52, kText = 12.5, kLine = 1.55;
inline constexpr double kU = kText / 23, kPw = kLine / 2.5;
// The default area of charts and tables: corner (3, 3), 94 wide.
inline constexpr double kDefaultLeft = kOx + 3 * kK, kDefaultTop = kOy + 3 * kK, kDefaultWidth = 94 * kK;

inline std::unique_ptr<Fig> makeFig(uint64_t seed = 5) {
    Faces::registerFrom();
    return std::make_unique<Fig>(seed, kOx, kOy, kK, 40, kText, kLine);
}

// The operations of a figure drawn from a JSON item list.
inline std::vector<InkOpRef> drawn(const std::string& items, uint64_t seed = 5) {
    auto fig = makeFig(seed);
    fig->draw(nlohmann::json::parse(items));
    return fig->ops;
}

template <class T>
const T* as(const InkOpRef& op) {
    return dynamic_cast<const T*>(op.get());
}

// The operations of one class, in order. The pointers live only as long as the operations:
// never collect from a temporary.
template <class T>
std::vector<const T*> all(const std::vector<InkOpRef>& ops) {
    std::vector<const T*> out;
    for (const auto& op : ops)
        if (auto t = as<T>(op)) out.push_back(t);
    return out;
}
template <class T>
std::vector<const T*> all(std::vector<InkOpRef>&&) = delete;

inline std::vector<const StrokeOp*> strokesOfWidth(const std::vector<InkOpRef>& ops, double width) {
    std::vector<const StrokeOp*> out;
    for (auto s : all<StrokeOp>(ops))
        if (std::fabs(s->pen.width - width) < 1e-9) out.push_back(s);
    return out;
}

// The words of a phrase, joined by spaces.
inline std::string text(const PhraseOp* p) {
    std::string s;
    for (const auto& r : p->runs) s += (s.empty() ? "" : " ") + r.glyphs.text;
    return s;
}

// Same class, same bounds, and for strokes and fills the same path and colour.
inline bool sameInk(const InkOpRef& a, const InkOpRef& b) {
    if (std::string(a->className()) != b->className() || !(a->bounds() == b->bounds()) || a->pause != b->pause)
        return false;
    if (auto s = as<StrokeOp>(a)) return s->path == as<StrokeOp>(b)->path && s->pen == as<StrokeOp>(b)->pen;
    if (auto f = as<FillOp>(a)) return f->path == as<FillOp>(b)->path && f->color == as<FillOp>(b)->color;
    return true;
}

inline bool sameInk(const std::vector<InkOpRef>& a, const std::vector<InkOpRef>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!sameInk(a[i], b[i])) return false;
    return true;
}

}  // namespace nolby::testing
