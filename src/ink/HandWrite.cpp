// The handwriting layout: marked-up text to lines of words, formulas and code, each
// placed with a slight slope and baseline jitter and given the pause a writer takes.
#include "ink/Hand.h"

#include "ink/Ink.h"
#include "ink/ops/MonoOp.h"
#include "ink/ops/PhraseOp.h"
#include "platform/TextLine.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <map>

namespace nolby {

namespace {

// Arrows, ellipsis, dashes and hyphen: short runs of these may hang past the column.
bool isDashOrArrow(std::u32string_view c) {
    static const std::u32string set = U"\u2192\u2190\u2191\u2193\u2197\u2198\u2026\u2014\u2013-";
    return c.size() == 1 && set.find(c[0]) != std::u32string::npos;
}

bool hasLetterOrNumber(const std::string& text) {
    for (char32_t c : unicode::toUtf32(text))
        if (unicode::isLetter(c) || unicode::isNumber(c)) return true;
    return false;
}

// Whether a token that does not fit may stay on its line, past the column.
bool staysOnLine(const Hand::Tok& t) {
    if (t.math) return false;
    bool shortRun = false;
    auto chars = unicode::graphemes(t.text);
    if (chars.size() < 3) {
        shortRun = std::all_of(chars.begin(), chars.end(),
                               [](const std::string& g) { return isDashOrArrow(unicode::toUtf32(g)); });
    }
    if (!t.spaceBefore || shortRun) return !hasLetterOrNumber(t.text);
    return false;
}

std::u32string lastCharacter(const std::string& text) {
    auto chars = unicode::graphemes(text);
    return chars.empty() ? std::u32string() : unicode::toUtf32(chars.back());
}

// The pause before a token, from the last character of the token written before it.
double pauseAfter(const std::optional<std::string>& previous, size_t k) {
    if (!previous) return 0;
    std::u32string c = lastCharacter(*previous);
    if (c == U"," || c == U";" || c == U":" || c == U"\u2014") return 0.18;
    if (c == U"." || c == U"!" || c == U"?") return 0.32;
    return k == 0 ? 0.12 : 0.06;
}

bool endsPhrase(const std::string& word) {
    std::u32string c = lastCharacter(word);
    return c == U"," || c == U";" || c == U":" || c == U"\u2014" || c == U"." || c == U"!" || c == U"?";
}

}  // namespace

Hand::Hand(uint64_t s)
    : rnd(s), rough(s * 7 + 3, 0.9, 1.054, 2, 0.62), math(s * 13 + 5), seed(s) {}

Hand::Result Hand::write(const std::string& text, double x, double top, double width, double size, Color color,
                         Faces::Face face, std::optional<double> lineHeight, Align align, bool marks,
                         std::optional<Color> halo, double indent, int indentLines, double wobble) {
    const double s = size;
    const double lh = lineHeight ? *lineHeight : s * 1.42;
    auto font = Faces::font(face, s);
    auto codeFont = Faces::font(Faces::Face::hand, s * 0.92);
    const double spaceW = textWidth(" ", *font) * 1.05;
    std::vector<std::vector<Tok>> lines = lay(text, width, s, *font, marks, indent, indentLines, spaceW, color);

    Result result;
    double lineTop = top;
    std::optional<std::string> previous;  // the text of the last token written
    for (size_t L = 0; L < lines.size(); ++L) {
        const std::vector<Tok>& T = lines[L];
        double maxA = 0, maxD = 0;
        for (const Tok& t : T)
            if (t.math) {
                maxA = std::max(maxA, t.a);
                maxD = std::max(maxD, t.d);
            }
        const double above = std::max(0.0, maxA - s * 0.95), below = std::max(0.0, maxD - s * 0.35);

        double tw = 0;
        for (size_t k = 0; k < T.size(); ++k) tw += k == 0 ? T[k].w : T[k].w + (T[k].spaceBefore ? spaceW : 0);
        result.width = std::max(result.width, tw);
        double start = align == Align::left ? x : align == Align::center ? x + (width - tw) * 0.5 : (x + width) - tw;
        const double left0 = static_cast<int>(L) < indentLines ? start + indent : start;
        const double baseline = (lineTop + above) + s;
        const double slope = wobble * ((rnd.unit() - 0.5) * 0.008);

        double cursor = left0;
        std::vector<PhraseOp::Run> phrase;
        double phrasePause = 0;
        auto writePhrase = [&] {
            if (phrase.empty()) return;
            auto op = std::make_shared<PhraseOp>(std::move(phrase), s, halo);
            op->pause = phrasePause;
            result.ops.push_back(op);
            phrase.clear();
        };
        std::vector<Placed> placed;
        for (size_t k = 0; k < T.size(); ++k) {
            const Tok& t = T[k];
            const Color c = t.color.value_or(color);
            const double from = k > 0 && t.spaceBefore ? cursor + spaceW : cursor;
            const double p = pauseAfter(previous, k);
            const double dy = wobble * ((from - left0) * slope + ((rnd.unit() - 0.5) * s) * 0.07);
            const double y = baseline + dy;
            if (t.math || t.code) {
                writePhrase();
                size_t first = result.ops.size();
                if (t.math) {
                    std::vector<MathInk::Note> dropped;
                    math.draw(t.text, s * 0.96, c, false, from, y, result.ops, dropped);
                } else {
                    Color ink = t.color.value_or(Ink::color(std::string("violet"), Ink::ink));
                    result.ops.push_back(std::make_shared<MonoOp>(t.text, from + s * 0.15, y, *codeFont, s * 0.56,
                                                                  std::vector<Color>{ink}));
                }
                if (result.ops.size() > first) result.ops[first]->pause = p;
            } else {
                if (phrase.empty()) phrasePause = p;
                phrase.push_back({GlyphRun(t.text, *font, 0), from + t.lead, y, c});
                if (endsPhrase(t.text)) writePhrase();
            }
            placed.push_back({&t, from + t.lead, (from + t.w) - t.trail, y});
            cursor = from + t.w;
            previous = t.text;
        }
        writePhrase();
        // A size of 0 or below (or not a number) has no room for decorations: a wavy
        // line would never advance along it.
        if (marks && s > 0) decorate(placed, s, color, *font, result.ops);
        result.lines.push_back({baseline, left0, cursor});
        lineTop = baseline + s * 0.42 + below + (lh - s * 1.42);
    }
    result.height = lineTop - top;
    return result;
}

std::vector<std::vector<Hand::Tok>> Hand::lay(const std::string& text, double width, double size, const Font& font,
                                             bool marks, double indent, int indentLines, double spaceW, Color color) {
    std::vector<Tok> toks = tokens(spans(prepare(text)));
    measure(toks, font, size, color);
    if (breakRuns) toks = brokenRuns(toks, indentLines > 0 ? width - std::max(indent, 0.0) : width, font);
    if (marks) makeRoomForRings(toks, size);
    return fillLines(toks, width, indent, indentLines, spaceW);
}

size_t Hand::lineCount(const std::string& text, double width, double size, Faces::Face face, bool marks, double indent,
                       int indentLines) {
    auto font = Faces::font(face, size);
    return lay(text, width, size, *font, marks, indent, indentLines, textWidth(" ", *font) * 1.05, Ink::ink).size();
}

void Hand::measure(std::vector<Tok>& toks, const Font& font, double s, Color color) {
    for (Tok& t : toks) {
        if (t.newline) continue;
        if (t.math) {
            MathInk::Extent e = math.measure(t.text, s * 0.96, false, t.color.value_or(color));
            t.w = e.w;
            t.a = e.a;
            t.d = e.d;
            continue;
        }
        t.w = t.code ? s * 0.3 + (s * static_cast<double>(unicode::graphemeCount(t.text))) * 0.56 : textWidth(t.text, font);
        t.a = s * 0.75;
        t.d = s * 0.25;
    }
}

std::vector<Hand::Tok> Hand::brokenRuns(const std::vector<Tok>& toks, double width, const Font& font) {
    std::vector<Tok> out;
    out.reserve(toks.size());
    std::map<std::string, double> advances;  // a long run repeats few characters
    const auto advance = [&](const std::string& g) {
        auto [at, fresh] = advances.try_emplace(g, 0.0);
        if (fresh) at->second = textWidth(g, font);
        return at->second;
    };
    for (const Tok& t : toks) {
        if (t.newline || t.math || t.code || !(t.w > width) || !(width > 0)) {
            out.push_back(t);
            continue;
        }
        // Pieces as wide as fit: filled by the characters' advances, then measured whole and
        // given back characters while kerning makes them wider. Each keeps at least one
        // character, so a column narrower than a character still moves on.
        std::vector<std::string> piece;
        double run = 0;
        bool first = true;
        const auto cut = [&] {
            std::vector<std::string> back;
            std::string text;
            double w = 0;
            for (;;) {
                text.clear();
                for (const std::string& g : piece) text += g;
                w = textWidth(text, font);
                if (!(w > width) || piece.size() < 2) break;
                back.insert(back.begin(), piece.back());
                piece.pop_back();
            }
            Tok p = t;
            p.text = std::move(text);
            p.w = w;
            p.spaceBefore = first && t.spaceBefore;
            p.piece = !first;
            out.push_back(std::move(p));
            first = false;
            piece = std::move(back);
            run = 0;
            for (const std::string& g : piece) run += advance(g);
        };
        for (const std::string& g : unicode::graphemes(t.text)) {
            const double a = advance(g);
            if (!piece.empty() && run + a > width) cut();
            piece.push_back(g);
            run += a;
        }
        while (!piece.empty()) cut();
    }
    return out;
}

void Hand::makeRoomForRings(std::vector<Tok>& toks, double s) {
    auto ringed = [&](size_t i) { return toks[i].ring && !toks[i].newline; };
    for (size_t i = 0; i < toks.size(); ++i) {
        if (!ringed(i)) continue;
        if (!(i > 0 && ringed(i - 1))) {
            toks[i].lead = s * 0.46;
            toks[i].w += toks[i].lead;
        }
        if (!(i + 1 < toks.size() && ringed(i + 1))) {
            toks[i].trail = s * 0.46;
            toks[i].w += toks[i].trail;
        }
    }
}

std::vector<std::vector<Hand::Tok>> Hand::fillLines(const std::vector<Tok>& toks, double width, double indent,
                                                    int indentLines, double spaceW) {
    std::vector<std::vector<Tok>> lines;
    std::vector<Tok> cur;
    double X = 0;
    for (const Tok& t : toks) {
        if (t.newline) {
            lines.push_back(std::move(cur));
            cur.clear();
            X = 0;
            continue;
        }
        double adv = t.w + (!cur.empty() && t.spaceBefore ? spaceW : 0);
        double available = static_cast<int>(lines.size()) < indentLines ? width - indent : width;
        if (!cur.empty() && X + adv > available && (t.piece || !staysOnLine(t))) {
            lines.push_back(std::move(cur));
            cur = {t};
            X = t.w;
            continue;
        }
        cur.push_back(t);
        X += adv;
    }
    if (!cur.empty() || lines.empty()) lines.push_back(std::move(cur));
    return lines;
}

std::string trimmingTrailing(std::string_view text, std::string_view chars) {
    std::vector<size_t> bounds = unicode::graphemeBounds(text);
    std::vector<std::string> set = unicode::graphemes(chars);
    size_t end = bounds.size() - 1;
    while (end > 0) {
        std::string_view last = text.substr(bounds[end - 1], bounds[end] - bounds[end - 1]);
        if (std::find(set.begin(), set.end(), last) == set.end()) break;
        --end;
    }
    return std::string(text.substr(0, bounds[end]));
}

}  // namespace nolby
