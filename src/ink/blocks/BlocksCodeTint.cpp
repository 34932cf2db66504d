// The small syntax colourer of code blocks: prompts and comments grey, strings green,
// numbers orange, keywords violet, a transcript's output lines blue. It knows no grammar,
// only enough to make a short snippet readable at a glance.
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <string>

namespace nolby {

namespace {

Color named(const char* name) { return Ink::color(std::string(name), Ink::ink); }

// What the colourer asks of a character: the properties of its first code point.
char32_t firstScalar(const std::string& ch) {
    const std::u32string s = unicode::toUtf32(ch);
    return s.empty() ? U'\0' : s[0];
}
bool letter(const std::string& ch) { return unicode::isLetter(firstScalar(ch)); }
bool numeric(const std::string& ch) { return unicode::isNumber(firstScalar(ch)); }

void paint(std::vector<Color>& colors, size_t from, size_t to, Color color) {
    for (size_t k = from; k < to; ++k) colors[k] = color;
}

}  // namespace

const std::vector<std::string>& Blocks::pyWords() {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> w{"def",    "return", "if",     "elif",   "else",   "for",      "while", "in",
                                   "not",    "and",    "or",     "import", "from",   "class",    "lambda", "None",
                                   "True",   "False",  "print",  "len",    "range",  "with",     "as",    "yield",
                                   "try",    "except", "is",     "pass",   "break",  "continue", "let",   "var",
                                   "func",   "const",  "function"};
        std::sort(w.begin(), w.end());
        return w;
    }();
    return words;
}

bool Blocks::isPyWord(std::string_view word) {
    const auto& words = pyWords();
    return std::binary_search(words.begin(), words.end(), word);
}

bool Blocks::prompted(const std::vector<std::string>& chars, std::string_view prompt) {
    if (chars.size() < 3 || prompt.size() != 3) return false;
    for (size_t k = 0; k < 3; ++k)
        if (chars[k] != prompt.substr(k, 1)) return false;
    return true;
}

std::vector<Color> Blocks::tint(const std::string& line, bool output) {
    const std::vector<std::string> chars = unicode::graphemes(line);
    const size_t n = chars.size();
    std::vector<Color> colors(n, output ? named("blue") : Ink::ink);
    if (output) return colors;

    size_t i = 0;
    if (prompted(chars, ">>>") || prompted(chars, "...")) {
        paint(colors, 0, 3, Ink::grey);
        i = 3;
    }
    const Color green = named("green"), orange = named("orange"), violet = named("violet");
    while (i < n) {
        const std::string& c = chars[i];
        if (c == "#") {
            paint(colors, i, n, Ink::grey);
            break;
        }
        if (c == "\"" || c == "'") {
            // To the matching quote, or to the end of an unterminated string.
            size_t close = i + 1;
            while (close < n && chars[close] != c) ++close;
            const size_t end = std::min(close, n - 1) + 1;
            paint(colors, i, end, green);
            i = end;
            continue;
        }
        const bool afterWord = i > 0 && (letter(chars[i - 1]) || numeric(chars[i - 1]) || chars[i - 1] == "_");
        if (numeric(c) && !afterWord) {
            size_t j = i;
            while (j < n && (numeric(chars[j]) || chars[j] == "." || chars[j] == "_" || chars[j] == "e")) ++j;
            paint(colors, i, j, orange);
            i = j;
            continue;
        }
        if (letter(c) || c == "_") {
            size_t j = i;
            std::string word;
            while (j < n && (letter(chars[j]) || numeric(chars[j]) || chars[j] == "_")) word += chars[j++];
            if (isPyWord(word)) paint(colors, i, j, violet);
            i = j;
            continue;
        }
        ++i;
    }
    return colors;
}

}  // namespace nolby
