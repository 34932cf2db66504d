// A tutor reply applied to a notebook: the first byte seeds where the reply text is cut into
// deltas and picks the page height and whether pages scroll or turn; the rest is the reply
// text (its first kMaxReply bytes). A real notebook model with a real tutor session takes it
// as a turn's stream: lines cut at line feeds, control messages applied, blocks laid out,
// placed and written. No crash, the turn ends, and every page's items and ink stay finite.
//
// What does not depend on the reply is left out, so that hundreds of replies a second are
// tried: the request carries no pictures (the page is the same for every reply) and the
// writer makes no bitmaps of its strokes (the blocks and annotations targets draw every
// kind of operation).
#include "FuzzSupport.h"
#include "ink/Rng.h"
#include "model/NotebookModel.h"
#include "tutor/TutorSession.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

using namespace nolby;
using namespace nolby::fuzz;

namespace {

// A reply this long already fills several pages; longer ones only repeat their lines.
constexpr size_t kMaxReply = 4096;

// The reply stream, fed by hand.
struct Stream final : Gateway::Call {
    Claude::Handlers handlers;
    bool stopped = false;
    void cancel() override { stopped = true; }
    bool cancelled() const override { return stopped; }
};

// A page with a question and its answer, a note below the answer, and a pen stroke.
Notebook sample(double pageH) {
    Notebook n;
    n.pageH = pageH;
    BlockItem ask;
    ask.json = R"({"t":"ask","text":"What is half of 8?","space":12})";
    ask.y = 104;
    ask.h = 120;
    ask.seed = 5;
    ask.turn = 0;
    TextItem answer;
    answer.x = 30;
    answer.y = 196;
    answer.width = 300;
    answer.text = "4";
    answer.color = "learner";
    answer.size = 17;
    TextItem later = answer;
    later.id = Uuid::random();
    later.y = 300;
    later.text = "and why?";
    StrokeItem stroke{{40, 360, 0.5f, 90, 364, 0.6f}, "learner", 2.5, "pen"};
    n.pages[0].items = {ask, answer, later, stroke};
    n.turns.push_back(Turn{});
    return n;
}

void check(NotebookModel& m) {
    const int count = static_cast<int>(m.nb->pages.size());
    require(count > 0);
    require(m.pageIndex.get() >= 0 && m.pageIndex.get() < count);
    for (int p = 0; p < count; ++p) {
        for (const PageItem& it : m.nb->pages[p].items) {
            if (auto b = it.block()) require(std::isfinite(b->y) && (!b->h || std::isfinite(*b->h)) && (!b->box || finite(*b->box)));
            require(finite(m.bounds(it)));
        }
        requireFiniteOps(m.settledOps(p));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    loadFaces();
    repeatIdentifiers();
    if (size == 0) return 0;
    const uint8_t choice = data[0];
    Rng cuts(choice);
    const std::string_view reply(reinterpret_cast<const char*>(data + 1), std::min(size - 1, kMaxReply));

    auto scheduler = std::make_shared<ManualScheduler>();
    auto stream = std::make_shared<Stream>();
    TutorSession::Services tutor;
    tutor.scheduler = scheduler;
    tutor.now = [] { return dateFromReference(800'000'000); };
    tutor.stream = [stream](const Claude::Request&, Claude::Handlers h) {
        stream->handlers = std::move(h);
        return stream;
    };
    tutor.pictures = false;
    tutor.paint = [](const std::string&, const std::string&, const std::string&, const std::optional<std::string>&,
                     Press::Reply reply) { reply(std::nullopt); };
    NotebookModel::Services services;
    services.clock = scheduler->clock();
    services.scheduler = scheduler;
    services.tutor = TutorSession::maker(tutor);
    auto model = NotebookModel::make(sample(choice & 1 ? 600 : 869), services);
    model->scroll.set(choice & 2);
    model->scribe->pixels = 0;  // no stroke bitmaps
    auto& session = static_cast<TutorSession&>(*model->session);

    model->ask();
    scheduler->drain();
    require(stream->handlers.onText != nullptr);
    for (size_t at = 0; at < reply.size() && !stream->stopped;) {
        const size_t n = std::min<size_t>(1 + cuts.next() % 48, reply.size() - at);
        stream->handlers.onText(reply.substr(at, n));
        at += n;
        if (cuts.next() % 4 == 0) scheduler->drain();
    }
    if (!stream->stopped) stream->handlers.onEnd(Claude::Usage{}, nullptr);
    scheduler->drain();
    require(!session.task());
    require(model->nb->turns.size() <= 2);
    check(*model);
    model->scribe->flush();
    return 0;
}
