// The code block: program text, or a Python transcript, on a light card, one character per
// cell of equal width, coloured by the small syntax colourer.
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/MonoOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "platform/TextLine.h"
#include "platform/Unicode.h"

#include <algorithm>

namespace nolby {

namespace {

constexpr double kCodeSize = 14.5;
constexpr double kMinCodeSize = 10.5;
constexpr Color kCardColor = Color::hex(0xf3efe6);

// A line as the card shows it: tabs as four spaces, no trailing spaces, at most `columns`
// characters.
std::string cleaned(const std::string& raw, size_t columns) {
    std::string line;
    line.reserve(raw.size());
    for (char c : raw) {
        if (c == '\t') line += "    ";
        else line += c;
    }
    line = trimmingTrailing(line, " ");
    const std::vector<size_t> bounds = unicode::graphemeBounds(line);
    if (bounds.size() > columns + 1) line = trimmingTrailing(line.substr(0, bounds[columns]), " ");
    return line;
}

// "text" cut at every line break (a CR before the LF belongs to the break); the empty
// text is one empty line.
std::vector<std::string> splitLines(const std::string& text, size_t most) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (lines.size() < most) {
        const size_t at = text.find('\n', start);
        std::string line = text.substr(start, at == std::string::npos ? std::string::npos : at - start);
        if (at != std::string::npos && !line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (at == std::string::npos) break;
        start = at + 1;
    }
    return lines;
}

bool blank(const std::string& line) {
    for (char32_t c : unicode::toUtf32(line))
        if (!unicode::isWhitespace(c)) return false;
    return true;
}

}  // namespace

std::optional<Blocks::CodeRows> Blocks::codeRows(const J& o) {
    std::vector<std::string> raw;
    if (o["lines"]) {
        raw = o.strs("lines");  // not an array: no lines
        if (raw.size() > kMaxCodeLines) raw.resize(kMaxCodeLines);
    } else {
        raw = splitLines(o.str("text", ""), kMaxCodeLines);
    }
    if (raw.empty()) return std::nullopt;
    CodeRows rows;
    for (const std::string& r : raw) {
        rows.lines.push_back(cleaned(r, kMaxCodeColumns));
        const std::vector<std::string> chars = unicode::graphemes(rows.lines.back());
        rows.counts.push_back(chars.size());
        rows.transcript = rows.transcript || prompted(chars, ">>>");
    }
    return rows;
}

Laid Blocks::code(const J& o, uint64_t seed) const {
    std::optional<CodeRows> read = codeRows(o);
    if (!read) return Laid::empty();
    CodeRows& rows = *read;
    const bool hasNotes = !o.objs("notes").empty();

    // Cells of 0.6 × size; long lines shrink the size, never below 10.5.
    const double L = static_cast<double>(std::max<size_t>(12, *std::max_element(rows.counts.begin(), rows.counts.end())));
    const double W = columnWidth();
    const double avail = hasNotes ? W - 0.3 * W : W;
    rows.size = L * kCodeSize * 0.6 <= avail - 24 ? kCodeSize : std::max((avail - 24) / (0.6 * L), kMinCodeSize);
    rows.adv = 0.6 * rows.size;
    rows.lh = 1.45 * rows.size;
    rows.cardW = std::min(L * rows.adv + 30, avail);
    const double cardH = rows.lh * static_cast<double>(rows.lines.size()) + 14.4;

    Laid laid;
    Rough rough(seed + 21, 0.7, 1.054, 2, 0.62);
    codeCard(o, rows, rough, laid.ops);
    codeLines(rows, laid.ops);
    codeHighlights(o, rows, rough, laid.ops);
    codeNotes(o, rows, seed, rough, laid.ops);
    laid.height = cardH + 14;
    return laid;
}

void Blocks::codeCard(const J& o, const CodeRows& rows, Rough& rough, std::vector<InkOpRef>& ops) const {
    const double cardH = rows.lh * static_cast<double>(rows.lines.size()) + 14.4;
    const Rect card{kMargin, 8, rows.cardW, cardH};
    Path fill;
    fill.addRoundedRect(card, 8, 8);
    ops.push_back(std::make_shared<FillOp>(std::move(fill), kCardColor, BlendMode::multiply, false));
    Path border;
    rough.rect(border, card.x, card.y, card.w, card.h, true, 1);
    appendStroke(ops, std::move(border), Pen::usual(Ink::faint, 1.3), 1, 2.5);

    // The language, like a tab standing over the card's top right corner.
    const std::string lang = o.str("lang", rows.transcript ? "python" : "");
    if (lang.empty()) return;
    auto font = Faces::font(Faces::Face::hand, 12);
    const double x = kMargin + rows.cardW - textWidth(lang, *font) - 8;
    ops.push_back(std::make_shared<TextOp>(lang, x, 4, *font, Ink::grey));
}

void Blocks::codeLines(const CodeRows& rows, std::vector<InkOpRef>& ops) const {
    auto font = Faces::font(Faces::Face::hand, rows.size);
    for (size_t j = 0; j < rows.lines.size(); ++j) {
        const std::string& line = rows.lines[j];
        if (blank(line)) continue;
        const std::vector<std::string> chars = unicode::graphemes(line);
        const bool output = rows.transcript && !prompted(chars, ">>>") && !prompted(chars, "...");
        auto op = std::make_shared<MonoOp>(line, 36, rows.baseline(j), *font, rows.adv, tint(line, output));
        // A transcript's output comes after a longer breath than the next line of code.
        op->pause = j == 0 ? 0 : output ? 0.65 : 0.26;
        ops.push_back(std::move(op));
    }
}

}  // namespace nolby
