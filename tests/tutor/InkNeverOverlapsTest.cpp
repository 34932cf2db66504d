// Whatever moves the content of a page (a margin note's gap, the tutor's reply pushed in under
// it, undo and redo), no two items' ink ever lies on the same spot of paper, and a dive mark
// stays on the words it marks. The tutor writes a paragraph above every kind of block and
// figure; the learner asks about that paragraph's last word, the tutor answers under the
// note, the learner goes deeper from the answer and from the words below, then undoes the
// note and redoes it.
#include "TutorTestSupport.h"
#include "../sheet/SheetPointerTestSupport.h"

#include "model/InkCache.h"

#include <cairo.h>

namespace nolby::test {
namespace {

// The solid ink of one item: its pixels at one a point where the ink covers at least half.
struct Mask {
    std::string name;
    int x0 = 0, y0 = 0, w = 0, h = 0;
    std::vector<uint8_t> solid;
    bool at(int x, int y) const { return x >= x0 && y >= y0 && x < x0 + w && y < y0 + h && solid[(y - y0) * w + x - x0]; }
};

Mask maskOf(std::string name, const std::vector<InkOpRef>& ops, const Geo& geo) {
    Mask m{std::move(name)};
    Rect b = Rect::null();
    for (const InkOpRef& op : ops) b = b.united(op->bounds());
    b = b.intersected({0, 0, geo.pageW, geo.pageH});
    if (b.isNull()) return m;
    m.x0 = static_cast<int>(std::floor(b.minX())), m.y0 = static_cast<int>(std::floor(b.minY()));
    m.w = static_cast<int>(std::ceil(b.maxX())) - m.x0, m.h = static_cast<int>(std::ceil(b.maxY())) - m.y0;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, m.w, m.h);
    cairo_t* cr = cairo_create(s);
    cairo_translate(cr, -m.x0, -m.y0);
    for (const InkOpRef& op : ops) op->draw(cr, 1);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    m.solid.resize(size_t(m.w) * m.h);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) m.solid[y * m.w + x] = data[y * stride + x] >= 128;
    cairo_surface_destroy(s);
    return m;
}

// Every pair of items on a page whose solid ink meets, named. Marks, dive marks and links
// are drawn over other ink on purpose, and so is the ring of a margin note; the note being
// typed counts as an item.
std::vector<std::string> overlaps(NotebookModel& m, int page) {
    std::vector<Mask> masks;
    for (const PageItem& item : m.nb->pages.at(page).items) {
        if (const BlockItem* b = item.block()) {
            const std::string kind = NotebookModel::kind(*b);
            if (kind == "mark" || kind == "hole" || kind == "link" || kind == "pto") continue;
            masks.push_back(maskOf(kind + " at " + std::to_string(int(b->y)), m.entry(item).ops, m.geo()));
        } else if (const TextItem* t = item.text()) {
            TextItem bare = *t;
            bare.anchor.reset();
            masks.push_back(maskOf("note \"" + t->text + "\"", InkCache::build(PageItem(bare), m.geo(), m.accent(), {}), m.geo()));
        } else {
            masks.push_back(maskOf("stroke", m.entry(item).ops, m.geo()));
        }
    }
    if (const auto& e = m.editing.get(); e && e->page == page) {
        TextItem typed;
        typed.id = e->id, typed.x = e->x, typed.y = e->y, typed.width = e->width, typed.text = e->text;
        typed.about = e->about, typed.size = NotebookModel::noteSize, typed.color = "learner";
        masks.push_back(maskOf("open note", InkCache::build(PageItem(typed), m.geo(), m.accent(), {}), m.geo()));
    }
    std::vector<std::string> out;
    for (size_t i = 0; i < masks.size(); ++i)
        for (size_t j = i + 1; j < masks.size(); ++j) {
            const Mask &a = masks[i], &b = masks[j];
            const int x0 = std::max(a.x0, b.x0), x1 = std::min(a.x0 + a.w, b.x0 + b.w);
            const int y0 = std::max(a.y0, b.y0), y1 = std::min(a.y0 + a.h, b.y0 + b.h);
            int shared = 0;
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) shared += a.at(x, y) && b.at(x, y);
            if (shared > 0) out.push_back(a.name + " / " + b.name + ": " + std::to_string(shared) + " px");
        }
    return out;
}

std::vector<std::string> overlaps(NotebookModel& m) {
    std::vector<std::string> out;
    for (int page = 0; page < static_cast<int>(m.nb->pages.size()); ++page)
        for (const std::string& o : overlaps(m, page)) out.push_back("page " + std::to_string(page) + ": " + o);
    return out;
}

