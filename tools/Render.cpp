#include "Render.h"

#include "ink/Ink.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace nolby::tools {

bool renderPng(const std::vector<InkOpRef>& ops, Rect area, double t, const std::string& file) {
    if (area.isNull())
        for (const auto& op : ops) area = area.united(op->bounds());
    if (area.isNull()) area = {0, 0, 10, 10};
    const double margin = 12;
    Rect page = area.standardized().insetBy(-margin, -margin);
    page.w = std::clamp(page.w, 1.0, 4000.0);
    page.h = std::clamp(page.h, 1.0, 4000.0);
    Canvas canvas(page.w, page.h, 2);
    canvas.fill(Ink::paper);
    draw::translate(canvas.cr(), -page.x, -page.y);
    for (const auto& op : ops) op->draw(canvas.cr(), t);
    return canvas.writePng(file);
}

}  // namespace nolby::tools
