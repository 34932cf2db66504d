#include "sheet/SheetHead.h"

#include "ink/J.h"
#include "ink/Mag.h"
#include "ink/mag/Grain.h"
#include "platform/Canvas.h"
#include "platform/Unicode.h"
#include "press/Press.h"
#include "sheet/SheetChromeGlass.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// "Futura-Bold" through its system stand-in.
std::shared_ptr<const Font> futuraBold(double size) { return Mag::systemFont(Mag::kFuturaBoldStandIn, size); }

// The display face at a size, its optical size following the size.
chrome::FontAt fraunces(double weight) {
    return [weight](double size) {
        return Mag::ct(Mag::Face::fraunces, size,
                       {{"wght", weight}, {"SOFT", 100}, {"opsz", std::clamp(size, 9.0, 144.0)}, {"WONK", 1}});
    };
}

// Text wrapped to the width in at most `lines` lines, the last cut short with "…".
chrome::Block wrapped(const std::string& text, const chrome::FontAt& font, double size, double kern, double width,
                      size_t lines) {
    return chrome::block(text, font, size, kern, width, lines, 1);
}

// A single line at the font's size, cut short to `width`.
chrome::Block oneLine(const std::string& text, const Font& font, double tracking, double width) {
    return chrome::single(text, font, tracking, width);
}

// The spacer between the kicker's two ends keeps at least this much room.
constexpr double kSpacerMin = 8;

// How far below its top the close button's symbol sits on the text baseline: the symbol
// is centred in the button, its baseline half its cap height below the centre.
constexpr double kCloseBaseline = SheetHead::kClose / 2 + 4;

}  // namespace

SheetHead::SheetHead(std::shared_ptr<NotebookModel> model, double width, double scale, std::function<void()> close,
                     std::function<void(double)> height, Sources sources)
    : model_(std::move(model)),
      width_(width),
      scale_(scale),
      close_(std::move(close)),
      height_(std::move(height)),
      sources_(std::move(sources)) {
    if (model_) watchNotebook_ = model_->nb.observe([this] { refresh(); });
    if (sources_.library) watchLibrary_ = sources_.library->notebooks.observe([this] { refresh(); });
    // Only this notebook's cover: other notebooks' covers change nothing the head shows.
    if (auto press = std::dynamic_pointer_cast<Press>(sources_.press); press && model_)
        watchPress_ = press->observe(model_->nb->id, [this] { refresh(); });
    refresh();
}

// ---- Texts ----

std::string SheetHead::issueNumber(const Notebook& nb) {
    const int64_t n = nb.issue && *nb.issue >= 2 ? *nb.issue : 1;
    return "NO. " + chrome::zeroPadded(n, 3);
}

std::string SheetHead::issueKicker(const Notebook& nb) {
    return issueNumber(nb) + "  \u2022  " + unicode::uppercased(Mag::quarter(ReferenceClock::toSys(nb.created)));
}

std::string SheetHead::modeLabel(const std::string& mode) {
    if (mode == "explore") return "YOU LEAD";
    if (mode == "think") return "YOU WORK IT OUT";
    return "NOLBY LEADS";
}

std::string SheetHead::issueTitle(const Notebook& nb) { return nb.title.empty() ? "A new issue" : nb.title; }

std::vector<std::string> SheetHead::planSteps(const Notebook& nb) {
    if (!nb.plan) return {};
    const std::optional<J> plan = J::parse(*nb.plan);
    if (!plan) return {};
    std::vector<std::string> steps = plan->strs("steps");
    if (steps.size() > kMaxSteps) steps.resize(kMaxSteps);
    return steps;
}

std::string SheetHead::diveKicker(const std::optional<Notebook>& parent) {
    const std::string title = !parent ? "the issue" : parent->title.empty() ? "Untitled" : parent->title;
    return "DEEP DIVE  \u2022  FROM \u201C" + unicode::uppercased(title) + "\u201D";
}

std::optional<std::string> SheetHead::diveSubtitle(const Notebook& nb) {
    if (nb.title.empty() || unicode::lowercased(nb.title) == unicode::lowercased(nb.from.value_or(""))) return std::nullopt;
    return nb.title;
}

// ---- Layout ----

