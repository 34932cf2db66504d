#pragma once
// Covers made once, off the main thread, for the shelf: each issue's cover drawn by its
// painter into one image (clipped to its rounded corners), and beside it the cover as it
// rests on the shelf (turned by its lean, over its two shadows), so a resting tile costs a
// single blit per frame. Kept in a bounded cache, the ones used longest ago going first.

#include "notebook/NotebookHead.h"
#include "platform/Date.h"
#include "platform/Image.h"
#include "platform/Scheduler.h"

#include <QImage>
#include <QPointF>
#include <QSizeF>

#include <functional>
#include <list>
#include <map>
#include <set>
#include <memory>
#include <string>

namespace nolby {

struct FlatCover {
    QImage cover;      // the cover at its size, rounded corners clipped
    QImage rest;       // the cover leaning, with its shadows
    QPointF restAt;    // where the resting image's top left lies from the cover's top left
};

class CoverFlattener {
public:
    static constexpr double kCorner = 2;     // the covers' corner radius
    // Room around a resting cover for its lean and its soft shadow, which falls 14 points down
    // with a spread of about 21: little above, more below.
    static constexpr double kSideMargin = 28, kTopMargin = 12, kBottomMargin = 42;
    // Room around a moving cover's shadow.
    static constexpr double kMargin = 44;

    struct Request {
        NotebookHead notebook;
        std::shared_ptr<const Image> art;  // the painting, or none for the placeholder
        QSizeF size;
        double ratio = 1;
        bool dark = false;
        double lean = 0;                   // degrees
        Date today = ReferenceClock::now(); // for the cover's line of facts ("1 page · today")
        // The cover with its "ON THE PRESS" mark at full strength (only `cover` is made): drawn
        // over the plain cover at the pulse's strength, since the mark lies under the cover's
        // upper layers and cannot simply be laid on top.
        bool printing = false;
    };

    // Covers made at once; the rest wait, the one asked for most lately first, so the cores
    // stay free for drawing frames and the covers in view come first. A waiting cover that a
    // whole frame passed without asking for is dropped when the next one starts.
    static constexpr size_t kAtOnce = 2;

    CoverFlattener(std::shared_ptr<Scheduler> scheduler, size_t capacity);
    ~CoverFlattener();

    // The flattened cover when it is made; else none, and its making is queued (once),
    // `ready` being called on the main thread when it is done.
    std::shared_ptr<const FlatCover> get(const Request& request, const std::function<void()>& ready);
    // A new frame begins: covers waiting that the last frame did not ask for again are
    // dropped (they have left the view); a later request queues them anew.
    void beginFrame();
    // Made here and now, on the calling thread.
    static FlatCover flatten(const Request& request);

    // The soft shadow of a cover of `size` (black, blurred): drawn under moving covers.
    static QImage shadow(QSizeF size, double ratio);

    size_t cached() const { return order_.size(); }
    size_t waiting() const { return queued_.size(); }
    size_t running() const { return running_.size(); }

private:
    static std::string key(const Request& r);
    void pump();
    void store(const std::string& key, std::shared_ptr<const FlatCover> flat, std::shared_ptr<const Image> art);

    struct Job {
        Request request;
        uint64_t asked = 0;  // the frame that last asked for it
        uint64_t order = 0;  // when it was last asked for, among all requests
    };

    struct Entry {
        std::shared_ptr<const FlatCover> flat;
        // Watched, not kept (the press frees pictures past its budget): once it is gone its
        // address may come back as another picture's, so the entry no longer answers.
        std::weak_ptr<const Image> art;
    };
    std::shared_ptr<Scheduler> scheduler_;
    size_t capacity_;
    std::list<std::string> order_;  // most recent first
    std::map<std::string, std::pair<Entry, std::list<std::string>::iterator>> entries_;
    std::map<std::string, Job> queued_;
    std::map<std::string, std::vector<std::function<void()>>> waitingFor_;  // queued or running
    std::set<std::string> running_;
    uint64_t frame_ = 0;
    uint64_t asked_ = 0;  // requests so far
    std::shared_ptr<CoverFlattener*> self_;  // cleared on destruction: late results are dropped
};

}  // namespace nolby