// The words under each dive mark's first rectangle, page by page.
std::vector<std::vector<std::string>> markedWords(NotebookModel& m) {
    std::vector<std::vector<std::string>> out;
    for (int page = 0; page < static_cast<int>(m.nb->pages.size()); ++page)
        for (const NotebookModel::Dive& dive : m.dives(page)) {
            out.emplace_back();
            for (const NotebookModel::Word& w : m.words(page))
                if (w.rect.intersects(dive.rects.at(0).insetBy(2, 2))) out.back().push_back(w.text);
        }
    return out;
}

// The index in the page's word list of the last word of a block.
std::optional<int> lastWordOf(NotebookModel& m, const Uuid& block) {
    const std::vector<NotebookModel::Word> words = m.words(0);
    std::optional<int> last;
    for (size_t i = 0; i < words.size(); ++i)
        if (words[i].block == block) last = static_cast<int>(i);
    return last;
}

// Marks the dive from the first word of a block, as going deeper from it does.
void diveFrom(NotebookModel& m, const Uuid& block, const std::string& name) {
    for (const NotebookModel::Word& w : m.words(0))
        if (w.block == block) {
            m.markDive(0, {w.rect}, Uuid::random(), name);
            return;
        }
}

const char* const kFigures[][2] = {
    {"lines", R"j([{"k":"line","pts":[[5,5],[40,30]]},{"k":"arrow","pts":[[50,30],[95,5]],"arrow":"<>"}])j"},
    {"shapes", R"j([{"k":"rect","x":5,"y":5,"w":25,"h":20,"fill":"blue"},{"k":"circle","x":75,"y":15,"r":10}])j"},
    {"polygon and path", R"j([{"k":"poly","pts":[[5,35],[25,5],[45,35]]},{"k":"path","d":"M55 35 C60 0 90 0 95 35 Z"}])j"},
    {"dots and labels", R"j([{"k":"dot","x":10,"y":10,"r":2},{"k":"text","x":50,"y":12,"text":"centred"},{"k":"label","x":20,"y":30,"text":"a label"}])j"},
    {"doodles", R"j([{"k":"doodle","name":"star","x":50,"y":20,"s":10}])j"},
    {"axes and plot", R"j([{"k":"axes","x":10,"y":5,"w":80,"h":40,"xl":"x","yl":"y"},{"k":"plot","f":"sin(x)","x0":-3,"x1":3,"y0":-1.5,"y1":1.5,"box":[10,5,80,40]}])j"},
    {"brace", R"j([{"k":"brace","x1":10,"y1":30,"x2":90,"y2":30,"text":"the whole"}])j"},
    {"cells", R"j([{"k":"cells","vals":[1,2,3,4],"idx":true,"ptr":[{"at":2,"text":"here"}]}])j"},
    {"number line", R"j([{"k":"numberline","from":0,"to":2,"step":0.5,"points":[0.5],"jumps":[{"from":0.5,"to":1.5,"text":"+1"}]}])j"},
    {"pie", R"j([{"k":"pie","parts":[1,2,3],"fill":[0],"text":["a","b","c"]}])j"},
    {"table", R"j([{"k":"table","head":["n","n²"],"rows":[["1","1"],["2","4"]]}])j"},
    {"bars", R"j([{"k":"bars","vals":[3,5,2],"labels":["a","b","c"],"show":true}])j"},
    {"tree", R"j([{"k":"tree","root":{"text":"12","kids":[{"text":"3"},{"text":"4"}]}}])j"},
    {"flow", R"j([{"k":"flow","steps":["start","think","write"],"dir":"right"}])j"},
    {"dots grid", R"j([{"k":"dots","rows":2,"cols":5,"fill":7,"group":5}])j"},
};

std::vector<std::pair<std::string, std::string>> everyKind() {
    std::vector<std::pair<std::string, std::string>> out = {
        {"heading", R"j({"t":"h","text":"Parts of a whole"})j"},
        {"paragraph", R"j({"t":"p","text":"The bottom number counts the parts the whole is cut into."})j"},
        {"math", R"j({"t":"math","tex":"\\frac{1}{2} + \\frac{1}{4} = \\frac{3}{4}"})j"},
        {"list", R"j({"t":"list","items":["one half","two quarters"]})j"},
        {"quote", R"j({"t":"quote","text":"Imagination is more important than knowledge.","by":"a physicist"})j"},
        {"note", R"j({"t":"note","text":"The denominator counts the parts."})j"},
        {"aside", R"j({"t":"aside","text":"An aside, written smaller."})j"},
        {"code", R"j({"t":"code","lang":"py","text":"half = 1 / 2\nprint(half)"})j"},
        {"question", R"j({"t":"ask","text":"What is half of six?","space":20})j"},
        {"sketch", R"j({"t":"sketch","caption":"a pie cut in four","h":40})j"},
    };
    for (const auto& [name, items] : kFigures)
        out.push_back({std::string("figure: ") + name, std::string(R"({"t":"fig","h":50,"items":)") + items + "}"});
    return out;
}

}  // namespace

