// Pages in view, the reading page, the next page, and moving to a page: a plain change while
// scrolling, a leaf flip between spreads, a page curl one page at a time. A flip or curl is an
// animated change the views play (`motion`); it lands through the scheduler. And the look of
// the live pen stroke.
#include "model/NotebookModel.h"

#include "ink/Freehand.h"
#include "ink/Ink.h"
#include "platform/Haptics.h"

#include <algorithm>
#include <cmath>

namespace nolby {

double NotebookModel::Motion::fraction(double time) const {
    if (!(duration > 0)) return time >= begin ? 1 : 0;
    const double x = std::clamp((time - begin) / duration, 0.0, 1.0);
    return curve(x);
}

Point NotebookModel::Motion::at(double time) const {
    const double u = fraction(time);
    return {from.x + (to.x - from.x) * u, from.y + (to.y - from.y) * u};
}

int NotebookModel::spreadLeft(int page) { return page % 2 != 0 ? page : page - 1; }

std::vector<int> NotebookModel::inView() const {
    const int count = static_cast<int>(nb->pages.size());
    std::vector<int> out;
    if (scroll.get()) {
        for (int i = 0; i < count; ++i) out.push_back(i);
    } else if (spread.get()) {
        const int left = spreadLeft(pageIndex.get());
        for (int i : {left, left + 1})
            if (i >= 0 && i < count) out.push_back(i);
    } else {
        out.push_back(pageIndex.get());
    }
    return out;
}

int NotebookModel::readingPage() {
    const std::vector<int> view = inView();
    const int count = static_cast<int>(nb->pages.size());
    for (auto i = view.rbegin(); i != view.rend(); ++i) {
        if (*i < 0 || *i >= count) continue;
        for (const PageItem& item : nb->pages[*i].items)
            if (!bounds(item).isNull()) return *i;
    }
    return pageIndex.get();
}

std::optional<int> NotebookModel::nextPageIndex() {
    const std::vector<int> view = inView();
    const int last = view.empty() ? pageIndex.get() : view.back();
    const int target = spread.get() ? spreadLeft(last) + 2 : last + 1;
    const int count = static_cast<int>(nb->pages.size());
    if (target >= 0 && target < count) return target;
    const bool written = std::any_of(view.begin(), view.end(), [&](int i) {
        return i >= 0 && i < count && !nb->pages[i].items.empty();
    });
    if (!written || target < 0) return std::nullopt;
    // Fresh pages straight into the notebook: no undo step, no page version.
    nb.modify([&](Notebook& n) {
        while (static_cast<int>(n.pages.size()) <= target) n.pages.push_back(Page{});
    });
    save(false);
    return target;
}

bool NotebookModel::turning() const { return curl.get().has_value() || leaf.get().has_value(); }

void NotebookModel::go(int to, bool animated, bool slow, std::function<void()> then) {
    // A flip or curl still running lands on its own target first, so that its late
    // landing cannot take the notebook away from where this move goes.
    if (landing_) {
        const Landing running = *landing_;
        running.curl ? finishCurl(running.target) : land(running.target);
    }
    const auto valid = [&](int i) { return i >= 0 && i < static_cast<int>(nb->pages.size()); };
    if (!valid(to) || to == pageIndex.get()) {
        if (then) then();
        return;
    }
    // Committing may carry overflow onto a page inserted before the target.
    const Uuid target = nb->pages[to].id;
    commitEditing();
    to = pageIndexOf(target);
    if (to < 0 || to == pageIndex.get()) {
        if (then) then();
        return;
    }
    const double now = services_.scheduler->now();

    if (!scroll.get() && spread.get()) {
        const int from = spreadLeft(pageIndex.get()), toLeft = spreadLeft(to);
        if (from != toLeft && animated) {
            leaf.set(Leaf{from < toLeft, from, toLeft, 0});
            const Motion m{{0, 0}, {1, 0}, TimingFunction{0.3, 0.1, 0.2, 1.0}, now, slow ? slowFlipSeconds : flipSeconds};
            motion.set(m);
            leaf.modify([](std::optional<Leaf>& l) { l->progress = 1; });
            levelChange();
            startTurn(m, to, false, std::move(then));
            return;
        }
    } else if (!scroll.get() && animated && viewSize->width > 0) {
        const double w = viewSize->width, h = viewSize->height;
        const Point corner{w, h}, away{-1.35 * w, h - 0.04 * h};
        Motion m;
        if (pageIndex.get() < to) {
            curl.set(Curl{true, pageIndex.get(), to, corner, {w - 2, h - 2}});
            m = Motion{{w - 2, h - 2}, away, TimingFunction{0.4, 0.05, 0.25, 1.0}, now,
                       slow ? slowCurlSeconds : curlSeconds};
        } else {
            curl.set(Curl{false, to, pageIndex.get(), corner, away});
            m = Motion{away, corner, TimingFunction{0.3, 0.1, 0.25, 1.0}, now,
                       slow ? slowCurlBackSeconds : curlBackSeconds};
        }
        motion.set(m);
        curl.modify([&](std::optional<Curl>& c) { c->finger = m.to; });
        levelChange();
        startTurn(m, to, true, std::move(then));
        return;
    }
    pageIndex.set(to);
    save(false);
    if (then) then();
}

void NotebookModel::startTurn(Motion m, int target, bool isCurl, std::function<void()> then) {
    auto slot = std::make_shared<std::function<void()>>(std::move(then));
    std::weak_ptr<NotebookModel> weak = weak_from_this();
    Timer timer = services_.scheduler->after(m.duration, [weak, slot, target, isCurl] {
        auto self = weak.lock();
        if (self && self->landing_ && self->landing_->then == slot) {
            isCurl ? self->finishCurl(target) : self->land(target);
            return;
        }
        runOnce(slot);  // the model is gone: only the completion runs
    });
    landing_ = Landing{timer, target, isCurl, slot};
}

std::function<void()> NotebookModel::takeLanding() {
    if (!landing_) return {};
    Landing l = std::move(*landing_);
    landing_.reset();
    l.timer.cancel();
    std::function<void()> then = std::move(*l.then);
    *l.then = nullptr;
    return then;
}

void NotebookModel::runOnce(const std::shared_ptr<std::function<void()>>& slot) {
    std::function<void()> f = std::move(*slot);
    *slot = nullptr;
    if (f) f();
}

void NotebookModel::land(int on) {
    std::function<void()> then = takeLanding();
    leaf.set(std::nullopt);
    motion.set(std::nullopt);
    on = std::max(on, 0);
    if (on < static_cast<int>(nb->pages.size()) && on != pageIndex.get()) pageIndex.set(on);
    save(false);
    if (then) then();
}

void NotebookModel::finishCurl(int landOn) {
    std::function<void()> then = takeLanding();
    curl.set(std::nullopt);
    motion.set(std::nullopt);
    if (landOn >= 0 && landOn < static_cast<int>(nb->pages.size()) && landOn != pageIndex.get())
        pageIndex.set(landOn);
    save(false);
    if (then) then();
}

void NotebookModel::levelChange() {
    if (services_.haptics) services_.haptics->perform(Haptics::Pattern::levelChange);
}

// ---- The live pen ----

std::string NotebookModel::markerName() const {
    const std::string& p = pen.get();
    return p == "learner" || p == "ink" ? "yellow" : p;
}

Color NotebookModel::penColor() const {
    const std::string& p = pen.get();
    return p == "learner" ? Ink::learner : Ink::color(std::optional<std::string>(p), Ink::ink);
}

std::optional<Path> NotebookModel::liveOutline() const {
    const auto& samples = live->samples;
    if (samples.empty()) return std::nullopt;
    std::vector<Freehand::Sample> points;
    points.reserve(samples.size());
    bool flat = true;  // a device without pressure reports 0.5 throughout
    for (const Live::Sample& s : samples) {
        points.push_back({s.point, s.pressure});
        flat = flat && std::fabs(s.pressure - 0.5) <= 0.001;
    }
    const bool marker = tool.get() == Tool::marker;
    Freehand::Options o;
    o.size = marker ? 11 : 2.5;
    o.thinning = marker ? 0 : 0.55;
    o.streamline = 0.42;
    o.taperStart = marker ? 0 : 6;
    o.taperEnd = marker ? 0 : 8;
    o.taperFloor = 0.25;
    o.simulatePressure = flat;
    return Freehand::outline(points, o);
}

}  // namespace nolby
