#include "platform/Oklab.h"

#include <algorithm>
#include <cmath>

namespace nolby::oklab {

namespace {

double toLinear(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }
double toGamma(double v) { return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055; }
double unit(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }

}  // namespace

// Björn Ottosson's matrices, from linear sRGB through the cone responses.
Lab fromColor(Color c) {
    const double r = toLinear(unit(c.r)), g = toLinear(unit(c.g)), b = toLinear(unit(c.b));
    const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
    const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
    const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
    return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
            1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
            0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s, unit(c.a)};
}

Color toColor(const Lab& lab) {
    const double l = lab.L + 0.3963377774 * lab.a + 0.2158037573 * lab.b;
    const double m = lab.L - 0.1055613458 * lab.a - 0.0638541728 * lab.b;
    const double s = lab.L - 0.0894841775 * lab.a - 1.2914855480 * lab.b;
    const double l3 = l * l * l, m3 = m * m * m, s3 = s * s * s;
    const double r = 4.0767416621 * l3 - 3.3077115913 * m3 + 0.2309699292 * s3;
    const double g = -1.2684380046 * l3 + 2.6097574011 * m3 - 0.3413193965 * s3;
    const double b = -0.0041960863 * l3 - 0.7034186147 * m3 + 1.7076147010 * s3;
    return {unit(toGamma(unit(r))), unit(toGamma(unit(g))), unit(toGamma(unit(b))), unit(lab.alpha)};
}

Color mix(Color from, Color to, double fraction) {
    const double t = std::isfinite(fraction) ? fraction : 0;
    const Lab a = fromColor(from), b = fromColor(to);
    return toColor({a.L + (b.L - a.L) * t, a.a + (b.a - a.a) * t, a.b + (b.b - a.b) * t,
                    a.alpha + (b.alpha - a.alpha) * t});
}

}  // namespace nolby::oklab
