#include "model/sheet/SheetMarks.h"

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
    if (!(t >= kSolid)) return 1;  // also before the move, and for no number
    static constexpr TimingFunction kEaseInOut{0.42, 0, 0.58, 1};
    const double phase = std::fmod(t - kSolid, 2 * kFade);
    // Out during the first half of each period, back in during the second.
    if (phase < kFade) return 1 - kEaseInOut(phase / kFade);
    return kEaseInOut((phase - kFade) / kFade);
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
        if (draw::translate(cr, geo.ox, 0) && draw::scale(cr, geo.s, geo.s)) {
            cairo_push_group(cr);
            for (const InkOpRef& op : promptOps_)
                if (op) op->draw(cr, 1);
            cairo_pop_group_to_source(cr);
            cairo_paint_with_alpha(cr, std::min(shown, 1.0));
        }
    }
    if (!spot_ || spot_->page != page || !caretVisible(model, active)) return;
    const Rect b = bar(spot_->caret, geo);
    Caret{Ink::learner}.draw(cr, b.x, b.y, b.w, b.h, Caret::opacity(now - caretSince_));
}

Rect SheetMarks::bar(const Rect& caret, const PageGeometry& geo) {
    const double s = geo.s;
    return {geo.ox + s * caret.minX(), s * caret.minY(), std::max(s * 1.5, 1.6), s * caret.height()};
}

std::optional<SheetMarks::Blink> SheetMarks::blink(NotebookModel& model, bool active, double now) const {
    if (!spot_ || !caretVisible(model, active)) return std::nullopt;
    const double lit = Caret::kSolid - (now - caretSince_);
    return Blink{spot_->page, spot_->caret, lit > 0 ? lit : 0};
}

bool SheetMarks::animating(NotebookModel& model, bool active, double now) const {
    if (promptShown_.animating(now)) return true;
    return spot_ && caretVisible(model, active);
}

}  // namespace nolby
