#pragma once
// A notebook model with a real tutor session on a store in a temporary folder, driven by the
// manual clock and scheduler; the reply stream is scripted by the test (text deltas, the end,
// a failure) and paintings answer when the test says. Learner items and tutor blocks to put
// on pages come from the model tests' helpers.

#include "../model/ModelTestSupport.h"
#include "ink/J.h"
#include "platform/Defaults.h"
#include "tutor/TutorSession.h"
#include "tutor/TutorSessionRun.h"

#include <gtest/gtest.h>

#include <deque>

namespace nolby::test {

// A reply stream the test writes by hand.
struct Script {
    struct Call final : Gateway::Call {
        bool stopped = false;
        void cancel() override { stopped = true; }
        bool cancelled() const override { return stopped; }
    };
    std::vector<Claude::Request> requests;
    Claude::Handlers handlers;
    std::shared_ptr<Call> call;

    TutorSession::Stream stream() {
        return [this](const Claude::Request& request, Claude::Handlers h) {
            requests.push_back(request);
            handlers = std::move(h);
            call = std::make_shared<Call>();
            return call;
        };
    }
    bool open() const { return call && !call->stopped; }
    // One text delta, as the model client hands it over.
    void send(const std::string& text) {
        if (open()) handlers.onText(text);
    }
    // Each line as a delta of its own, with its line feed.
    void lines(const std::vector<std::string>& lines) {
        for (const std::string& l : lines) send(l + "\n");
    }
    void end() {
        if (open()) handlers.onEnd(Claude::Usage{}, nullptr);
    }
    void fail(std::exception_ptr error) {
        if (open()) handlers.onEnd(std::nullopt, error);
    }
};

// Paintings asked for, answered by the test.
struct Paintings {
    struct Asked {
        std::string kind, subject, aspect;
        std::optional<std::string> inks;
        Press::Reply reply;
    };
    std::deque<Asked> asked;
    Press::Paint paint() {
        return [this](const std::string& kind, const std::string& subject, const std::string& aspect,
                      const std::optional<std::string>& inks, Press::Reply reply) {
            asked.push_back({kind, subject, aspect, inks, std::move(reply)});
        };
    }
};

struct TutorRig {
    Store store;
    Script script;
    Paintings paintings;
    std::shared_ptr<Defaults> defaults;
    Date wallClock = dateFromReference(800'000'000);  // a Tuesday afternoon in May 2026 (UTC)
    std::shared_ptr<NotebookModel> model;
    bool warmup = false;
    bool pictures = true;

    TutorRig() {
        store.open();
        defaults = std::make_shared<Defaults>(store.data.path / "defaults.json");
    }

    TutorSession::Services services() {
        TutorSession::Services s;
        s.library = store.library;
        s.scheduler = store.scheduler;
        s.defaults = defaults;
        s.now = [this] { return wallClock; };
        s.warmup = warmup;
        s.pictures = pictures;
        s.stream = script.stream();
        s.paint = paintings.paint();
        return s;
    }

    NotebookModel& open(Notebook notebook, bool scroll = true) {
        store.library->save(notebook, true);
        NotebookModel::Services s;
        s.library = store.library;
        s.clock = store.scheduler->clock();
        s.scheduler = store.scheduler;
        s.tutor = TutorSession::maker(services());
        model = NotebookModel::make(std::move(notebook), std::move(s));
        model->scroll.set(scroll);
        settle();
        return *model;
    }

    TutorSession& session() { return static_cast<TutorSession&>(*model->session); }
    ManualScheduler& scheduler() { return *store.scheduler; }
    // Runs background work (layouts, file writes) and what it posts back; the clock stays.
    void settle() { store.scheduler->drain(); }

    // Asks, and lets the turn start: the request is then in the script.
    void ask() {
        model->ask();
        settle();
    }
    // Sends the lines, ends the reply and lets every block be placed and the turn recorded.
    void reply(const std::vector<std::string>& lines) {
        script.lines(lines);
        settle();
        script.end();
        settle();
    }
    // The context text of the last request.
    std::string context() const {
        if (script.requests.empty()) return {};
        return script.requests.back().content.at(0).at("text").get<std::string>();
    }
    // The blocks of a page of kind `kind` ("" for every block).
    std::vector<BlockItem> blocks(int page, const std::string& kind = "") const {
        std::vector<BlockItem> out;
        for (const PageItem& item : model->nb->pages.at(page).items)
            if (const BlockItem* b = item.block(); b && (kind.empty() || NotebookModel::kind(*b) == kind)) out.push_back(*b);
        return out;
    }
    // The stored notebook, as its file holds it.
    std::optional<Notebook> onDisk() {
        settle();
        return store.onDisk(model->nb->id);
    }
};

// A learner stroke from (x, y) to (x + w, y + h), as a pen or a highlighter draws it.
inline StrokeItem stroke(double x, double y, double w, double h, const std::string& tool = "pen") {
    StrokeItem s;
    s.pts = {float(x), float(y), 0.5f, float(x + w / 2), float(y + h / 2), 0.5f, float(x + w), float(y + h), 0.5f};
    s.color = "learner";
    s.width = 2;
    s.tool = tool;
    return s;
}

// A tutor question with its answer room, as placed: its height decides where the room is.
inline BlockItem question(double y, double h, std::string text = "What is one half plus one half?") {
    BlockItem b;
    b.json = J(nlohmann::json{{"t", "ask"}, {"text", text}, {"space", 12}}).line();
    b.y = y;
    b.h = h;
    b.seed = 11;
    return b;
}

}  // namespace nolby::test