SheetHead::Laid SheetHead::issue(const Notebook& nb, double k, double width, bool cover) {
    Laid l;
    double y = 0;
    if (cover) {
        l.cover = Rect{0, 0, width, std::round(width * 0.3)};
        y += l.cover->h + 22 * k;
    }

    // Kicker: number and quarter on the left, who leads on the right, one row.
    const auto kickerFont = futuraBold(k * 10.5);
    const Color faint = Mag::black.withAlpha(0.55);
    chrome::Block mode = oneLine(modeLabel(nb.mode), *kickerFont, k * 1.6, width);
    chrome::Block left = oneLine(issueKicker(nb), *kickerFont, k * 1.6, width - mode.width() - kSpacerMin);
    l.mode = Text{mode, {width - mode.width(), y}, faint};
    l.kicker = Text{left, {0, y}, faint};
    y += std::max(left.height(), mode.height());

    // Title.
    y += 8 * k;
    const bool real = !nb.title.empty();
    const double titleSize = 46 * k;
    l.title = Text{wrapped(issueTitle(nb), fraunces(500), titleSize, -0.6 * k, width, 3), {0, y},
                   Mag::black.withAlpha(real ? 1 : 0.25)};
    y += l.title.block.height();

    // Plan steps in a wrapping row.
    const std::vector<std::string> steps = planSteps(nb);
    if (!steps.empty()) {
        y += 12 * k;
        const Color accent = Color::hex(Mag::inks(nb.color).a);
        const auto numberFont = futuraBold(k * 9.5);
        std::vector<Size> sizes;
        for (size_t i = 0; i < steps.size(); ++i) {
            const int n = static_cast<int>(i) + 1;
            const int64_t s = nb.step;
            Step st;
            st.n = n;
            st.number = Text{oneLine(chrome::zeroPadded(n, 2), *numberFont, 0, INFINITY), {},
                             n <= s ? accent : Mag::black.withAlpha(0.35)};
            st.text = Text{oneLine(steps[i], *Mag::newsCT(14 * k, n == s ? 600 : 400, n > s), 0, INFINITY), {},
                           Mag::black.withAlpha(n < s ? 0.4 : 0.82)};
            // Number and text share the first baseline.
            const double above = std::max(st.number.block.ascent, st.text.block.ascent);
            const double below = std::max(st.number.block.height() - st.number.block.ascent,
                                          st.text.block.height() - st.text.block.ascent);
            st.frame = {0, 0, st.number.block.width() + 5 * k + st.text.block.width(), above + below};
            st.number.at = {0, above - st.number.block.ascent};
            st.text.at = {st.number.block.width() + 5 * k, above - st.text.block.ascent};
            sizes.push_back({st.frame.w, st.frame.h});
            l.steps.push_back(std::move(st));
        }
        const FlowRow row{14 * k, 6 * k};
        const Size fits = row.sizeThatFits(width, sizes);
        const std::vector<Point> at = row.placeSubviews({0, y, width, fits.height}, sizes);
        for (size_t i = 0; i < l.steps.size(); ++i) {
            Step& st = l.steps[i];
            st.frame.x = at[i].x;
            st.frame.y = at[i].y;
            st.number.at = st.number.at + at[i];
            st.text.at = st.text.at + at[i];
        }
        y += fits.height;
    }
    l.height = y;
    return l;
}

SheetHead::Laid SheetHead::dive(const Notebook& nb, double k, double width, const std::optional<Notebook>& parent,
                                bool close) {
    Laid l;
    double y = 0;

    // Kicker, and the close button on its baseline.
    const double room = close ? width - kClose - kSpacerMin : width;
    chrome::Block kicker = oneLine(diveKicker(parent), *futuraBold(k * 10), k * 1.4, room);
    const double above = std::max(kicker.ascent, close ? kCloseBaseline : 0.0);
    const double below = std::max(kicker.height() - kicker.ascent, close ? kClose - kCloseBaseline : 0.0);
    l.kicker = Text{kicker, {0, above - kicker.ascent}, Color::hex(Mag::inks(nb.color).a)};
    if (close) l.close = Rect{width - kClose, above - kCloseBaseline, kClose, kClose};
    y += above + below;

    // The chosen words as the title.
    y += 6 * k;
    l.title = Text{wrapped("\u201C" + nb.from.value_or("") + "\u201D", fraunces(480), 36 * k, -0.4 * k, width, 3),
                   {0, y}, Mag::black};
    y += l.title.block.height();

    if (auto subtitle = diveSubtitle(nb)) {
        y += 4 * k;
        const double size = 16 * k;
        auto font = [](double s) { return Mag::newsCT(s, 430, true); };
        l.subtitle = Text{chrome::block(*subtitle, font, size, 0, width, 1000, 1), {0, y}, Mag::black.withAlpha(0.55)};
        y += l.subtitle->block.height();
    }
    l.height = y;
    return l;
}

bool SheetHead::isDive() const { return model_ && model_->nb->parent.has_value(); }

bool SheetHead::Inputs::operator==(const Inputs& o) const {
    return nb.title == o.nb.title && nb.issue == o.nb.issue && nb.created == o.nb.created && nb.mode == o.nb.mode &&
           nb.plan == o.nb.plan && nb.step == o.nb.step && nb.color == o.nb.color && nb.parent == o.nb.parent &&
           nb.from == o.nb.from && parentTitle == o.parentTitle && parentFound == o.parentFound && cover == o.cover &&
           width == o.width && scale == o.scale;
}

