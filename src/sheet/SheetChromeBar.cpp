#include "sheet/SheetChromeBar.h"

#include "ink/Mag.h"
#include "platform/Canvas.h"
#include "platform/Path.h"
#include "sheet/SheetChromeGlass.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// The interface font through its system stand-in.
std::shared_ptr<const Font> systemFont(double size) { return Mag::systemFont(Mag::kSystemStandIn, size); }

// The stand-in has no semibold cut: the regular outlines filled and traced with a hairline.
void fillSemibold(cairo_t* cr, const chrome::Line& line, double x, double baseline, Color color) {
    chrome::fill(cr, line, x, baseline, color);
    draw::Saved saved(cr);
    draw::translate(cr, x, baseline);
    cairo_new_path(cr);
    draw::appendPath(cr, line.run.path);
    draw::setColor(cr, color);
    draw::setLineWidth(cr, line.run.path.isEmpty() ? 0 : 0.35);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

// The primary label colour.
constexpr Color kPrimary{0.1, 0.1, 0.12, 0.88};

constexpr double kPadX = 10, kPadY = 6;  // a bar button's label padding
constexpr double kBarPad = 3, kBarSpacing = 2, kDividerHeight = 16;
constexpr double kHintLead = 6, kHintTrail = 10;
constexpr double kWritingPadX = 6 + 10, kWritingPadY = 7;  // its own 6, and the glass style's room

}  // namespace

// ---- Label ----

ChromeLabel::ChromeLabel(const std::string& text, symbols::Symbol s)
    : symbol(s), title(chrome::line(text, *systemFont(kSize), 0)) {}

Size ChromeLabel::size() const {
    return {symbols::width(symbol, kSize) + kGap + title.width(), title.ascent + title.descent};
}

void ChromeLabel::draw(cairo_t* cr, Point at, Color color) const {
    const double baseline = at.y + title.ascent;
    const double iconW = symbols::width(symbol, kSize);
    // The pictogram centred on the capital letters' middle.
    const double capMiddle = baseline - kSize * 0.36;
    symbols::draw(cr, symbol, {at.x + iconW / 2, capMiddle}, kSize, 0.7, color);
    fillSemibold(cr, title, at.x + iconW + kGap, baseline, color);
}

// ---- Bar button ----

Size BarButton::size() const {
    const Size l = label.size();
    return {l.width + 2 * kPadX, l.height + 2 * kPadY};
}

void BarButton::draw(cairo_t* cr, const Rect& frame) const {
    if (over) {
        Path capsule;
        capsule.addRoundedRect(frame, frame.height() / 2, frame.height() / 2);
        draw::fillPath(cr, capsule, kPrimary.withAlpha(0.08));
    }
    const Size l = label.size();
    label.draw(cr, {frame.midX() - l.width / 2, frame.midY() - l.height / 2}, kPrimary);
}

// ---- Selection bar ----

SelectionBar::SelectionBar(std::function<void()> explain, std::function<void()> deeper)
    : explain_{ChromeLabel("Explain", symbols::Symbol::textBubble), std::move(explain), kExplainHelp},
      deeper_{ChromeLabel("Go Deeper", symbols::Symbol::arrowDownRight), std::move(deeper), kDeeperHelp},
      hint_(chrome::line(kHint, *systemFont(12), 0)) {
    const Size e = explain_.size(), d = deeper_.size();
    const double hintW = kHintLead + hint_.width() + kHintTrail;
    const double hintH = hint_.ascent + hint_.descent;
    const double rowH = std::max({e.height, d.height, kDividerHeight, hintH});
    double x = kBarPad;
    const double mid = kBarPad + rowH / 2;
    explainFrame_ = {x, mid - e.height / 2, e.width, e.height};
    x += e.width + kBarSpacing;
    dividerFrame_ = {x, mid - kDividerHeight / 2, 1, kDividerHeight};
    x += 1 + kBarSpacing;
    deeperFrame_ = {x, mid - d.height / 2, d.width, d.height};
    x += d.width + kBarSpacing;
    hintFrame_ = {x, mid - hintH / 2, hintW, hintH};
    x += hintW;
    size_ = {x + kBarPad, rowH + 2 * kBarPad};
}

void SelectionBar::draw(cairo_t* cr) const {
    glass::panel(cr, {0, 0, size_.width, size_.height}, size_.height / 2);
    explain_.draw(cr, explainFrame_);
    deeper_.draw(cr, deeperFrame_);
    Path divider;
    divider.addRect(dividerFrame_);
    // A separator line at half its strength.
    draw::fillPath(cr, divider, Color{0, 0, 0, 0.2 * 0.5});
    // The hint in the secondary label colour.
    chrome::fill(cr, hint_, hintFrame_.minX() + kHintLead, hintFrame_.minY() + hint_.ascent, Color{0.1, 0.1, 0.12, 0.5});
}

bool SelectionBar::hover(std::optional<Point> p) {
    const bool e = p && explainFrame_.contains(*p), d = p && deeperFrame_.contains(*p);
    const bool changed = e != explain_.over || d != deeper_.over;
    explain_.over = e;
    deeper_.over = d;
    return changed;
}

bool SelectionBar::click(Point p) {
    const BarButton* b = explainFrame_.contains(p) ? &explain_ : deeperFrame_.contains(p) ? &deeper_ : nullptr;
    if (!b) return false;
    if (b->action) b->action();
    return true;
}

std::string SelectionBar::help(Point p) const {
    if (explainFrame_.contains(p)) return explain_.help;
    if (deeperFrame_.contains(p)) return deeper_.help;
    return {};
}

// ---- Writing below ----

WritingBelowButton::WritingBelowButton() : label_(kTitle, symbols::Symbol::arrowDown) {}

Size WritingBelowButton::size() const {
    const Size l = label_.size();
    return {l.width + 2 * kWritingPadX, l.height + 2 * kWritingPadY};
}

Rect WritingBelowButton::frameAround(Point c) const {
    const Size s = size();
    return {c.x - s.width / 2, c.y - s.height / 2, s.width, s.height};
}

void WritingBelowButton::draw(cairo_t* cr, const Rect& frame) const {
    glass::panel(cr, frame, frame.height() / 2, pressed);
    const Size l = label_.size();
    label_.draw(cr, {frame.midX() - l.width / 2, frame.midY() - l.height / 2}, kPrimary);
}

}  // namespace nolby
