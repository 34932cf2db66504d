#include "ink/PathHelpers.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

int sampleCount(double controlLength, double tolerance) {
    double n = std::ceil(controlLength / (2.5 * tolerance));
    // NaN (a zero tolerance over a zero length, or non-finite points) takes the minimum.
    if (!(n >= 2)) return 2;
    return static_cast<int>(std::min(n, 64.0));
}

}  // namespace

std::vector<Polyline> flatten(const Path& path, double tolerance) {
    using V = Path::Verb;
    std::vector<Polyline> result;
    Polyline poly;
    Point current{}, start{};
    auto begin = [&] {
        if (poly.empty()) poly.push_back(current);
    };
    for (const auto& e : path.elements()) {
        switch (e.verb) {
            case V::move:
                if (poly.size() > 1) result.push_back(std::move(poly));
                poly.clear();
                poly.push_back(e.pts[0]);
                current = start = e.pts[0];
                break;
            case V::line:
                begin();
                poly.push_back(e.pts[0]);
                current = e.pts[0];
                break;
            case V::quad: {
                begin();
                Point c = e.pts[0], end = e.pts[1];
                int n = sampleCount(distance(current, c) + distance(c, end), tolerance);
                for (int i = 1; i <= n; ++i) {
                    double u = static_cast<double>(i) / n, v = 1 - u;
                    poly.push_back(current * (v * v) + c * (2 * u * v) + end * (u * u));
                }
                current = end;
                break;
            }
            case V::cubic: {
                begin();
                Point c1 = e.pts[0], c2 = e.pts[1], end = e.pts[2];
                int n = sampleCount(distance(current, c1) + distance(c1, c2) + distance(c2, end), tolerance);
                for (int i = 1; i <= n; ++i) {
                    double u = static_cast<double>(i) / n, v = 1 - u;
                    poly.push_back(current * (v * v * v) + c1 * (3 * u * v * v) + c2 * (3 * u * u * v) + end * (u * u * u));
                }
                current = end;
                break;
            }
            case V::close:
                begin();
                poly.push_back(start);
                current = start;
                break;
        }
    }
    if (poly.size() > 1) result.push_back(std::move(poly));
    return result;
}

double polyLength(const Polyline& pts) {
    double total = 0;
    for (size_t i = 1; i < pts.size(); ++i) total += distance(pts[i - 1], pts[i]);
    return total;
}

}  // namespace nolby
