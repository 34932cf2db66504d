// Making a model and its wiring; the view scale, page versions, geometry and accent.
#include "model/NotebookModel.h"

#include "ink/Ink.h"
#include "library/Library.h"
#include "model/TutorLink.h"
#include "model/Voice.h"
#include "platform/Haptics.h"

#include <algorithm>
#include <cmath>

namespace nolby {

bool NotebookModel::TutorStatus::operator==(const TutorStatus& o) const {
    const bool sameReading =
        reading.has_value() == o.reading.has_value() && (!reading || reading->start == o.reading->start);
    return thinking == o.thinking && error == o.error && thinkingAt == o.thinkingAt && sameReading;
}

std::string_view NotebookModel::rawValue(Tool tool) {
    switch (tool) {
        case Tool::pen: return "pen";
        case Tool::marker: return "marker";
        case Tool::eraser: return "eraser";
    }
    return "pen";
}

std::optional<NotebookModel::Tool> NotebookModel::toolFromRawValue(std::string_view raw) {
    if (raw == "pen") return Tool::pen;
    if (raw == "marker") return Tool::marker;
    if (raw == "eraser") return Tool::eraser;
    return std::nullopt;
}

namespace {

// A notebook always has a page to show and to write on.
Notebook withPages(Notebook notebook) {
    if (notebook.pages.empty()) notebook.pages.push_back(Page{});
    return notebook;
}

// The stored last page, within the pages (a stored index may be stale or damaged).
int openingPage(const Notebook& notebook) {
    const int64_t last = static_cast<int64_t>(notebook.pages.size()) - 1;
    return static_cast<int>(std::clamp<int64_t>(notebook.lastPage, 0, std::max<int64_t>(last, 0)));
}

// Paintings are read back through the store, which caches them by name.
InkCache::SketchLoader sketchesOf(std::shared_ptr<Library> library) {
    if (!library) return {};
    return [library](const std::string& name) { return library->loadSketch(name); };
}

}  // namespace

NotebookModel::NotebookModel(Notebook notebook, Services services)
    : nb(withPages(std::move(notebook))),
      pageIndex(openingPage(nb.get())),
      scribe(std::make_shared<Scribe>(services.clock, services.scheduler)),
      cache(std::make_shared<InkCache>(sketchesOf(services.library))),
      raster(std::make_shared<InkRaster>(services.scheduler)),
      voice(std::make_shared<Voice>()),
      services_(std::move(services)) {}

NotebookModel::~NotebookModel() = default;

std::shared_ptr<NotebookModel> NotebookModel::make(Notebook notebook, Services services) {
    std::shared_ptr<NotebookModel> model(new NotebookModel(std::move(notebook), std::move(services)));
    model->wire();
    return model;
}

void NotebookModel::wire() {
    std::weak_ptr<NotebookModel> weak = weak_from_this();

    scribe->finished = [weak](const Uuid& item) {
        if (auto self = weak.lock()) self->written(item);
    };
    // The thinking and reading marks go as soon as any writing starts.
    scribe->started = [weak] {
        auto self = weak.lock();
        if (!self) return;
        const TutorStatus& t = self->tutor.get();
        if (!t.thinking && !t.reading) return;
        TutorStatus next = t;
        next.thinking = false;
        self->tutor.set(next);
        next.reading.reset();
        self->tutor.set(next);
    };

    // The writer may keep a stage per page only while several pages show at once.
    auto syncSpread = [this] { scribe->spread = spread.get() || scroll.get(); };
    spreadWatch_ = spread.observe(syncSpread);
    scrollWatch_ = scroll.observe(syncSpread);
    syncSpread();

    // The model hears first of its own changes: a note refits its gap, and keeps to its
    // page, before any view reads it.
    editingWatch_ = editing.observe([this] { editingChanged(); });
    pagesWatch_ = nb.observe([this] { followEditingPage(); });

    session = services_.tutor ? services_.tutor(weak) : std::make_shared<StandInTutor>();

    raster->ready = [weak] {
        if (auto self = weak.lock()) self->rasterVersion.set(self->rasterVersion.get() + 1);
    };
}

double NotebookModel::scale() const {
    const Notebook& n = nb.get();
    const Size view = viewSize.get();
    const bool goodPage = std::isfinite(n.pageW) && std::isfinite(n.pageH) && n.pageW > 0 && n.pageH > 0;
    if (!(view.width > 0) || !goodPage) return 1;
    return std::min(view.width / n.pageW, view.height / n.pageH * 1.08);
}

int64_t NotebookModel::version(int page) const {
    const Notebook& n = nb.get();
    if (page < 0 || page >= static_cast<int>(n.pages.size())) return 0;
    const auto& versions = pageVersions.get();
    auto found = versions.find(n.pages[page].id);
    return found == versions.end() ? 0 : found->second;
}

Geo NotebookModel::geo() const { return Geo{nb->pageW, nb->pageH}; }

Color NotebookModel::accent() const {
    return Ink::color(std::optional<std::string>(nb->color), Ink::color(std::string("blue"), Ink::ink));
}

void NotebookModel::raiseVersion(const Uuid& page) {
    pageVersions.modify([&](std::map<Uuid, int64_t>& v) { ++v[page]; });
}

int NotebookModel::pageIndexOf(const Uuid& page) const {
    const auto& pages = nb->pages;
    for (size_t i = 0; i < pages.size(); ++i)
        if (pages[i].id == page) return static_cast<int>(i);
    return -1;
}

void NotebookModel::haptic() {
    if (services_.haptics) services_.haptics->perform(Haptics::Pattern::generic);
}

}  // namespace nolby
