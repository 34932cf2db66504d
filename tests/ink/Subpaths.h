#pragma once
// How many sub-paths a path is made of: one per move.

#include "platform/Path.h"

namespace nolby::testing {

inline int subpaths(const Path& p) {
    int n = 0;
    for (const auto& e : p.elements())
        if (e.verb == Path::Verb::move) ++n;
    return n;
}

}  // namespace nolby::testing
