#include "sheet/SheetWords.h"

#include "platform/Unicode.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace nolby {

namespace {

// Characters that take no space before them when they start a word.
bool closes(char32_t c) {
    switch (c) {
        case U',': case U'.': case U';': case U':': case U'!': case U'?': case U')':
        case U'\u201D': case U'\u2019':
            return true;
        default:
            return false;
    }
}

// Trimmed from the ends of a phrase.
bool phraseEdge(char32_t c) {
    switch (c) {
        case U'\u201C': case U'\u201D': case U'\u2018': case U'\u2019': case U'"': case U'\'':
        case U'(': case U')': case U'[': case U']':
            return true;
        default:
            return unicode::isPunctuation(c) || unicode::isWhitespace(c);
    }
}

// The distance from a point to a box (0 inside it) along one axis.
double gap(double v, double lo, double hi) { return v < lo ? lo - v : v > hi ? v - hi : 0; }

std::string replaceBlankLines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && i + 1 < text.size() && text[i + 1] == '\n') {
            out.push_back(' ');
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace

const std::vector<NotebookModel::Word>& SheetWords::words(NotebookModel& model, int page) {
    static const std::vector<NotebookModel::Word> none;
    const auto& pages = model.nb->pages;
    if (page < 0 || page >= static_cast<int>(pages.size())) return none;
    const Key key{pages[page].id, model.version(page), model.scribe->version.get()};
    auto it = cache_.find(page);
    if (it != cache_.end() && it->second.key == key) return it->second.words;
    Entry& e = cache_[page];
    e.key = key;
    e.words = model.words(page);
    return e.words;
}

std::optional<NotebookModel::Word> SheetWords::word(NotebookModel& model, Ref ref) {
    const auto& list = words(model, ref.page);
    if (ref.word < 0 || ref.word >= static_cast<int>(list.size())) return std::nullopt;
    return list[ref.word];
}

std::optional<int> SheetWords::wordUnder(NotebookModel& model, Point at, int page) {
    const auto& list = words(model, page);
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].rect.insetBy(-3, -3).contains(at)) return static_cast<int>(i);
    return std::nullopt;
}

std::optional<SheetWords::Ref> SheetWords::nearestWord(NotebookModel& model, const SheetLayout& layout, Point at,
                                                       int page) {
    const auto& list = words(model, page);
    if (!list.empty()) {
        int best = 0;
        double nearest = INFINITY;
        for (size_t i = 0; i < list.size(); ++i) {
            const Rect& r = list[i].rect;
            const double d = std::hypot(gap(at.x, r.minX(), r.maxX()), 3 * gap(at.y, r.minY(), r.maxY()));
            if (d < nearest) {
                nearest = d;
                best = static_cast<int>(i);
            }
        }
        return Ref{page, best};
    }
    const auto& slices = layout.slices;
    const auto here = std::find_if(slices.begin(), slices.end(), [&](const auto& s) { return s.page == page; });
    if (here == slices.end()) return std::nullopt;
    for (auto s = here; s != slices.begin();) {
        --s;
        if (const auto& w = words(model, s->page); !w.empty()) return Ref{s->page, static_cast<int>(w.size()) - 1};
    }
    for (auto s = here + 1; s != slices.end(); ++s)
        if (!words(model, s->page).empty()) return Ref{s->page, 0};
    return std::nullopt;
}

std::optional<Uuid> SheetWords::dive(NotebookModel& model, Point at, int page) {
    for (const NotebookModel::Dive& d : model.dives(page))
        for (const Rect& r : d.rects)
            if (r.insetBy(-2, -4).contains(at)) return d.to;
    return std::nullopt;
}

