#include "sheet/SheetMarks.h"

#include "ink/Hand.h"
#include "platform/Canvas.h"
#include "platform/Path.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace nolby {

bool SheetMarks::caretArgument = false;

// ---- Caret

double Caret::opacity(double t) {
    if (!(t >= kSolid) || !blinks(t)) return 1;  // also before the move, and for no number
    static constexpr TimingFunction kEaseInOut{0.42, 0, 0.58, 1};
    const double phase = std::fmod(t - kSolid, 2 * kFade);
    // Out during the first half of each period, back in during the second.
    if (phase < kFade) return 1 - kEaseInOut(phase / kFade);
    return kEaseInOut((phase - kFade) / kFade);
}

double Caret::drawn(double t) { return std::round(opacity(t) * kSteps) / kSteps; }

double Caret::untilChange(double t) {
    if (!blinks(t)) return std::numeric_limits<double>::infinity();
    if (!(t >= kSolid)) return std::isfinite(t) ? kSolid - t : 0;
    // The next moment the drawn step differs, found to the millisecond (a step lasts tens of
    // them); the end of the blinking, at the latest.
    const double now = drawn(t), end = kSolid + kBlinking;
    for (double u = std::floor(t * 1000 + 1) / 1000; u < end; u += 0.001)
        if (drawn(u) != now) return u - t;
    return std::max(end - t, 0.0);
}

void Caret::draw(cairo_t* cr, double x, double y, double w, double h, double alpha) const {
    if (!(alpha > 0) || !(w > 0) || !(h > 0)) return;
    Path bar;
    const double r = std::min(w, h) / 2;
    bar.addRoundedRect({x, y, w, h}, r, r);
    Color c = color;
    c.a *= std::min(alpha, 1.0);
    draw::fillPath(cr, bar, c);
}

// ---- Spot and prompt

std::optional<SheetMarks::Spot> SheetMarks::spot(NotebookModel& model) {
    if (const auto& e = model.editing.get()) return Spot{e->page, NotebookModel::caret(*e), std::nullopt, 0};
    const NotebookModel::TutorStatus& tutor = model.tutor.get();
    if (tutor.thinking || model.scribe->busy.get() || tutor.reading) return std::nullopt;

    const NotebookModel::TypingSpot where = model.typingSpot();
    double x = 29, y;
    if (where.spot) {
        x = where.spot->x + 1;
        y = where.spot->y;
    } else {
        y = model.lowestInk(where.page) + 26;
    }
    Spot s;
    s.page = where.page;
    s.caret = {x, y + NotebookModel::firstBaseline() - 13.6, 0, 17.34};
    if (model.focused.get()) s.prompt = prompt(model);
    s.top = y;
    return s;
}

std::optional<std::string> SheetMarks::prompt(NotebookModel& model) {
    if (model.isEmptyNotebook()) {
        if (model.nb->parent) return std::nullopt;
        return "what would you like to learn?";
    }
    const std::vector<std::string> prompts = model.fieldPrompts();
    const std::string base = unicode::lowercased(prompts.empty() ? std::string() : prompts.front());
    using Kind = NotebookModel::Way::Kind;
    switch (model.way().kind) {
    case Kind::ask: return std::string("press return to ask");
    case Kind::next: return base + ", or press return to read on";
    default: return base;
    }
}

bool SheetMarks::hasCaretArgument(int argc, const char* const* argv) {
    for (int i = 0; i < argc; ++i)
        if (argv[i] && std::strcmp(argv[i], kCaretArgument) == 0) return true;
    return false;
}

std::string SheetMarks::caretIdentity(const Rect& caret) {
    const auto quarter = [](double v) -> long long {
        const double q = std::trunc(v * 4);
        // Beyond the whole numbers a long long holds (or no number at all): 0.
        if (!(std::fabs(q) < 9.2e18)) return 0;
        return static_cast<long long>(q);
    };
    return std::to_string(quarter(caret.x)) + " " + std::to_string(quarter(caret.y));
}

// ---- Frames

const std::optional<SheetMarks::Spot>& SheetMarks::sync(NotebookModel& model, double now) {
    spot_ = spot(model);
    if (spot_) {
        std::string id = caretIdentity(spot_->caret);
        if (id != caretId_ || !synced_) {
            caretId_ = std::move(id);
            caretSince_ = now;
        }
    }
    const bool prompted = spot_ && spot_->prompt;
    if (!synced_) promptShown_ = Presence(kPromptFade, TimingFunction::easeOut(), prompted);
    else promptShown_.set(prompted, now);
    if (prompted) layPrompt(model, *spot_);
    synced_ = true;
    return spot_;
}