SheetHead::Inputs SheetHead::inputs() const {
    Inputs in;
    if (model_) {
        // The fields the head reads, and not the pages: this runs at every keystroke.
        const Notebook& nb = model_->nb.get();
        in.nb.id = nb.id;
        in.nb.title = nb.title;
        in.nb.issue = nb.issue;
        in.nb.created = nb.created;
        in.nb.mode = nb.mode;
        in.nb.plan = nb.plan;
        in.nb.step = nb.step;
        in.nb.color = nb.color;
        in.nb.parent = nb.parent;
        in.nb.from = nb.from;
    }
    if (in.nb.parent && sources_.library) {
        if (std::optional<NotebookHead> parent = sources_.library->head(*in.nb.parent)) {
            in.parentFound = true;
            in.parentTitle = parent->title;
        }
    }
    in.cover = cover_;
    in.width = width_;
    in.scale = scale_;
    return in;
}

SheetHead::Laid SheetHead::layOut(const Inputs& in) const {
    const double k = this->k();
    Laid l;
    if (model_) {
        const Notebook& nb = in.nb;
        if (nb.parent) {
            std::optional<Notebook> parent;
            if (in.parentFound) {
                parent = Notebook{};
                parent->title = in.parentTitle.value_or("");
            }
            l = dive(nb, k, width_, parent, bool(close_));
        } else {
            l = issue(nb, k, width_, cover_ != nullptr);
        }
    }
    // Move the content below the fixed top room, then the rule and the bottom room.
    auto down = [](Text& t) { t.at.y += kTop; };
    if (l.cover) l.cover->y += kTop;
    if (l.close) l.close->y += kTop;
    down(l.kicker);
    if (l.mode) down(*l.mode);
    down(l.title);
    if (l.subtitle) down(*l.subtitle);
    for (Step& s : l.steps) {
        s.frame.y += kTop;
        down(s.number);
        down(s.text);
    }
    const double ruleY = kTop + l.height + 18 * k;
    l.rule = {0, ruleY, width_, 1};
    l.height = ruleY + 1 + kBottom;
    return l;
}

void SheetHead::resize(double width, double scale) {
    if (width == width_ && scale == scale_) return;
    width_ = width;
    scale_ = scale;
    refresh();
}

void SheetHead::refresh() {
    cover_ = nullptr;
    if (sources_.press && model_ && !model_->nb->parent) cover_ = sources_.press->image(model_->nb->id, kCoverPixels);
    Inputs in = inputs();
    if (last_ && *last_ == in) return;
    laid_ = layOut(in);
    last_ = std::move(in);
    const double h = laid_.height;
    if (h != reported_) {
        reported_ = h;
        if (height_) height_(h);
    }
    if (changed) changed();
}

// ---- Drawing ----

namespace {

void fillText(cairo_t* cr, const SheetHead::Text& t) { chrome::fill(cr, t.block, t.at.x, t.at.y, t.color); }

// The cover filling the strip (cut to it, centred), under grain, in rounded corners.
void drawCover(cairo_t* cr, const Image& image, const Rect& strip) {
    if (image.width() <= 0 || image.height() <= 0 || strip.isEmpty()) return;
    draw::Saved saved(cr);
    Path clip;
    clip.addRoundedRect(strip, 3, 3);
    cairo_new_path(cr);
    draw::appendPath(cr, clip);
    cairo_clip(cr);
    const double fill = std::max(strip.w / image.width(), strip.h / image.height());
    const double w = image.width() * fill, h = image.height() * fill;
    {
        draw::Saved place(cr);
        draw::translate(cr, strip.midX() - w / 2, strip.midY() - h / 2);
        draw::scale(cr, fill, fill);
        cairo_set_source_surface(cr, image.surface(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
    }
    Grain{0.2}.draw(cr, strip);
}

}  // namespace

void SheetHead::draw(cairo_t* cr) const {
    draw::Saved saved(cr);
    const Laid& l = laid_;
    if (l.cover && cover_) drawCover(cr, *cover_, *l.cover);
    fillText(cr, l.kicker);
    if (l.mode) fillText(cr, *l.mode);
    if (l.close) glass::closeButton(cr, *l.close);
    fillText(cr, l.title);
    if (l.subtitle) fillText(cr, *l.subtitle);
    for (const Step& s : l.steps) {
        fillText(cr, s.number);
        fillText(cr, s.text);
    }
    if (!l.rule.isNull()) {
        cairo_new_path(cr);
        cairo_rectangle(cr, l.rule.x, l.rule.y, l.rule.w, l.rule.h);
        draw::setColor(cr, Mag::black.withAlpha(0.85));
        cairo_fill(cr);
    }
}

double SheetHead::layout(double width, double scale) {
    resize(width, scale);
    return height();
}

void SheetHead::paint(cairo_t* cr, double) { draw(cr); }

void SheetHead::onChange(std::function<void()> c) { changed = std::move(c); }

bool SheetHead::hitsClose(Point p) const { return laid_.close && laid_.close->contains(p); }

void SheetHead::pressClose() const {
    if (close_) close_();
}

bool SheetHead::press(Point at) {
    if (!hitsClose(at)) return false;
    pressClose();
    return true;
}

}  // namespace nolby
