// The sheet view: making it and its registries, the host and focus, the coalesced relayout,
// the page painters near the view and the outline. Scrolling and the pen are in
// SheetViewScroll.cpp, drawing in SheetViewPaint.cpp, words and the selection in
// SheetViewWords.cpp.
#include "sheet/SheetView.h"

#include "ink/J.h"
#include "platform/Haptics.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

std::vector<SheetView::Weak>& registry() {
    static std::vector<SheetView::Weak> views;
    return views;
}

std::weak_ptr<SheetView>& currentView() {
    static std::weak_ptr<SheetView> view;
    return view;
}

const std::vector<Rect> kNoLines;

// Only a heading or a deep-dive mark is a row of the outline, and a block can be one only if
// its JSON holds that kind's name. The outline is rebuilt at every relayout (one comes with
// each keystroke), so the test spares parsing every other block each time.
bool mayBeOutlined(const BlockItem& block) {
    return block.json.find("\"h\"") != std::string::npos || block.json.find("\"hole\"") != std::string::npos;
}

}  // namespace

// ---- A host without a window

void HeadlessSheetHost::setScrollPosition(double y) {
    y = std::clamp(std::isfinite(y) ? y : 0.0, 0.0, std::max(document_ - size.height, 0.0));
    if (y == y_) return;
    y_ = y;
    if (auto s = sheet.lock()) s->scrolled();
}

void HeadlessSheetHost::setDocumentHeight(double height) {
    document_ = height;
    setScrollPosition(y_);  // a shorter document pulls the view up
}

// ---- Making and registries

SheetView::SheetView(const std::shared_ptr<NotebookModel>& model, std::shared_ptr<SheetState> state, Environment env)
    : model_(model), state_(state ? std::move(state) : std::make_shared<SheetState>()), env_(std::move(env)) {
    if (!env_.scheduler) env_.scheduler = std::make_shared<ManualScheduler>();
    selection_ = {[this] { return pointer_.selectedLines(); }, [this] { return pointer_.phrase(); },
                  [this] { return pointer_.dragging(); }};
    if (!(env_.displayScale > 0) || !std::isfinite(env_.displayScale)) env_.displayScale = 1;
}

std::shared_ptr<SheetView> SheetView::make(const std::shared_ptr<NotebookModel>& model,
                                           std::shared_ptr<SheetState> state, Environment env) {
    std::shared_ptr<SheetView> view(new SheetView(model, std::move(state), std::move(env)));
    view->state_->sheet = view;
    std::vector<Weak>& views = registry();
    std::erase_if(views, [](const Weak& w) { return w.v.expired(); });
    views.push_back({view});
    return view;
}

SheetView::~SheetView() {
    penWatch_.clear();
    pen_.cancel();
    glide_.cancel();
    quiet_.cancel();
    watching_.clear();
    hosts_.clear();
}

const std::vector<SheetView::Weak>& SheetView::made() { return registry(); }

std::vector<std::shared_ptr<SheetView>> SheetView::all() {
    std::vector<std::shared_ptr<SheetView>> live;
    for (const Weak& w : registry())
        if (auto v = w.v.lock()) live.push_back(std::move(v));
    return live;
}

std::shared_ptr<SheetView> SheetView::current() { return currentView().lock(); }

// ---- Hosting

void SheetView::setHost(SheetHost* host) {
    host_ = host;
    if (host_) setNeedsRelayout();
}

void SheetView::attach(bool inWindow) {
    pen_.cancel();
    penWatch_.clear();
    inWindow_ = inWindow && host_;
    if (!inWindow_) return;
    auto m = model();
    if (m && m->focused.get()) host_->focus();
    if (m) {
        // The pen is followed while the tutor thinks or writes: a sheet at rest wakes nothing.
        std::weak_ptr<SheetView> weak = weak_from_this();
        const auto again = [weak] {
            if (auto self = weak.lock()) self->watchPen();
        };
        penWatch_.push_back(m->scribe->busy.observe(again));
        penWatch_.push_back(m->tutor.observe(again));
    }
    watchPen();
    setNeedsRelayout();
}

void SheetView::watchPen() {
    auto m = model();
    const bool moving = inWindow_ && m && (m->scribe->busy.get() || m->tutor->thinking);
    if (moving == pen_.active()) return;
    if (!moving) {
        pen_.cancel();
        followPen();  // "Writing below" goes with the writing
        return;
    }
    std::weak_ptr<SheetView> weak = weak_from_this();
    pen_ = env_.scheduler->every(0.2, [weak] {
        if (auto self = weak.lock()) self->followPen();
    });
}

void SheetView::setHead(std::shared_ptr<SheetHeadSource> head) {
    head_ = std::move(head);
    headMeasured_ = false;
    if (head_) {
        std::weak_ptr<SheetView> weak = weak_from_this();
        head_->onChange([weak] {
            if (auto self = weak.lock()) {
                self->setNeedsRelayout();
                self->repaint();
            }
        });
    }
    setNeedsRelayout();
}

void SheetView::setActions(SheetActions actions) {
    actions_ = std::move(actions);
    setNeedsRelayout();
}

