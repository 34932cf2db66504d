#pragma once
// Hand-drawn geometry: exact lines, curves, ellipses, rectangles, arrowheads and hatch
// fills turned into slightly bowed, overshooting strokes appended to a caller's path.
//
// All wobble comes from the object's own seeded generator, and every operation makes a
// fixed number of draws in a fixed order for given inputs, so the same seed and the same
// sequence of calls always give a bit-identical path. Non-finite or overflowing geometry
// never reaches the path: a stroke whose points would not be finite is left out (its
// draws are still made), and loops whose length depends on the input are bounded.

#include "ink/Rng.h"
#include "platform/Path.h"

#include <cstdint>
#include <vector>

namespace nolby {

class Rough {
public:
    Rough(uint64_t seed, double roughness, double maxOffset, int maxPasses, double scale);

    // The generator; public so a caller can see (and tests can check) how far it has run.
    Rng rnd;

    double roughness() const { return roughness_; }
    double maxOffset() const { return maxOffset_; }
    int maxPasses() const { return maxPasses_; }
    double scale() const { return scale_; }

    // One bowed cubic stroke (11 draws); overlay halves the end offsets.
    void lineOnce(Path& path, double x1, double y1, double x2, double y2, bool overlay);
    // A stroke and, when min(maxPasses, passes) > 1, an overlay stroke over it (11 or 22 draws).
    void line(Path& path, double x1, double y1, double x2, double y2, int passes);
    // A smooth curve through the points, once per pass (2 draws per point per pass);
    // two points are a `line` and ignore the jitter.
    void curve(Path& path, const std::vector<Point>& points, int passes, double jitter);
    // An ellipse of width w and height h that overshoots its start and curls in.
    void ellipse(Path& path, double cx, double cy, double w, double h, int passes);
    // Four sides (each a `line`) and, when rounded, a quadratic corner per side per pass.
    void rect(Path& path, double x, double y, double w, double h, bool rounded, int passes);
    // Two barbs at the tip, each two strokes, whatever maxPasses says (48 draws).
    void arrowhead(Path& path, double tipX, double tipY, double dx, double dy, double size);
    // Parallel strokes `gap` apart filling the polygons, at `angle` degrees.
    void hachure(Path& path, const std::vector<std::vector<Point>>& polygons, double gap, double angle);

    // A uniform Catmull-Rom spline from p1 to p(m-2); the end points only steer it.
    static void catmull(Path& path, const std::vector<Point>& points);
    // The guide points of one ellipse pass (1 + 2 × points draws).
    std::vector<Point> ellipsePoints(double increment, double cx, double cy, double rx, double ry,
                                     double offset, double overlap);
    // The same, into `pts` (whatever it held is replaced), so passes can share one buffer.
    void ellipsePoints(std::vector<Point>& pts, double increment, double cx, double cy, double rx, double ry,
                       double offset, double overlap);
    // Keeps the first point, the last, and one point each time the walked length reaches step.
    static std::vector<Point> thin(const std::vector<Point>& points, double step);

    // Bounds that keep absurd input from running forever; far beyond any drawn page.
    static constexpr int kMaxEllipseSteps = 4096;
    static constexpr int kMaxHatchRows = 10000;

private:
    // roughness × a × (2u − 1), one draw.
    double jit(double a);
    // 2u − 1, one draw.
    double signedUnit();
    // One quadratic corner: start, end and control each jittered (6 draws).
    void corner(Path& path, double x0, double y0, double x1, double y1, double cx, double cy);

    double roughness_;
    double maxOffset_;
    int maxPasses_;
    double scale_;
};

}  // namespace nolby
