#include "page/PageView.h"

#include "model/NotebookStage.h"
#include "platform/Clock.h"
#include "platform/Perf.h"

#include <cmath>
#include <string>

namespace nolby {

Size PageView::viewSize() const { return model ? model->viewSize.get() : Size{}; }

PageGeometry PageView::geometry() const {
    if (!model) return {};
    return PageGeometry::of(viewSize().width, model->nb->pageW, model->scale());
}

bool PageView::drawable() const {
    if (!model) return false;
    const Size v = viewSize();
    const Notebook& nb = model->nb.get();
    const bool page = std::isfinite(nb.pageW) && std::isfinite(nb.pageH) && nb.pageW > 0 && nb.pageH > 0;
    return page && std::isfinite(v.width) && std::isfinite(v.height) && v.width >= 1 && v.height >= 1 &&
           geometry().drawable();
}

std::optional<Uuid> PageView::pageId() const {
    if (!model) return std::nullopt;
    const auto& pages = model->nb->pages;
    if (index < 0 || index >= static_cast<int>(pages.size())) return std::nullopt;
    return pages[static_cast<size_t>(index)].id;
}

std::optional<PaperView> PageView::paperView() const {
    if (!model || !paper) return std::nullopt;
    return PaperView::forPage(model->nb.get(), index, geometry().s, side, ground);
}

InkStage PageView::stage() const {
    InkStage s;
    if (!model) return s;
    const PageGeometry g = geometry();
    s.model = NotebookStage::handle(model, model->stage);
    s.page = pageId();
    s.scale = g.s;
    s.origin = {g.ox, 0};
    s.version = model->version(index);
    s.rasters = model->rasterVersion.get();
    s.editing = model->editingId();
    s.order = index;
    return s;
}

PageView::RasterInk PageView::rasterInk(double displayScale) const {
    RasterInk out;
    if (!model) return out;
    const PageGeometry g = geometry();
    std::vector<InkOpRef> leftovers;
    auto clock = SteadyClock::shared();
    Perf::timed([&] { return clock->now(); }, [&] { return "layers p" + std::to_string(index); },
                [&] { std::tie(out.layers, leftovers) = model->layers(index, g.s * displayScale); });
    if (!leftovers.empty()) {
        const int64_t version = int64_t(model->scribe->version.get()) + 31 * int64_t(model->rasterVersion.get());
        out.patch = InkPatch{std::move(leftovers), version, g.s, {g.ox, 0}};
    }
    return out;
}

Rect PageView::layerFrame(const PageLayer& layer) const {
    const PageGeometry g = geometry();
    const Rect& f = layer.raster.frame;
    return {g.ox + g.s * f.minX(), g.s * f.minY(), g.s * f.width(), g.s * f.height()};
}

std::optional<LiveStroke> PageView::liveStroke() const {
    if (!model || index != model->pageIndex.get()) return std::nullopt;
    std::optional<Path> outline = model->liveOutline();
    if (!outline) return std::nullopt;
    const PageGeometry g = geometry();
    return LiveStroke{std::move(outline), model->tool.get() == NotebookModel::Tool::marker, model->markerName(),
                      model->penColor(), g.s, g.ox};
}

std::optional<NoteCanvas> PageView::note() const {
    if (!model) return std::nullopt;
    const auto& e = model->editing.get();
    if (!e || e->page != index) return std::nullopt;
    return NoteCanvas{*e};
}

std::optional<ReadingSweep> PageView::sweep() const {
    if (!model) return std::nullopt;
    const auto& reading = model->tutor->reading;
    if (!reading || reading->page != index) return std::nullopt;
    const PageGeometry g = geometry();
    return ReadingSweep{reading->lines, reading->start, g.s, {g.ox, 0}};
}

std::optional<PageView::Thinking> PageView::thinking() const {
    if (!model) return std::nullopt;
    const auto& t = model->tutor.get();
    if (!t.thinking || !t.thinkingAt || t.thinkingAt->page != index) return std::nullopt;
    const PageGeometry g = geometry();
    return Thinking{ThinkingMark{model->accent()}, ThinkingMark::frame(g.ox, g.s, t.thinkingAt->point)};
}

}  // namespace nolby