void SheetView::setDisplayScale(double displayScale) {
    if (!std::isfinite(displayScale) || !(displayScale > 0) || displayScale == env_.displayScale) return;
    env_.displayScale = displayScale;
    for (auto& [page, h] : hosts_) h.painter->setDisplayScale(displayScale);
}

Rect SheetView::visible() const {
    if (!host_) return {};
    const Size size = host_->viewportSize();
    return {0, host_->scrollPosition(), size.width, size.height};
}

void SheetView::repaint() {
    if (host_) host_->repaint();
}

// ---- Focus

bool SheetView::becomeFirstResponder() {
    currentView() = weak_from_this();
    firstResponder_ = true;
    if (auto m = model(); m && !m->focused.get()) m->focused.set(true);
    if (actions_ && actions_->focused) actions_->focused();
    marks_.wake(env_.scheduler->now());
    drawSelection();
    repaint();
    return true;
}

bool SheetView::resignFirstResponder() {
    firstResponder_ = false;
    if (auto m = model(); m && m->focused.get()) m->focused.set(false);
    drawSelection();
    repaint();
    return true;
}

void SheetView::windowKeyChanged() {
    marks_.wake(env_.scheduler->now());
    drawSelection();
    repaint();
}

// ---- Relayout

void SheetView::setNeedsRelayout() {
    if (relayoutPending_) return;
    relayoutPending_ = true;
    std::weak_ptr<SheetView> weak = weak_from_this();
    env_.scheduler->post([weak] {
        auto self = weak.lock();
        if (!self) return;
        self->relayoutPending_ = false;
        self->relayout();
    });
}

void SheetView::watchModel(int generation) {
    watching_.clear();
    auto m = model();
    if (!m) return;
    std::weak_ptr<SheetView> weak = weak_from_this();
    auto fired = std::make_shared<bool>(false);
    std::shared_ptr<Scheduler> scheduler = env_.scheduler;
    // Only the first change counts, and only if no later relayout has watched since: the
    // model may be midway through a change when it tells, so the relayout waits for the
    // next turn of the loop.
    auto changed = [weak, fired, scheduler, generation] {
        if (*fired) return;
        *fired = true;
        scheduler->post([weak, generation] {
            auto self = weak.lock();
            if (self && self->tracking_ == generation) self->setNeedsRelayout();
        });
    };
    // What the layout reads: the notebook and its pages' content, the note being typed, the
    // tutor's thinking mark, and what the typing spot depends on.
    watching_.push_back(m->nb.observe(changed));
    watching_.push_back(m->pageVersions.observe(changed));
    watching_.push_back(m->editing.observe(changed));
    watching_.push_back(m->tutor.observe(changed));
    watching_.push_back(m->pageIndex.observe(changed));
    watching_.push_back(m->scroll.observe(changed));
    watching_.push_back(m->spread.observe(changed));
}

void SheetView::measureHead(double width) {
    auto m = model();
    if (!m) return;
    if (!head_) {
        headHeight_ = 0;
        headMeasured_ = true;
        return;
    }
    const double pageW = m->nb->pageW;
    const double scale = SheetLayout::scaleFor(width, pageW);
    const double h = head_->layout(std::round(scale * pageW), scale);
    if (std::isfinite(h) && std::fabs(std::ceil(h) - headHeight_) > 0.5) headHeight_ = std::max(std::ceil(h), 0.0);
    headMeasured_ = headHeight_ > 0;
}

void SheetView::relayout() {
    auto m = model();
    if (!m || !host_) return;
    const Size view = host_->viewportSize();
    if (!(view.width > 0)) return;
    const double width = view.width, viewport = view.height;

    measureHead(width);
    const int generation = ++tracking_;
    SheetLayout layout(*m, width, viewport, headHeight_);
    watchModel(generation);
    ++relayouts_;

    const Size viewSize{std::round(layout.scale * m->nb->pageW), std::round(layout.scale * m->nb->pageH)};
    if (!(m->viewSize.get() == viewSize)) m->viewSize.set(viewSize);

    const bool changed = !(layout_ && *layout_ == layout);
    layout_ = layout;
    state_->layout.set(layout);
    state_->viewport.set(viewport);
    host_->setDocumentHeight(layout.height);

    if (changed) place();
    outline();
    drawSelection();
    placeInitially();
    if (typing_.revealCaret) {
        typing_.revealCaret = false;
        showCaret();
    }
    repaint();
}

// ---- Page painters near the view