void SheetMarks::layPrompt(NotebookModel& model, const Spot& spot) {
    const double x = spot.caret.minX() + 3;
    PromptKey key{*spot.prompt, x, spot.top, model.nb->pageW - 24 - x, spot.page};
    if (promptKey_ == key) return;
    // Seeded the same every time, so the prompt always has the same shape.
    Hand hand(5);
    promptOps_ = hand.write(key.text, key.x, key.top, key.width, kPromptSize, kPromptColor, Faces::Face::hand,
                            std::nullopt, Hand::Align::left, true, std::nullopt, 0, 0, 0.5)
                     .ops;
    promptBounds_ = Rect::null();
    for (const InkOpRef& op : promptOps_) promptBounds_ = promptBounds_.united(op->bounds());
    promptImage_.reset();
    promptKey_ = std::move(key);
}

bool SheetMarks::caretVisible(NotebookModel& model, bool active) const {
    return model.focused.get() && (active || caretArgument);
}

void SheetMarks::paint(cairo_t* cr, NotebookModel& model, int page, const PageGeometry& geo, bool active, double now) {
    if (!cr || !geo.drawable()) return;
    // The prompt fades out where it was, even after the spot went.
    const double shown = promptShown_.amount(now);
    if (shown > 0 && promptKey_ && promptKey_->page == page && !promptOps_.empty()) {
        draw::Saved saved(cr);
        if (draw::translate(cr, geo.ox, 0) && draw::scale(cr, geo.s, geo.s)) paintPrompt(cr, std::min(shown, 1.0));
    }
    if (!spot_ || spot_->page != page || !caretVisible(model, active)) return;
    const Rect b = bar(spot_->caret, geo);
    Caret{Ink::learner}.draw(cr, b.x, b.y, b.w, b.h, Caret::drawn(now - caretSince_));
}

void SheetMarks::paintPrompt(cairo_t* cr, double alpha) {
    // Where the prompt falls in device pixels: its bitmap is made there once and copied in
    // every frame after, so the caret's blink (which redraws the bar beside the prompt)
    // never writes its glyphs again.
    double x1 = promptBounds_.minX(), y1 = promptBounds_.minY(), x2 = promptBounds_.maxX(), y2 = promptBounds_.maxY();
    cairo_user_to_device(cr, &x1, &y1);
    cairo_user_to_device(cr, &x2, &y2);
    const double left = std::floor(std::min(x1, x2)), top = std::floor(std::min(y1, y2));
    const double w = std::ceil(std::max(x1, x2)) - left, h = std::ceil(std::max(y1, y2)) - top;
    if (!(w >= 1 && h >= 1 && w <= 8192 && h <= 8192)) return;
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    PromptPlace place{m.xx, m.yx, m.xy, m.yy, m.x0 - left, m.y0 - top};
    if (!promptImage_ || promptPlace_ != place) {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(w), static_cast<int>(h));
        cairo_t* c = cairo_create(s);
        const cairo_matrix_t at{place.xx, place.yx, place.xy, place.yy, place.x0, place.y0};
        cairo_set_matrix(c, &at);
        for (const InkOpRef& op : promptOps_)
            if (op) op->draw(c, 1);
        cairo_destroy(c);
        cairo_surface_flush(s);
        promptImage_ = Image::adopt(s);
        promptPlace_ = place;
    }
    draw::Saved saved(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_surface(cr, promptImage_->surface(), left, top);
    cairo_paint_with_alpha(cr, alpha);
}

Rect SheetMarks::bar(const Rect& caret, const PageGeometry& geo) {
    const double s = geo.s;
    return {geo.ox + s * caret.minX(), s * caret.minY(), std::max(s * 1.5, 1.6), s * caret.height()};
}

std::optional<SheetMarks::Blink> SheetMarks::blink(NotebookModel& model, bool active, double now) const {
    if (!spot_ || !caretVisible(model, active) || !Caret::blinks(now - caretSince_)) return std::nullopt;
    return Blink{spot_->page, spot_->caret, Caret::untilChange(now - caretSince_)};
}

bool SheetMarks::animating(NotebookModel& model, bool active, double now) const {
    if (promptShown_.animating(now)) return true;
    return spot_ && caretVisible(model, active) && Caret::blinks(now - caretSince_);
}

}  // namespace nolby
