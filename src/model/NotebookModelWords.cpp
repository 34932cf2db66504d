// Finding things in the ink of tutor blocks: the block and the word under a point, the words
// of a block and of a page, where a word is written, the deep-dive marks of a page; and
// writing a deep-dive mark.
#include "model/NotebookModel.h"

#include "ink/J.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/TextOp.h"
#include "platform/Unicode.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// The smallest rectangle holding the rectangle mapped through the transform.
Rect mapped(const Rect& r, const Affine& t) {
    if (t.a == 1 && t.b == 0 && t.c == 0 && t.d == 1) return r.offsetBy(t.tx, t.ty);
    const Point corners[] = {t.apply({r.minX(), r.minY()}), t.apply({r.maxX(), r.minY()}),
                             t.apply({r.minX(), r.maxY()}), t.apply({r.maxX(), r.maxY()})};
    double x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
    for (const Point& p : corners) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

// Word boxes of a list of operations: one per phrase run and one per print text run, in
// operation order, a run's box from 0.82 of the size above its baseline, 1.08 of it high.
template <class Visit>
void eachRun(const std::vector<InkOpRef>& ops, Visit&& visit) {
    for (const InkOpRef& op : ops) {
        const InkOp::Placement place = op->placement();
        if (auto phrase = dynamic_cast<const PhraseOp*>(place.base.get())) {
            for (const PhraseOp::Run& run : phrase->runs) visit(*phrase, run.glyphs, run.x, run.y, phrase->size, place.transform);
        } else if (auto text = dynamic_cast<const TextOp*>(place.base.get())) {
            visit(*text, text->glyphs, text->x, text->y, text->size, place.transform);
        }
    }
}

NotebookModel::WordBox boxOf(const GlyphRun& glyphs, double x, double y, double size, const Affine& t) {
    return {mapped(Rect{x, y - 0.82 * size, glyphs.width, 1.08 * size}, t), glyphs.text};
}

// The text without the characters `drop` names at either end.
template <class Drop>
std::string trimmedOf(std::string_view text, Drop&& drop) {
    const std::u32string u = unicode::toUtf32(text);
    size_t b = 0, e = u.size();
    while (b < e && drop(u[b])) ++b;
    while (e > b && drop(u[e - 1])) --e;
    return unicode::toUtf8(std::u32string_view(u).substr(b, e - b));
}

bool spaceOrTab(char32_t c) { return c == U' ' || c == U'\t'; }

bool wordEdge(char32_t c) {
    return spaceOrTab(c) || unicode::isPunctuation(c) || c == U'\u201C' || c == U'\u201D' || c == U'\u2018' ||
           c == U'\u2019' || c == U'"' || c == U'\'';
}

bool punctuation(char32_t c) { return unicode::isPunctuation(c); }

}  // namespace

const std::set<std::string>& NotebookModel::overlays() {
    static const std::set<std::string> kinds{"mark", "link", "pto", "hole"};
    return kinds;
}

std::string NotebookModel::kind(const BlockItem& block) { return J::parse(block.json).value_or(J()).str("t", ""); }

std::optional<NotebookModel::Hit> NotebookModel::blockHit(Point at, std::optional<int> on) {
    const int page = on.value_or(pageIndex.get());
    if (page < 0 || page >= static_cast<int>(nb->pages.size())) return std::nullopt;
    const std::vector<PageItem>& items = nb->pages[page].items;
    for (size_t k = items.size(); k-- > 0;) {
        const BlockItem* block = items[k].block();
        if (!block) continue;
        const Rect b = bounds(items[k]);
        // Bounds first: they are cached, the kind is parsed.
        if (b.isNull() || !b.insetBy(-4, -4).contains(at)) continue;
        if (overlays().count(kind(*block))) continue;
        return Hit{*block, b};
    }
    return std::nullopt;
}

std::vector<NotebookModel::WordBox> NotebookModel::words(const BlockItem& in) {
    std::vector<WordBox> out;
    eachRun(entry(PageItem(in)).ops, [&](const InkOp&, const GlyphRun& g, double x, double y, double size, const Affine& t) {
        if (!trimmedOf(g.text, spaceOrTab).empty()) out.push_back(boxOf(g, x, y, size, t));
    });
    return out;
}

std::optional<NotebookModel::WordBox> NotebookModel::wordAt(Point at, const BlockItem& in) {
    std::optional<WordBox> best;
    double nearest = 0;
    eachRun(entry(PageItem(in)).ops, [&](const InkOp&, const GlyphRun& g, double x, double y, double size, const Affine& t) {
        WordBox box = boxOf(g, x, y, size, t);
        if (!box.rect.insetBy(-6, -7).contains(at)) return;
        std::string text = trimmedOf(g.text, wordEdge);
        if (text.empty()) return;
        const double d = distance(at, {box.rect.midX(), box.rect.midY()});
        // A later box wins only when strictly nearer.
        if (best && !(d < nearest)) return;
        nearest = d;
        best = WordBox{box.rect.insetBy(-5, -3), std::move(text)};
    });
    return best;
}