void SheetView::place() {
    auto m = model();
    if (!m || !layout_) return;
    const SheetLayout& l = *layout_;
    const Rect v = visible();
    const double grow = std::max(v.height(), 500.0);
    const Rect band{v.x, v.y - grow, v.w, v.h + 2 * grow};
    const int lastPage = l.slices.empty() ? -1 : l.slices.back().page;

    std::map<int, PageHost> kept;
    for (const SheetLayout::Slice& s : l.slices) {
        const Rect frame{l.x, s.y, l.columnWidth(), std::round(l.scale * s.height)};
        // The page being written on is always live, wherever the view is.
        if (!frame.intersects(band) && s.page != lastPage) continue;
        auto found = hosts_.find(s.page);
        PageHost h;
        if (found != hosts_.end()) {
            h = std::move(found->second);
            hosts_.erase(found);
        } else {
            h.painter = std::make_unique<PagePainter>(
                PageView{m, s.page, true, PaperView::PageSide::single, false, false},
                PagePainter::Environment{env_.displayScale, env_.scheduler, env_.press});
            std::weak_ptr<SheetView> weak = weak_from_this();
            h.painter->onChange([weak] {
                if (auto self = weak.lock()) self->repaint();
            });
        }
        h.frame = frame;
        h.top = s.top;
        h.height = s.height;
        kept.emplace(s.page, std::move(h));
    }
    hosts_ = std::move(kept);  // painters of pages no longer near go with the old map
}

std::vector<int> SheetView::hostedPages() const {
    std::vector<int> pages;
    for (const auto& [page, h] : hosts_) pages.push_back(page);
    return pages;
}

// ---- What pointer and keyboard input ask of the view

std::optional<std::string> SheetView::clipboardText() {
    if (!host_) return std::nullopt;
    std::string text = host_->clipboard();
    if (text.empty()) return std::nullopt;
    return text;
}

void SheetView::setClipboardText(const std::string& text) {
    if (host_) host_->setClipboard(text);
}

void SheetView::haptic() {
    if (!host_) return;
    if (std::shared_ptr<Haptics> h = host_->haptics()) h->perform(Haptics::Pattern::generic);
}

void SheetView::lookUp(const std::string& phrase, Point at, double size) {
    if (host_) host_->lookUp(phrase, {at.x, at.y - visible().minY()}, size);
}

void SheetView::dive(const std::string& words, const std::string& passage, int page, const std::vector<Rect>& rects) {
    if (actions_ && actions_->dive) actions_->dive(words, passage, page, rects);
}

void SheetView::open(const Uuid& dive) {
    if (actions_ && actions_->open) actions_->open(dive);
}

bool SheetView::close() {
    if (!actions_ || !actions_->close) return false;
    actions_->close();
    return true;
}

// ---- The selection

void SheetView::setSelectionSource(SelectionSource source) {
    selection_ = std::move(source);
    drawSelection();
}

void SheetView::drawSelection() {
    if (!layout_) return;
    highlight_ = selection_.lines ? selection_.lines() : std::vector<Rect>{};
    repaint();
    // The lines just drawn are the ones to publish: no need to work them out again.
    publish(dragging() ? kNoLines : highlight_);
}

void SheetView::publishSelection() {
    std::vector<Rect> lines;
    if (layout_ && !dragging() && selection_.lines) lines = selection_.lines();
    publish(lines);
}

void SheetView::publish(const std::vector<Rect>& lines) {
    if (lines.empty()) {
        state_->selection.set(std::nullopt);
        return;
    }
    const Rect first = lines.front().offsetBy(0, -visible().minY());
    state_->selection.set(SheetState::Selection{first, selection_.phrase ? selection_.phrase() : std::string()});
}

PagePainter* SheetView::painter(int page) const {
    auto found = hosts_.find(page);
    return found == hosts_.end() ? nullptr : found->second.painter.get();
}

// ---- Outline

void SheetView::outline() {
    auto m = model();
    if (!m || !layout_) return;
    const SheetLayout& l = *layout_;
    const std::optional<Uuid> typing = m->editingId();
    std::vector<SheetState::Entry> entries;
    for (const SheetLayout::Slice& s : l.slices) {
        if (l.sliceOf(s.page) != &s) continue;
        for (const PageItem& item : m->nb->pages[s.page].items) {
            if (item.stroke()) continue;
            const Rect bounds = m->entry(item).bounds;
            if (bounds.isNull()) continue;
            SheetState::Entry entry;
            entry.id = item.id();
            entry.y = l.sheetY(s, bounds.minY());
            if (const BlockItem* block = item.block()) {
                if (!mayBeOutlined(*block)) continue;
                const J json = J::parse(block->json).value_or(J());
                const std::string kind = json.str("t", "");
                if (kind == "h") entry.kind = SheetState::Entry::Kind::heading;
                else if (kind == "hole") entry.kind = SheetState::Entry::Kind::dive;
                else continue;
                entry.text = json.str("text", "");
            } else if (const TextItem* note = item.text()) {
                if (typing && *typing == item.id()) continue;
                entry.kind = SheetState::Entry::Kind::question;
                entry.text = NotebookModel::trimmed(note->about && !note->about->empty() ? *note->about : note->text);
                if (entry.text.empty()) continue;
            }
            entries.push_back(std::move(entry));
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.y < b.y; });
    state_->outline.set(std::move(entries));
}

bool SheetView::pressHead(Point at) {
    if (!head_ || !layout_ || !(headHeight_ > 0) || at.y >= headHeight_) return false;
    return head_->press(Point{at.x - layout_->x, at.y});
}

}  // namespace nolby