TEST(InkNeverOverlaps, ANoteAboveEveryKindOfBlockItsAnswerUndoAndRedo) {
    const std::string above = R"({"t":"p","text":"A fraction names equal parts of one whole."})";
    const std::string below = R"({"t":"p","text":"Halves, thirds and quarters are all fractions."})";
    // Enough to nearly fill the page: what the note and the answer push down runs over onto
    // a carry page.
    std::string filler = R"({"t":"p","text":")";
    for (int i = 0; i < 10; ++i) filler += "A whole cut into more parts gives smaller parts. ";
    filler += R"("})";
    const std::string question =
        "why equal parts, and why does it matter what the whole is when we compare two of them? "
        "and is a half of a big pie more than a half of a small one?";
    int carried = 0;  // cases whose note carried the foot of the page on
    const std::vector<std::pair<std::string, std::string>> kinds = everyKind();
    for (const auto& [name, block] : kinds) {
        SCOPED_TRACE(name);
        TutorRig rig;
        NotebookModel& m = rig.open(notebookOf({{note(90, "Tell me about fractions")}}));
        rig.ask();
        rig.reply({above, block, below, filler});
        m.scribe->flush();
        const std::vector<BlockItem> written = rig.blocks(0);
        ASSERT_EQ(written.size(), 4u);
        // Every dive mark made so far, with the words it was made on.
        std::vector<std::vector<std::string>> marked;
        const auto expectClear = [&](const std::string& step) {
            m.scribe->flush();
            EXPECT_EQ(overlaps(m), std::vector<std::string>{}) << step;
            EXPECT_EQ(markedWords(m), marked) << step << ": each dive mark on its words";
        };
        const auto markFrom = [&](const Uuid& block, const std::string& words) {
            diveFrom(m, block, words);
            marked = markedWords(m);
        };
        const auto noted = [&] {
            for (const PageItem& item : m.nb->pages[0].items)
                if (item.text() && item.text()->text == question) return true;
            return false;
        };
        expectClear("as the tutor wrote it");

        // Asked about the paragraph's last word: the margin note opens under it, over the
        // block below, and grows to three lines; closed empty, it gives the room back.
        HostRecorder host;
        host.shown = rig.model;
        host.laid = handLayout({{0, 0, m.nb->pageH}});
        SheetTyping typing;
        SheetPointer pointer{host, typing};
        const std::optional<int> word = lastWordOf(m, written[0].id);
        ASSERT_TRUE(word);
        const auto openNote = [&] {
            pointer.setSelection(SheetWords::Selection{{0, *word}, {0, *word}});
            ASSERT_TRUE(pointer.startNote());
            m.editing.modify([&](std::optional<NotebookModel::Editing>& e) { e->text = question; });
        };
        openNote();
        expectClear("with the note open");
        m.editing.modify([](std::optional<NotebookModel::Editing>& e) { e->text.clear(); });
        m.commitEditing();
        expectClear("closed empty");
        EXPECT_EQ(rig.blocks(0), written);
        EXPECT_EQ(m.nb->pages.size(), 1u);

        // Written, then deeper from the words below the block; undone, the room closes and the
        // mark goes back up with its words; redone.
        openNote();
        m.commitEditing();
        expectClear("written");
        carried += m.nb->pages.size() > 1;
        markFrom(written[2].id, "below");
        ASSERT_TRUE(m.undo());
        EXPECT_FALSE(noted());
        expectClear("undone");
        ASSERT_TRUE(m.redo());
        EXPECT_TRUE(noted());
        expectClear("redone");

        // Sent: the answer goes in under the note, pushing what follows down; deeper from the
        // answer's words. Undone, the note goes and the answer stays where it was written,
        // with what followed it still below it; redone.
        rig.ask();
        rig.reply({R"({"t":"p","text":"Because a part means nothing until you know the whole it was cut from."})"});
        expectClear("answered");
        markFrom(rig.blocks(0, "p").back().id, "answer");
        ASSERT_TRUE(m.undo());
        EXPECT_FALSE(noted());
        expectClear("answered, undone");
        ASSERT_TRUE(m.redo());
        EXPECT_TRUE(noted());
        expectClear("answered, redone");
    }
    EXPECT_GT(carried, static_cast<int>(kinds.size()) / 2);
}

}  // namespace nolby::test