std::vector<NotebookModel::Word> NotebookModel::words(int onPage) {
    std::vector<Word> out;
    if (onPage < 0 || onPage >= static_cast<int>(nb->pages.size())) return out;
    struct Content {
        const BlockItem* block;
        double top;
    };
    std::vector<Content> blocks;
    for (const PageItem& item : nb->pages[onPage].items) {
        const BlockItem* block = item.block();
        if (!block) continue;
        const Rect b = bounds(item);
        if (b.isNull() || overlays().count(kind(*block))) continue;
        blocks.push_back({block, b.minY()});
    }
    std::stable_sort(blocks.begin(), blocks.end(), [](const Content& a, const Content& b) { return a.top < b.top; });
    for (const Content& c : blocks)
        for (WordBox& w : words(*c.block)) out.push_back({w.rect, std::move(w.text), c.block->id});
    return out;
}

std::optional<Point> NotebookModel::point(std::string_view ofWord) {
    const int page = pageIndex.get();
    if (page < 0 || page >= static_cast<int>(nb->pages.size())) return std::nullopt;
    // The word asked for is lowercased but not trimmed.
    const std::string wanted = unicode::lowercased(ofWord);
    for (const PageItem& item : nb->pages[page].items) {
        if (!item.block()) continue;
        for (const InkOpRef& op : entry(item).ops) {
            const InkOp::Placement place = op->placement();
            auto phrase = dynamic_cast<const PhraseOp*>(place.base.get());
            if (!phrase) continue;
            for (const PhraseOp::Run& run : phrase->runs)
                if (unicode::lowercased(trimmedOf(run.glyphs.text, punctuation)) == wanted)
                    return place.transform.apply({run.x + run.glyphs.width / 2, run.y - 0.3 * phrase->size});
        }
    }
    return std::nullopt;
}

std::vector<NotebookModel::Dive> NotebookModel::dives(int onPage) {
    std::vector<Dive> out;
    if (onPage < 0 || onPage >= static_cast<int>(nb->pages.size())) return out;
    for (const PageItem& item : nb->pages[onPage].items) {
        const BlockItem* block = item.block();
        if (!block || !block->box) continue;
        const J object = J::parse(block->json).value_or(J());
        if (object.str("t", "") != "hole") continue;
        const std::optional<Uuid> to = Uuid::parse(object.str("to", ""));
        if (!to) continue;
        const Rect box = *block->box;
        Dive dive{{}, *to, object.str("text", "")};
        if (const nlohmann::json* r = object.arr("r")) {
            for (const nlohmann::json& element : *r) {
                if (!element.is_array()) continue;
                std::vector<double> n;
                for (const nlohmann::json& v : element)
                    if (std::optional<double> x = J::number(&v)) n.push_back(*x);
                if (n.size() == 4) dive.rects.push_back({box.minX() + n[0], box.minY() + n[1], n[2], n[3]});
            }
        }
        if (dive.rects.empty()) dive.rects.push_back(box);
        out.push_back(std::move(dive));
    }
    return out;
}

void NotebookModel::markDive(int page, const std::vector<Rect>& rects, const Uuid& to, const std::string& text) {
    if (page < 0 || page >= static_cast<int>(nb->pages.size()) || rects.empty()) return;
    Rect u = Rect::null();
    for (const Rect& r : rects) u = u.united(r);
    nlohmann::json relative = nlohmann::json::array();
    for (const Rect& r : rects)
        relative.push_back({r.minX() - u.minX(), r.minY() - u.minY(), r.width(), r.height()});
    nlohmann::json object = {{"t", "hole"}, {"to", to.string()}, {"text", text}, {"r", relative}};

    BlockItem block;
    block.json = J(std::move(object)).line();
    block.dx = 0;
    block.y = u.minY();
    block.h = 0;
    // A seed of 1 ... 2^62 − 1 from fresh random bits.
    const Uuid bits = Uuid::random();
    uint64_t seed = 0;
    for (int i = 0; i < 16; ++i) seed = (seed << 8 | seed >> 56) ^ bits.bytes[i];
    seed &= (uint64_t(1) << 62) - 1;
    block.seed = seed == 0 ? 1 : seed;
    block.turn = static_cast<int64_t>(nb->turns.size());
    block.created = ReferenceClock::now();
    block.box = u;
    mutate(page, false, [&](std::vector<PageItem>& items) { items.emplace_back(std::move(block)); });
}

}  // namespace nolby
