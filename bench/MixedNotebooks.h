#pragma once
// Notebooks as a learner's library holds them, for the store's and the shelf's benchmarks:
// pages of typed notes, pen strokes and tutor blocks (about 16 KB a page encoded), and data
// folders of such notebooks.

#include "TempFolder.h"
#include "notebook/Notebook.h"
#include "notebook/NotebookFile.h"
#include "platform/AtomicFile.h"

#include <filesystem>
#include <string>

namespace nolby::bench {

// A page of mixed content: typed notes, pen strokes and tutor blocks, about 16 KB encoded.
inline Page mixedPage(int seed) {
    Page page;
    for (int i = 0; i < 8; ++i) {
        TextItem t;
        t.x = 40;
        t.y = 80 + 30 * i;
        t.width = 320;
        t.text = "A note about fractions, {red:three quarters} and $\\frac{3}{4}$, line " + std::to_string(i);
        t.color = "learner";
        t.size = 17;
        t.turn = i;
        page.items.emplace_back(t);
    }
    for (int i = 0; i < 10; ++i) {
        StrokeItem s{{}, "ink", 2.4, "pen"};
        for (int k = 0; k < 60; ++k) {
            s.pts.push_back(float(40 + k * 3.17 + seed));
            s.pts.push_back(float(400 + i * 20 + (k % 7) * 1.3));
            s.pts.push_back(float(0.4 + (k % 5) * 0.1));
        }
        page.items.emplace_back(s);
    }
    for (int i = 0; i < 6; ++i) {
        BlockItem b;
        b.json = R"({"t":"p","text":"The numerator counts the parts we take, the denominator the parts the whole is cut into. )"
                 R"(Three quarters is three of four equal parts.","size":18,"ink":"blue"})";
        b.y = 500 + 40 * i;
        b.h = 36;
        b.seed = 0x9E3779B97F4A7C15ull * uint64_t(i + seed);
        b.turn = 1;
        page.items.emplace_back(b);
    }
    return page;
}

inline Notebook mixedNotebook(int pages, int64_t issue) {
    Notebook n;
    n.title = "Fractions, issue " + std::to_string(issue);
    n.issue = issue;
    n.plan = R"({"steps":["What a fraction is","Equal parts","Comparing fractions","Adding"],"art":"a baker cutting a pie"})";
    n.learner = "Quick with pictures; mixes up numerator and denominator under pressure.";
    for (int t = 0; t < 4; ++t)
        n.turns.push_back(Turn{ReferenceClock::now(), "3/4 of the circle shaded", "drawing",
                               std::string(1200, 'r') + " (a reply transcript)", t});
    n.pages.clear();
    for (int p = 0; p < pages; ++p) n.pages.push_back(mixedPage(p));
    return n;
}

// Writes `count` notebooks of `pages` mixed pages, numbered 1...count, an hour apart (the
// first the newest), into the "Notebooks" folder of `data`.
inline void writeMixedNotebooks(const std::filesystem::path& data, int count, int pages) {
    std::filesystem::create_directories(data / "Notebooks");
    for (int i = 0; i < count; ++i) {
        Notebook n = mixedNotebook(pages, i + 1);
        n.created = n.updated = dateFromReference(800000000 - i * 3600.0);
        AtomicFile::write(data / "Notebooks" / NotebookFile::fileName(n.id), NotebookFile::encode(n));
    }
}

}  // namespace nolby::bench
