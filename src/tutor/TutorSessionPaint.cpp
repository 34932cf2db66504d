// The painting of a sketch block: asked for when the block is placed, and written in over
// its wet-paper placeholder when it lands, wherever page flow has moved the block since.
#include "tutor/TutorSession.h"

#include "platform/AtomicFile.h"
#include "tutor/Painter.h"

#include <thread>

namespace nolby {

namespace {

// Keeps a notebook open while its painting is in flight. Whoever lets go of the last copy, on
// whatever thread, the notebook itself is let go on the main thread (where the keep was
// made): at once there, else through the scheduler. Held only by the painting's request and
// the work that follows it, never by the session: a painting whose request goes away
// unanswered lets its notebook go with it.
class Keep {
public:
    Keep(std::shared_ptr<NotebookModel> model, std::weak_ptr<Scheduler> scheduler)
        : model_(std::move(model)), scheduler_(std::move(scheduler)) {}
    Keep(const Keep&) = delete;
    Keep& operator=(const Keep&) = delete;
    ~Keep() {
        if (std::this_thread::get_id() == main_) return;
        if (std::shared_ptr<Scheduler> s = scheduler_.lock()) s->post([model = std::move(model_)] {});
    }

private:
    std::shared_ptr<NotebookModel> model_;
    std::weak_ptr<Scheduler> scheduler_;
    std::thread::id main_ = std::this_thread::get_id();
};

}  // namespace

void TutorSession::paint(const J& o, const BlockItem& item, int page, double width, double height) {
    std::shared_ptr<NotebookModel> model = model_.lock();
    if (!model) return;
    Press::Paint painter = services_.paint;
    if (!painter && services_.gateway) painter = Painter::forPress(services_.gateway);
    if (!painter) return;
    // The painting keeps its notebook open until it lands, so it is written in and saved.
    const Uuid id = item.id;
    painting_.insert(id);
    std::weak_ptr<TutorSession> weak = weak_from_this();
    std::weak_ptr<Scheduler> scheduler = services_.scheduler;
    auto keep = std::make_shared<const Keep>(std::move(model), scheduler);
    painter("painting", o.str("prompt", ""), Painter::aspect(width, height), std::nullopt,
            [weak, scheduler, id, keep](std::optional<Press::Bytes> picture) {
                // Whatever thread the painter answers on, the notebook changes on the main one.
                if (std::shared_ptr<Scheduler> s = scheduler.lock())
                    s->post([weak, id, keep, picture = std::move(picture)]() mutable {
                        if (std::shared_ptr<TutorSession> self = weak.lock())
                            self->landed(id, std::move(picture), keep);
                    });
            });
}

namespace {

// Whether the store still keeps the notebook (a deleted one must not come back).
bool kept(const std::shared_ptr<Library>& library, const Uuid& notebook) {
    return library && library->head(notebook).has_value();
}

}  // namespace

void TutorSession::landed(const Uuid& id, std::optional<std::vector<uint8_t>> picture,
                          std::shared_ptr<const void> keep) {
    auto found = painting_.find(id);
    if (found == painting_.end()) return;
    const std::shared_ptr<Library> library = services_.library;
    const std::shared_ptr<NotebookModel> model = model_.lock();
    if (!picture || !model || !kept(library, model->nb->id)) {
        painting_.erase(found);
        return;
    }
    const std::string name = id.string() + ".png";
    const std::filesystem::path file = library->sketches / name;
    std::weak_ptr<TutorSession> weak = weak_from_this();
    std::weak_ptr<Scheduler> scheduler = services_.scheduler;
    // Whitening and encoding a painting is slow work: it runs in the background, touching
    // nothing of the notebook; `keep` keeps it open until the painting is written in.
    services_.scheduler->background([weak, scheduler, id, name, file, keep, picture = std::move(*picture)] {
        const std::vector<uint8_t> png = Painter::whitened(picture);
        // A file that cannot be written still names the painting: the block keeps its placeholder.
        AtomicFile::write(file, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
        if (std::shared_ptr<Scheduler> s = scheduler.lock())
            s->post([weak, id, name, keep] {
                if (std::shared_ptr<TutorSession> self = weak.lock()) self->attach(id, name);
            });
    });
}

void TutorSession::attach(const Uuid& id, const std::string& name) {
    if (!painting_.erase(id)) return;
    const std::shared_ptr<NotebookModel> model = model_.lock();
    if (!model) return;
    NotebookModel& m = *model;
    if (!kept(services_.library, m.nb->id)) return;
    for (int p = 0; p < static_cast<int>(m.nb->pages.size()); ++p) {
        const std::vector<PageItem>& items = m.nb->pages[p].items;
        auto it = std::find_if(items.begin(), items.end(), [&](const PageItem& item) { return item.id() == id; });
        if (it == items.end()) continue;
        const BlockItem* found = it->block();
        if (!found) return;
        BlockItem block = *found;
        block.image = name;
        const size_t index = static_cast<size_t>(it - items.begin());
        m.mutate(p, false, [&](std::vector<PageItem>& all) { all[index] = block; });
        std::vector<InkOpRef> ops = m.entry(PageItem(block)).ops;
        // Only the painting, the last operation, is revealed; the caption stays written.
        const int from = std::max(static_cast<int>(ops.size()) - 1, 0);
        m.scribe->enqueue(m.nb->pages[p].id, id, std::move(ops), from, true);
        return;
    }
}

}  // namespace nolby
