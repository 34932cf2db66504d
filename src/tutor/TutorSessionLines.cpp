// The reply side of a turn: the streamed text cut into lines, each line taken in turn (a
// block laid out and placed before the next line is read, a control message applied at
// once), and the control messages themselves.
#include "tutor/TutorSession.h"

#include "ink/Ink.h"
#include "ink/Rng.h"
#include "platform/Unicode.h"
#include "platform/Uuid.h"
#include "tutor/TutorSessionRun.h"

#include <algorithm>
#include <cstdint>

namespace nolby {

namespace {

// The length of the UTF-8 sequence a lead byte starts (1 for a stray byte).
size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

bool whiteAt(std::string_view s, size_t at, size_t n) {
    const std::u32string c = unicode::toUtf32(s.substr(at, n));
    return c.size() == 1 && unicode::isWhitespace(c[0]);
}

// The line without white space and line breaks (a carriage return among them) at either end.
std::string_view trimmedLine(std::string_view s) {
    while (!s.empty()) {
        const size_t n = std::min(sequenceLength(static_cast<unsigned char>(s.front())), s.size());
        if (!whiteAt(s, 0, n)) break;
        s.remove_prefix(n);
    }
    while (!s.empty()) {
        size_t start = s.size() - 1;
        while (start > 0 && s.size() - start < 4 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80) --start;
        if (!whiteAt(s, start, s.size() - start)) break;
        s.remove_suffix(s.size() - start);
    }
    return s;
}

}  // namespace

void TutorSession::text(const std::shared_ptr<Run>& run, std::string_view delta) {
    if (!live(run)) return;
    run->buffer.append(delta);
    // Lines end at a line feed; a carriage return before it goes with the trimming.
    size_t start = 0;
    for (size_t lf; (lf = run->buffer.find('\n', start)) != std::string::npos; start = lf + 1)
        run->lines.emplace_back(run->buffer, start, lf - start);
    run->buffer.erase(0, start);
    pump(run);
}

void TutorSession::pump(const std::shared_ptr<Run>& run) {
    if (pumping_) return;
    pumping_ = true;
    while (live(run) && !run->busy && !run->lines.empty()) {
        const std::string line = std::move(run->lines.front());
        run->lines.pop_front();
        const std::string_view t = trimmedLine(line);
        if (t.empty() || t.front() != '{') continue;
        std::optional<J> o = J::parse(t);
        if (!o) continue;
        if (Blocks::isBlock(o->str("t", ""))) {
            run->busy = true;
            place(run, std::move(*o));
        } else {
            handle(*o, *run);
        }
    }
    pumping_ = false;
    if (live(run) && !run->busy && run->lines.empty() && run->received) finish(run);
}

void TutorSession::transcript(const J& o, Run& run) {
    const std::string kind = o.str("t", "");
    std::string text = o.str("text", "");
    if (text.empty()) text = o.str("caption", "");
    if (text.empty()) text = o.str("tex", "");
    if (!text.empty()) run.reply.push_back(kind == "h" ? "# " + text : text);
    if (kind == "fig") run.reply.push_back("[figure]");
    if (kind == "list") {
        std::string items;
        for (const std::string& item : o.strs("items")) items += (items.empty() ? "" : "; ") + item;
        run.reply.push_back(items);
    }
}

void TutorSession::handle(const J& o, Run& run) {
    std::shared_ptr<NotebookModel> model = model_.lock();
    if (!model) return;
    NotebookModel& m = *model;
    const std::string kind = o.str("t", "");
    if (kind == "read") {
        run.read = {o.str("text", ""), o.str("kind", "")};
    } else if (kind == "plan") {
        plan(m, o, run);
    } else if (kind == "cover") {
        cover(m, o);
    } else if (kind == "step") {
        const int64_t step = o.int_("n", m.nb->step);
        m.nb.modify([&](Notebook& n) { n.step = step; });
    } else if (kind == "next") {
        std::string label = unicode::prefix(o.str("label", ""), 30);
        m.nb.modify([&](Notebook& n) { n.next = std::move(label); });
    } else if (kind == "reviewed") {
        const int64_t n = o.int_("n", 0);
        const auto& review = m.nb->review;
        if (review && n >= 1 && n <= static_cast<int64_t>(review->size()))
            m.nb.modify([&](Notebook& nb) { nb.review->erase(nb.review->begin() + (n - 1)); });
    } else if (kind == "learner") {
        learner(m, o);
    } else if (kind == "wait") {
        run.waited = true;
    } else if (kind == "mark") {
        mark(m, o, run);
    }
}

namespace {

bool isNotebookColour(const std::string& name) {
    const std::vector<std::string>& names = Ink::names();
    return !name.empty() && std::find(names.begin(), names.end(), name) != names.end();
}

// The stored plan as an object; an empty one when there is none or it does not parse.
nlohmann::json storedPlan(const Notebook& n) {
    if (!n.plan) return nlohmann::json::object();
    std::optional<J> plan = J::parse(*n.plan);
    return plan ? plan->d() : nlohmann::json::object();
}

}  // namespace

void TutorSession::plan(NotebookModel& m, const J& o, const Run& run) {
    nlohmann::json plan = o.d();
    if (!o.has("doodle")) {
        const nlohmann::json stored = storedPlan(m.nb.get());
        if (auto it = stored.find("doodle"); it != stored.end() && it->is_array()) plan["doodle"] = *it;
    }
    const std::string line = J(std::move(plan)).line();
    const std::string colour = o.str("color", "");
    m.nb.modify([&](Notebook& n) {
        n.plan = line;
        if (n.title.empty() || run.firstTurn) n.title = o.str("topic", n.title);
        if (isNotebookColour(colour)) n.color = colour;
    });
    m.save(false);
    if (services_.press) services_.press->ensure(m.nb.get());
}

void TutorSession::cover(NotebookModel& m, const J& o) {
    nlohmann::json plan = storedPlan(m.nb.get());
    if (const nlohmann::json* doodle = o.arr("doodle")) plan["doodle"] = *doodle;
    const std::string line = J(std::move(plan)).line();
    const std::string colour = o.str("color", "");
    m.nb.modify([&](Notebook& n) {
        n.plan = line;
        if (isNotebookColour(colour)) n.color = colour;
    });
    m.save(false);
}

void TutorSession::learner(NotebookModel& m, const J& o) {
    const std::string notes = o.str("notes", "");
    const int64_t pace = std::clamp<int64_t>(o.int_("pace", m.nb->pace), 1, 5);
    m.nb.modify([&](Notebook& n) {
        if (!notes.empty()) n.learner = unicode::prefix(notes, 400);
        n.pace = pace;
    });
    const std::string about = o.str("about", "");
    if (!about.empty() && services_.defaults) services_.defaults->set("learner-about", unicode::prefix(about, 500));
}

uint64_t TutorSession::seed() {
    // The 62 random bits after a fresh identifier's variant bits, so that a repeatable
    // identifier sequence gives repeatable seeds too.
    for (;;) {
        const Uuid u = Uuid::random();
        uint64_t v = u.bytes[8] & 0x3F;
        for (size_t i = 9; i < 16; ++i) v = v << 8 | u.bytes[i];
        if (v != 0) return v;
    }
}

void TutorSession::mark(NotebookModel& m, const J& o, Run& run) {
    auto found = run.ids.find(o.str("on", ""));
    if (found == run.ids.end()) return;
    // The item is looked up where it is now: pages may have come and gone since the turn began.
    const Uuid id = found->second.item.id();
    int page = -1;
    std::optional<PageItem> item;
    for (int p = 0; p < static_cast<int>(m.nb->pages.size()) && !item; ++p)
        for (const PageItem& it : m.nb->pages[p].items)
            if (it.id() == id) {
                page = p;
                item = it;
                break;
            }
    if (!item) return;
    const Rect box = m.bounds(*item);
    if (box.isNull()) return;

    BlockItem mark;
    mark.json = o.line();
    mark.seed = seed();
    mark.turn = run.turn;
    mark.created = now();
    mark.box = box;
    m.mutate(page, false, [&](std::vector<PageItem>& items) { items.push_back(mark); });
    write(m, page, mark);

    const std::string note = o.str("note", "");
    if (!note.empty()) run.reply.push_back("[" + o.str("kind", "") + ": " + note + "]");
    const std::string verdict = o.str("v", "");
    if (!verdict.empty()) run.verdicts.push_back(verdict);
    run.placedAny = true;
}

}  // namespace nolby
