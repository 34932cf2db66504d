// The press's life on the main thread: the folder scan, the queue of paintings two at a
// time, their outcomes, thumbnails loaded in the background, and forgetting a cover.
#include "press/Press.h"

#include "ink/Mag.h"
#include "platform/AtomicFile.h"
#include "platform/DataFolder.h"
#include "platform/Files.h"
#include "platform/Pict.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <system_error>

namespace nolby {

namespace {

struct SharedSetup {
    std::shared_ptr<Scheduler> scheduler;
    Press::Paint paint;
};

SharedSetup& sharedSetup() {
    static SharedSetup setup;
    return setup;
}

}  // namespace

Press::Press(const std::filesystem::path& dataFolder, std::shared_ptr<Scheduler> scheduler, Paint paint)
    : dir(dataFolder / "Covers"), scheduler_(std::move(scheduler)), paint_(std::move(paint)) {
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    // Only what the press itself writes counts as a cover: "<UUID>.jpg". A stray file with
    // another extension (or a temporary left by an interrupted write) would otherwise be
    // taken for a cover that can never be shown, and the issue would never be painted.
    for (const std::string& name : Files::names(dir)) {
        const std::filesystem::path path(name);
        if (path.extension() != ".jpg") continue;
        if (auto id = Uuid::parse(path.stem().string())) printed_.insert(*id);
    }
}

std::shared_ptr<Press> Press::make(const std::filesystem::path& dataFolder, std::shared_ptr<Scheduler> scheduler,
                                   Paint paint) {
    return std::shared_ptr<Press>(new Press(dataFolder, std::move(scheduler), std::move(paint)));
}

void Press::configure(std::shared_ptr<Scheduler> scheduler, Paint paint) {
    sharedSetup() = {std::move(scheduler), std::move(paint)};
}

const std::shared_ptr<Press>& Press::shared() {
    static const std::shared_ptr<Press> press = [] {
        SharedSetup& setup = sharedSetup();
        if (!setup.scheduler) throw std::logic_error("Press::shared() needs Press::configure() first");
        return make(Platform::support(), setup.scheduler, setup.paint);
    }();
    return press;
}

Subscription Press::observe(std::function<void()> onChange) {
    struct Both {
        Subscription version, printing;
    };
    auto both = std::make_shared<Both>();
    both->version = version_.observe(onChange);
    both->printing = printing_.observe(std::move(onChange));
    return Subscription(both);
}

Subscription Press::observe(const Uuid& id, std::function<void()> onChange) {
    auto entry = std::make_shared<std::function<void()>>(std::move(onChange));
    perNotebook_.emplace(id, entry);
    return Subscription(entry);
}

void Press::touched(const Uuid& id) {
    std::vector<std::shared_ptr<std::function<void()>>> live;
    auto [from, to] = perNotebook_.equal_range(id);
    for (auto it = from; it != to;) {
        if (auto f = it->second.lock()) {
            live.push_back(std::move(f));
            ++it;
        } else {
            it = perNotebook_.erase(it);
        }
    }
    // Called from copies: an observer may subscribe or unsubscribe while called.
    for (auto& f : live) (*f)();
}

std::string Press::thumbKey(const Uuid& id, int px) { return id.string() + "@" + std::to_string(px); }

void Press::ensure(const NotebookHead& notebook) {
    if (notebook.parent) return;
    const Uuid& id = notebook.id;
    if (printed_.count(id) || printing_->count(id) || failed_.count(id)) return;
    std::optional<std::string> words = subject(notebook);
    if (!words) return;
    printing_.modify([&](std::set<Uuid>& s) { s.insert(id); });
    queue_.push_back({id, std::move(*words), Mag::inks(notebook.color).names});
    touched(id);
    pump();
}

void Press::pump() {
    while (running_ < kSlots && !queue_.empty()) {
        Request request = std::move(queue_.front());
        queue_.pop_front();
        ++running_;
        const Uuid id = request.id;
        // The reply may come on any thread, and more than once from a faulty painter: only
        // the first counts, and it goes back to the press on the main thread.
        auto answered = std::make_shared<std::atomic<bool>>(false);
        std::weak_ptr<Press> weak = weak_from_this();
        std::weak_ptr<Scheduler> scheduler = scheduler_;
        Reply reply = [answered, weak, scheduler, id](std::optional<Bytes> picture) {
            if (answered->exchange(true)) return;
            auto s = scheduler.lock();
            if (!s) return;
            auto carried = std::make_shared<std::optional<Bytes>>(std::move(picture));
            s->post([weak, id, carried] {
                if (auto press = weak.lock()) press->painted(id, std::move(*carried));
            });
        };
        if (paint_) paint_("cover", request.subject, "3:4", request.inks, std::move(reply));
        else reply(std::nullopt);
    }
}

void Press::painted(const Uuid& id, std::optional<Bytes> picture) {
    // Trimming, encoding and writing run in the background; the outcome comes back here.
    const std::filesystem::path file = dir / fileName(id);
    std::weak_ptr<Press> weak = weak_from_this();
    std::weak_ptr<Scheduler> scheduler = scheduler_;
    auto carried = std::make_shared<std::optional<Bytes>>(std::move(picture));
    scheduler_->background([weak, scheduler, id, file, carried] {
        bool ok = false;
        if (*carried) {
            if (auto jpeg = finish(**carried)) {
                const std::string_view bytes(reinterpret_cast<const char*>(jpeg->data()), jpeg->size());
                // A cover that cannot be written is not printed: counting it printed would
                // leave the issue with no cover and no new painting for the rest of the run.
                ok = AtomicFile::write(file, bytes);
            }
        }
        if (auto s = scheduler.lock())
            s->post([weak, id, ok] {
                if (auto press = weak.lock()) press->done(id, ok);
            });
    });
}

void Press::done(const Uuid& id, bool ok) {
    --running_;
    if (ok) {
        printed_.insert(id);
        fresh_.insert(id);
        dropThumbs(id);
    } else {
        failed_.insert(id);
    }
    printing_.modify([&](std::set<Uuid>& s) { s.erase(id); });
    if (ok) bump();
    touched(id);
    pump();
}

std::shared_ptr<const Image> Press::image(const Uuid& id, int px) {
    if (!printed_.count(id)) return nullptr;
    const int size = px <= kSmall ? kSmall : kLarge;
    const std::string key = thumbKey(id, size);
    asked_[key] = ++asks_;
    if (auto found = thumbs_.find(key); found != thumbs_.end()) return found->second;
    if (!loading_.count(key)) {
        loading_.insert(key);
        const std::filesystem::path file = dir / fileName(id);
        std::weak_ptr<Press> weak = weak_from_this();
        std::weak_ptr<Scheduler> scheduler = scheduler_;
        scheduler_->background([weak, scheduler, id, key, file, size] {
            std::shared_ptr<const Image> image = thumbnail(file, size);
            if (auto s = scheduler.lock())
                s->post([weak, id, key, image] {
                    if (auto press = weak.lock()) press->loaded(id, key, image);
                });
        });
    }
    if (auto small = thumbs_.find(thumbKey(id, kSmall)); small != thumbs_.end()) {
        asked_[small->first] = asks_;  // it stands in: as recent as what it stands in for
        return small->second;
    }
    return nullptr;
}

namespace {

size_t bytesOf(const Image& image) { return size_t(std::max(image.width(), 0)) * size_t(std::max(image.height(), 0)) * 4; }

}  // namespace

void Press::loaded(const Uuid& id, const std::string& key, std::shared_ptr<const Image> image) {
    loading_.erase(key);
    if (!image) return;  // nothing cached: the next image() call loads again
    auto& slot = thumbs_[key];
    if (slot) bytes_ -= bytesOf(*slot);
    bytes_ += bytesOf(*image);
    slot = std::move(image);
    keepWithinBudget(key);
    bump();
    touched(id);
}

void Press::keepWithinBudget(const std::string& spare) {
    // The ones asked for longest ago go first; one that something still holds (a cover on
    // screen) frees nothing and would only be loaded again, so it stays.
    while (bytes_ > budget_) {
        auto oldest = thumbs_.end();
        uint64_t oldestAsk = 0;
        for (auto it = thumbs_.begin(); it != thumbs_.end(); ++it) {
            if (it->first == spare || it->second.use_count() > 1) continue;
            const auto asked = asked_.find(it->first);
            const uint64_t ask = asked == asked_.end() ? 0 : asked->second;
            if (oldest == thumbs_.end() || ask < oldestAsk) {
                oldest = it;
                oldestAsk = ask;
            }
        }
        if (oldest == thumbs_.end()) return;
        bytes_ -= bytesOf(*oldest->second);
        asked_.erase(oldest->first);
        thumbs_.erase(oldest);
    }
}

void Press::setThumbBudget(size_t bytes) {
    budget_ = bytes;
    keepWithinBudget({});
}

size_t Press::thumbsThatFit(int px) const {
    // A thumbnail is at most px × px (its long side px): counted so, it surely fits.
    const size_t most = size_t(std::max(px, 1)) * size_t(std::max(px, 1)) * 4;
    return budget_ / most;
}

void Press::dropThumbs(const Uuid& id) {
    const std::string prefix = id.string();
    for (auto it = thumbs_.begin(); it != thumbs_.end();) {
        if (!it->first.starts_with(prefix)) {
            ++it;
            continue;
        }
        bytes_ -= bytesOf(*it->second);
        asked_.erase(it->first);
        it = thumbs_.erase(it);
    }
}

std::shared_ptr<const Image> Press::thumbnail(const std::filesystem::path& file, int px) {
    std::optional<std::string> bytes = Files::read(file);
    if (!bytes) return nullptr;
    return Pict::thumbnail({reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()}, px);
}

void Press::forget(const Uuid& id) {
    std::error_code ignored;
    std::filesystem::remove(dir / fileName(id), ignored);
    printed_.erase(id);
    dropThumbs(id);
    touched(id);
}

}  // namespace nolby
