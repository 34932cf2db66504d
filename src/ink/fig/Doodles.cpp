// Doodles: small named pictograms (spark, star, heart, bulb ...) drawn as rough outlines,
// with a wash and hatching inside their closed shapes when filled. The shapes are path
// data in a 10 by 10 box, y down, scaled to the requested square.
#include "ink/SvgPath.h"
#include "ink/fig/Fig.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/StrokeOp.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <memory>

namespace nolby {

const std::map<std::string, std::string>& Fig::doodles() {
    // Full circles are one arc to a point 0.01 to the left of its start, then closed.
    static const std::map<std::string, std::string> table{
        {"spark", "M5 0 Q5.7 4.3 10 5 Q5.7 5.7 5 10 Q4.3 5.7 0 5 Q4.3 4.3 5 0 Z"},
        {"star", "M5 0.4 L6.3 3.7 L9.8 3.9 L7.1 6.1 L8 9.6 L5 7.6 L2 9.6 L2.9 6.1 L0.2 3.9 L3.7 3.7 Z"},
        {"heart",
         "M5 9.2 C1.2 6.4 0 4.2 0.5 2.6 C1.2 0.4 3.9 0.3 5 2.5 C6.1 0.3 8.8 0.4 9.5 2.6 C10 4.2 8.8 6.4 5 9.2 Z"},
        {"flower",
         "M5 3.6 A1.4 1.4 0 1 1 4.99 3.6 Z M5 3.4 C3.6 1 6.4 1 5 3.4 M6.4 4.4 C8.8 3 8.8 5.6 6.4 5.2 M6 6.4 C7.4 8.8 "
         "4.8 9.2 5.2 6.6 M3.8 6.4 C2.6 8.8 0.4 7.4 3.6 5.6 M3.5 4.6 C1 3.6 2 1.4 4.2 3.6"},
        {"sun",
         "M5 3 A2 2 0 1 1 4.99 3 Z M5 0.3 L5 1.6 M5 8.4 L5 9.7 M0.3 5 L1.6 5 M8.4 5 L9.7 5 M1.7 1.7 L2.6 2.6 M7.4 7.4 "
         "L8.3 8.3 M1.7 8.3 L2.6 7.4 M7.4 2.6 L8.3 1.7"},
        {"cloud", "M2.6 7.6 C0.4 7.6 0.4 4.7 2.4 4.6 C2.5 2.4 5.3 1.7 6.3 3.6 C7.9 2.8 9.7 4.2 9 5.9 C10.2 6.5 9.6 7.7 "
                  "8.5 7.6 Z"},
        {"bulb", "M3.3 6.6 C1.2 5.3 1.5 0.9 5 0.9 C8.5 0.9 8.8 5.3 6.7 6.6 L6.5 8 L3.5 8 Z M3.6 9 L6.4 9 M4.1 9.9 L5.9 9.9"},
        {"leaf", "M1 9 C1 4 4 1 9.5 0.6 C9.2 6 6 9 1 9 Z M1 9 C3.5 6.5 5 5 7 3"},
        {"check", "M1 5.4 L3.9 8.6 L9.4 1.4"},
        {"swirl",
         "M5 5 C5.6 5 5.8 4.2 5.2 3.8 C4.2 3.2 3.2 4.4 3.4 5.4 C3.7 7 6 7.5 7.2 6.2 C8.6 4.6 7.6 1.8 5.2 1.6 C2.6 1.4 1 "
         "3.8 1.4 6.2"},
        {"question", "M3 3 C3 0.4 7.2 0.4 7.2 3 C7.2 4.6 5 4.9 5 6.8 M5 8.9 L5.05 9.2"},
        {"arrow", "M0.6 8.6 C2.6 2.4 6.6 2 9.2 4 M9.2 4 L6.9 3.7 M9.2 4 L8.8 1.8"},
        {"nib", "M5 0.5 L8 5 L5 9.6 L2 5 Z M5 9.6 L5 5.4 M5 4.6 A0.5 0.5 0 1 1 4.99 4.6 Z"},
    };
    return table;
}

void Fig::doodle(const std::string& name, double cx, double cy, double size, Color color,
                 const std::optional<std::string>& fill) {
    const std::string key = unicode::lowercased(name);
    const auto& table = doodles();
    const auto found = table.find(key);
    const std::string& data = found != table.end() ? found->second : table.at("spark");
    const auto subs = SvgPath::parse(data, size / 10, size / 10, cx - size / 2, cy - size / 2);

    // Filled by default is a property of the name asked for, not of the shape drawn.
    const bool filled = key == "heart" || key == "star" || key == "spark";
    if (filled || fill) {
        // Any fill text is a colour name here, "none" included (it gives the grey wash).
        const std::string fillName = fill ? *fill : colorName(color);
        std::vector<std::vector<Point>> polygons;
        for (const auto& sub : subs)
            if (sub->closed) polygons.push_back(sub->pts);
        if (!polygons.empty()) {
            Path path;
            for (const auto& poly : polygons) {
                if (poly.size() < 3) continue;
                path.moveTo(poly.front());
                for (size_t i = 1; i < poly.size(); ++i) path.lineTo(poly[i]);
                path.close();
            }
            ops.push_back(std::make_shared<FillOp>(path, washColor(fillName), BlendMode::multiply, true));
            hatch(polygons, fillName, std::max(5 * u, size / 7), 1.6 * pw, 3);
        }
    }

    Path outline;
    for (const auto& sub : subs)
        for (const auto& run : corners(sub->pts))
            rough.curve(outline, Rough::thin(run, std::max(size / 12, 4 * u)), 2, 0.5);
    ops.push_back(std::make_shared<StrokeOp>(outline, pen(color, 2.3 * pw), 2, 1));
}

}  // namespace nolby
