// What the tutor adds on top of a code block: highlighter strokes over parts of lines, and
// short handwritten notes beside lines, each with a leader arrow to the end of its line.
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"
#include "ink/ops/StrokeOp.h"

#include <algorithm>

namespace nolby {

namespace {

// A line index clamped to the lines that exist.
size_t rowOf(const J& o, size_t count) {
    return static_cast<size_t>(std::clamp<int64_t>(o.int_("line", 0), 0, static_cast<int64_t>(count) - 1));
}

std::vector<J> firstObjects(const J& o, std::string_view key, size_t most) {
    std::vector<J> all = o.objs(key);
    if (all.size() > most) all.resize(most);
    return all;
}

}  // namespace

void Blocks::codeHighlights(const J& o, const CodeRows& rows, Rough& rough, std::vector<InkOpRef>& ops) const {
    for (const J& h : firstObjects(o, "hl", kMaxCodeMarks)) {
        const size_t line = rowOf(h, rows.lines.size());
        const int64_t last = static_cast<int64_t>(rows.counts[line]) - 1;
        const int64_t from = std::max<int64_t>(h.int_("from", 0), 0);
        const int64_t to = std::min(h.int_("to", last), last);
        if (to < from) continue;  // also every mark on an empty line

        const double adv = rows.adv;
        const double y = rows.baseline(line) - 0.3 * rows.size;
        Path path;
        rough.curve(path,
                    {{36 + adv * static_cast<double>(from) - 1.5, y + 0.5},
                     {36 + adv * static_cast<double>(from + to + 1) / 2, y - 0.8},
                     {36 + adv * static_cast<double>(to + 1) + 1.5, y}},
                    1, 0.4);
        Pen pen = Pen::usual(Ink::marker(h.str("c", "yellow")), 0.95 * rows.size);
        pen.cap = LineCap::butt;
        pen.blend = BlendMode::multiply;
        appendStroke(ops, std::move(path), pen, 1, 1.6, 0.2);
    }
}

void Blocks::codeNotes(const J& o, const CodeRows& rows, uint64_t seed, Rough& rough,
                       std::vector<InkOpRef>& ops) const {
    const std::vector<J> notes = firstObjects(o, "notes", kMaxCodeMarks);
    const double nx = kMargin + rows.cardW + 16;  // the note column, right of the card
    for (size_t k = 0; k < notes.size(); ++k) {
        const J& note = notes[k];
        const size_t line = rowOf(note, rows.lines.size());
        const double y = rows.baseline(line);
        const Color color = Ink::color(note.str("c", "red"), Ink::ink);

        Hand hand(seed + 40 + k);
        Hand::Result text = hand.write(note.str("text", ""), nx, y - 14.175, geo.pageW - rows.cardW - 50, 13.5,
                                       color, Faces::Face::hand, 14.85);

        // The leader ends just past the last character of its line.
        const double e = 36 + rows.adv * static_cast<double>(rows.counts[line]) + 4;
        const double tipY = y - 0.35 * rows.size;
        Path leader;
        rough.curve(leader, {{nx - 3, y - 4.725}, {(nx + e) / 2, y - 7.425}, {e, tipY}}, 1, 0.25);
        rough.arrowhead(leader, e, tipY, -10, 1, 6);
        appendStroke(ops, std::move(leader), Pen::usual(color, 1.3), 1, 1, 0.3);
        ops.insert(ops.end(), text.ops.begin(), text.ops.end());
    }
}

}  // namespace nolby
