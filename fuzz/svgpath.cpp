// Arbitrary bytes as path data: the reader must not crash, and every point it returns
// must be finite and inside the clamped box, whatever the tutor sends.
#include "ink/SvgPath.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace nolby;

namespace {

void check(std::string_view d, double sx, double sy, double ox, double oy) {
    size_t total = 0;
    for (const auto& sub : SvgPath::parse(d, sx, sy, ox, oy)) {
        if (sub->pts.size() < 2) std::abort();
        total += sub->pts.size();
        for (Point p : sub->pts) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) std::abort();
            if (std::fabs(p.x - ox) > SvgPath::limit * std::fabs(sx) * (1 + 1e-12)) std::abort();
            if (std::fabs(p.y - oy) > SvgPath::limit * std::fabs(sy) * (1 + 1e-12)) std::abort();
        }
    }
    if (total > SvgPath::maxPoints) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view d(reinterpret_cast<const char*>(data), size);
    for (const SvgPath::Tok& t : SvgPath::tokenize(d))
        if (t.kind == SvgPath::Tok::Kind::num && !std::isfinite(t.num)) std::abort();
    check(d, 1, 1, 0, 0);
    check(d, 2.5, -0.75, 40, 300);
    return 0;
}
