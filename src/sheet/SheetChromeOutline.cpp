#include "sheet/SheetChromeOutline.h"

#include "ink/Ink.h"
#include "ink/Mag.h"
#include "ink/mag/Symbols.h"

#include <algorithm>

namespace nolby {

namespace {

constexpr double kSpacing = 9;        // between the heading and the rows, and between rows
constexpr double kHeadingBelow = 3;   // the heading's own padding below
constexpr double kRowSpacing = 6;     // between a dive's arrow and its text
constexpr double kQuestionLead = 10;  // questions stand indented
constexpr double kIconSize = 9;
constexpr size_t kLines = 2;

chrome::Block rowText(const std::string& text, double size, double weight, bool italic, double width) {
    auto font = [weight, italic](double s) { return Mag::newsCT(s, weight, italic); };
    return chrome::block(text, font, size, 0, std::max(width, 1.0), kLines, 1);
}

}  // namespace

std::optional<size_t> Outline::current(const std::vector<SheetState::Entry>& entries, double scrollY,
                                       double viewport) {
    std::optional<size_t> found;
    const double line = scrollY + kReached * viewport;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].y <= line) found = i;
    return found;
}

Outline::Outline(const std::vector<SheetState::Entry>& entries, Color color, double width, double scrollY,
                 double viewport)
    : color_(color), width_(width) {
    heading_ = chrome::single(kHeading, *Mag::systemFont(Mag::kFuturaBoldStandIn, 9.5), 1.5, width);
    double y = heading_.height() + kHeadingBelow;
    const std::optional<size_t> reached = current(entries, scrollY, viewport);
    const size_t count = std::min(entries.size(), kMaxRows);
    for (size_t i = 0; i < count; ++i) {
        const SheetState::Entry& e = entries[i];
        y += kSpacing;
        Row r;
        r.index = i;
        r.current = reached == i;
        double x = 0;
        switch (e.kind) {
        case SheetState::Entry::Kind::heading:
            r.text = rowText(e.text, 13.5, r.current ? 600 : 450, false, width);
            r.color = Mag::black.withAlpha(r.current ? 0.95 : 0.6);
            break;
        case SheetState::Entry::Kind::question:
            x = kQuestionLead;
            r.text = rowText("\u201C" + e.text + "\u201D", 12.5, 430, true, width - x);
            r.color = Ink::learner.withAlpha(r.current ? 0.95 : 0.6);
            break;
        case SheetState::Entry::Kind::dive: {
            const double iconW = symbols::width(symbols::Symbol::arrowDownRight, kIconSize);
            x = iconW + kRowSpacing;
            r.text = rowText(e.text, 12.5, 500, false, width - x);
            r.color = color.withAlpha(r.current ? 1 : 0.75);
            // On the first baseline, centred on the capitals of a 9-point symbol.
            r.icon = Point{iconW / 2, y + r.text.ascent - kIconSize * 0.36};
            break;
        }
        }
        r.textAt = {x, y};
        r.frame = {0, y, width, r.text.height()};
        y += r.text.height();
        rows_.push_back(std::move(r));
    }
    height_ = y;
}

void Outline::draw(cairo_t* cr) const {
    chrome::fill(cr, heading_, 0, 0, Mag::black.withAlpha(0.4));
    for (const Row& r : rows_) {
        if (r.icon) symbols::draw(cr, symbols::Symbol::arrowDownRight, *r.icon, kIconSize, 0.8, color_);
        chrome::fill(cr, r.text, r.textAt.x, r.textAt.y, r.color);
    }
}

std::optional<size_t> Outline::rowAt(Point p) const {
    for (const Row& r : rows_)
        if (r.frame.contains(p)) return r.index;
    return std::nullopt;
}

}  // namespace nolby