std::vector<SheetWords::Picked> SheetWords::picked(NotebookModel& model, const SheetLayout& layout,
                                                   const Selection& selection) {
    std::vector<Picked> out;
    const Ref lo = selection.lo(), hi = selection.hi();
    for (const SheetLayout::Slice& s : layout.slices) {
        if (s.page < lo.page || s.page > hi.page) continue;
        const auto& list = words(model, s.page);
        const int n = static_cast<int>(list.size());
        const int from = std::max(s.page == lo.page ? lo.word : 0, 0);
        const int to = std::min(s.page == hi.page ? hi.word : n - 1, n - 1);
        for (int i = from; i <= to; ++i) out.push_back({s.page, list[i]});
    }
    return out;
}

std::optional<std::pair<int, int>> SheetWords::blockRange(NotebookModel& model, Ref ref) {
    const auto& list = words(model, ref.page);
    if (ref.word < 0 || ref.word >= static_cast<int>(list.size())) return std::nullopt;
    const Uuid& block = list[ref.word].block;
    int first = -1, last = -1;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].block == block) {
            if (first < 0) first = static_cast<int>(i);
            last = static_cast<int>(i);
        }
    return std::pair{first, last};
}

std::string SheetWords::passage(NotebookModel& model, const std::vector<Picked>& picked) {
    std::string out;
    std::set<std::pair<int, Uuid>> seen;
    for (const Picked& p : picked) {
        if (!seen.insert({p.page, p.word.block}).second) continue;
        if (!out.empty()) out += '\n';
        bool first = true;
        for (const NotebookModel::Word& w : words(model, p.page)) {
            if (w.block != p.word.block) continue;
            if (!first) out += ' ';
            out += w.text;
            first = false;
        }
    }
    return out;
}

std::string SheetWords::selectedText(const std::vector<Picked>& picked) {
    std::string out;
    for (size_t i = 0; i < picked.size(); ++i) {
        const std::string& text = picked[i].word.text;
        if (i > 0) {
            if (picked[i].word.block != picked[i - 1].word.block || picked[i].page != picked[i - 1].page) {
                out += "\n\n";
            } else {
                const std::u32string u = unicode::toUtf32(text);
                if (u.empty() || !closes(u.front())) out += ' ';
            }
        }
        out += text;
    }
    return out;
}

std::string SheetWords::phrase(std::string_view selectedText) {
    const std::u32string u = unicode::toUtf32(replaceBlankLines(selectedText));
    size_t b = 0, e = u.size();
    while (b < e && phraseEdge(u[b])) ++b;
    while (e > b && phraseEdge(u[e - 1])) --e;
    return unicode::toUtf8(std::u32string_view(u).substr(b, e - b));
}

std::vector<Rect> SheetWords::selectedLines(const SheetLayout& layout, const std::vector<Picked>& picked) {
    std::vector<Rect> out;
    for (size_t i = 0; i < picked.size(); ++i) {
        const std::optional<Rect> mapped = layout.view(picked[i].word.rect, picked[i].page);
        if (!mapped) continue;
        const Rect box = mapped->insetBy(-2, -1.5);
        const bool samePage = i > 0 && picked[i - 1].page == picked[i].page;
        if (samePage && !out.empty() && std::fabs(out.back().midY() - box.midY()) < box.height() / 2 &&
            box.minX() >= out.back().minX() - 2) {
            out.back() = out.back().united(box);
        } else {
            out.push_back(box);
        }
    }
    return out;
}

std::vector<Rect> SheetWords::lines(const std::vector<Rect>& boxes) {
    std::vector<Rect> out;
    for (const Rect& r : boxes) {
        if (!out.empty() && std::fabs(out.back().midY() - r.midY()) < r.height() / 2)
            out.back() = out.back().united(r);
        else
            out.push_back(r);
    }
    return out;
}

std::vector<Rect> SheetWords::linesOnPage(const std::vector<Picked>& picked, int page) {
    std::vector<Rect> boxes;
    for (const Picked& p : picked)
        if (p.page == page) boxes.push_back(p.word.rect);
    return lines(boxes);
}

}  // namespace nolby
