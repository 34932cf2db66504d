// Note text, note height, caret and answer rooms: pure measures of typed notes and of the
// answer rooms of questions, shared by the ink cache, the views and the tutor.
#include "model/NotebookModel.h"

#include "ink/Hand.h"
#include "ink/J.h"
#include "ink/Rng.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <mutex>

namespace nolby {

namespace {

// The characters of the inline markup, which must not reach the quote of a margin note.
constexpr std::string_view kMarkup = "{}*_~()$`:";

// The word a margin note is about, without markup, shortened to four words and an ellipsis
// when it has six or more.
std::string quotedWord(const std::string& about) {
    std::string clean;
    for (char c : about)
        if (kMarkup.find(c) == std::string_view::npos) clean.push_back(c);
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= clean.size()) {
        size_t end = clean.find(' ', start);
        if (end == std::string::npos) end = clean.size();
        if (end > start) pieces.push_back(clean.substr(start, end - start));
        start = end + 1;
    }
    if (pieces.size() < 6) return clean;
    return pieces[0] + " " + pieces[1] + " " + pieces[2] + " " + pieces[3] + "\u2026";
}

bool endsWith(std::string_view s, char c) { return !s.empty() && s.back() == c; }

}  // namespace

std::string NotebookModel::trimmed(std::string_view text) {
    std::u32string u = unicode::toUtf32(text);
    size_t b = 0, e = u.size();
    while (b < e && unicode::isWhitespace(u[b])) ++b;
    while (e > b && unicode::isWhitespace(u[e - 1])) --e;
    return unicode::toUtf8(std::u32string_view(u).substr(b, e - b));
}

std::string NotebookModel::noteText(std::string_view text, const std::optional<std::string>& about) {
    if (!about) return std::string(text);
    std::string word = quotedWord(*about);
    std::string prefix = word.empty() ? "{grey:\u2191} " : "{grey:\u201c" + word + "\u201d \u2192} ";
    return prefix + std::string(text);
}

Hand NotebookModel::noteHand(uint64_t seed) {
    Hand hand(seed);
    hand.breakRuns = true;
    return hand;
}

double NotebookModel::firstBaseline() {
    // Kept once a real line gave it; the fallback is not kept, so a call made before the
    // handwriting fonts were registered does not fix a stand-in value for the whole run.
    static std::mutex lock;
    static std::optional<double> kept;
    std::lock_guard<std::mutex> guard(lock);
    if (kept) return *kept;
    Hand hand(1);
    Hand::Result r = hand.write("x", 0, 0, 100, noteSize, Ink::ink, Faces::Face::hand, std::nullopt,
                                Hand::Align::left, true, std::nullopt, 0, 0, 1);
    if (r.lines.empty()) return 13.6;
    kept = r.lines.front().y;
    return *kept;
}

Rect NotebookModel::editingBox(const Editing& e) {
    return {e.x - 6, e.y - 8, e.width + 12, editingHeight(e) + 16};
}

double NotebookModel::editingHeight(const Editing& e) {
    // An empty note still measures one line. Only the line count matters, and it runs on
    // every keystroke: the text is broken into lines as the note is written, without ink.
    const std::string s = e.text.empty() ? std::string("x") : e.text;
    Hand hand = noteHand(1);
    const size_t count = hand.lineCount(noteText(s, e.about), e.width, noteSize, Faces::Face::hand, false);
    return static_cast<double>(std::max<size_t>(count, 1)) * noteSize * 1.42;
}

Rect NotebookModel::caret(const Editing& e) {
    const std::string d = noteText(e.text, e.about);
    // The layout the ink cache gives the stored note, so the caret sits after its ink.
    Hand hand = noteHand(stableHash(e.id.string()));
    Hand::Result r = hand.write(d, e.x, e.y, e.width, noteSize, Ink::ink, Faces::Face::hand, std::nullopt,
                                Hand::Align::left, true, std::nullopt, 0, 0, 0.5);
    double baseline = e.y + firstBaseline();
    double end = e.x;
    if (!r.lines.empty() && !trimmed(d).empty()) {
        baseline = r.lines.back().y;
        end = r.lines.back().right;
    }
    double x;
    if (endsWith(d, '\n')) {
        baseline += noteLineHeight;
        x = e.x + 1.5;
    } else if (endsWith(d, ' ')) {
        x = end + 5.1 + 1.5;
    } else {
        x = end + 1.5;
    }
    return {x, baseline - 13.6, 0, 17.34};
}

std::optional<Rect> NotebookModel::room(const BlockItem& block, const Geo& geo) {
    const J object = J::parse(block.json).value_or(J());
    if (object.str("t", "") != "ask" || !block.h) return std::nullopt;
    const double space = std::clamp(object.num("space", 12), 6.0, 60.0);
    const double column = geo.pageW - 2 * Blocks::kMargin;
    const double height = std::max(column / 100 * space, 28.9);
    return Rect{27, block.y + *block.h - height, column - 6, height};
}

}  // namespace nolby
