#pragma once
// Stroke samples that a file can hold: JSON has no form for NaN or infinity, so a triple
// holding one is dropped whole (dropping a single number would shift every later triple).
// In a trailing incomplete triple, everything from the first non-finite number on goes.

#include <cmath>
#include <vector>

namespace nolby {

inline std::vector<float> finiteSamples(const std::vector<float>& pts) {
    std::vector<float> out;
    out.reserve(pts.size());
    size_t whole = pts.size() - pts.size() % 3;
    for (size_t i = 0; i < whole; i += 3) {
        if (std::isfinite(pts[i]) && std::isfinite(pts[i + 1]) && std::isfinite(pts[i + 2]))
            out.insert(out.end(), pts.begin() + i, pts.begin() + i + 3);
    }
    for (size_t i = whole; i < pts.size() && std::isfinite(pts[i]); ++i) out.push_back(pts[i]);
    return out;
}

}  // namespace nolby
