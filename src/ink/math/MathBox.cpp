#include "ink/math/MathBox.h"

#include <algorithm>

namespace nolby::math {

void Box::fit() {
    for (const auto& [piece, key] : pieces) {
        if (const S* s = std::get_if<S>(&piece)) {
            Rect b = s->path.boundingBox();
            if (b.isEmpty()) continue;
            a = std::max(a, s->width / 2 - b.minY());
            d = std::max(d, s->width / 2 + b.maxY());
        } else if (const Kid* k = std::get_if<Kid>(&piece)) {
            a = std::max(a, k->box->a - k->y);
            d = std::max(d, k->box->d + k->y);
        }
    }
}

}  // namespace nolby::math
