// Random reply blocks through the block dispatcher: no crash, bounded work, every number
// finite, and a question always leaves exactly one room (every other kind none). Input
// that parses as one JSON object is laid out as the tutor's line would be; other bytes
// build a block of a kind chosen by the first byte, its keys and values taken from the
// rest, so every kind and every odd value is reached without a JSON grammar.
#include "ink/J.h"
#include "ink/Rng.h"
#include "ink/blocks/Blocks.h"

#include "FuzzSupport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

using namespace nolby;
using namespace nolby::fuzz;
using json = nlohmann::json;

namespace {

const char* const kKinds[] = {"h",     "p",      "math", "list", "quote", "note", "fig", "code",
                              "ask",   "aside",  "sketch", "pto", "link",  "mark", "H",   ""};

const char* const kKeys[] = {"text", "c",     "tex",   "box",  "items", "by",   "space", "lines", "lang",
                             "hl",   "notes", "line",  "from", "to",    "h",    "_scale", "caption", "kind",
                             "note", "r",     "k",     "x",    "y",     "w",    "t"};

const char* const kTexts[] = {"",
                              " ",
                              "x",
                              ">>> x = 1",
                              "...",
                              ">>>",
                              "1",
                              "\tdef f(x):  ",
                              "# comment 'x'",
                              "s = \"unterminated",
                              "0x1F + 2e5 - x2",
                              "print(len(range(3)))",
                              "a\nb\r\n\n  c\t",
                              "e\u0301\u03c0\u00bd\U0001F600",
                              "$x^2 + \\frac{1}{2}$ and **bold** ((ring))",
                              "a much longer line of text that will certainly need more than one line on any page",
                              "red",
                              "pink",
                              "#1a2b3c",
                              "yellow",
                              "true",
                              "-5",
                              "1e309",
                              "nan",
                              "\xff\xfe bad bytes"};

// Turns bytes into a block's keys and values. All texts share one budget of characters, so
// that one input lays out a few pages of text at most however its bytes fall (past it every
// text is empty); that is still enough for a line past the columns a code block keeps.
struct Maker {
    Bytes& b;
    size_t chars = 8192;

    json textValue() {
        const uint8_t pick = b.next();
        const std::string piece = kTexts[(pick < 232 ? pick : b.next()) % std::size(kTexts)];
        // Mostly a text as it is, else a long line built from it, for the bounds on columns.
        const size_t times = pick < 232 ? 1 : 1 + b.next() * 2;
        const size_t fit = piece.empty() ? 0 : std::min(times, chars / piece.size());
        std::string s;
        for (size_t i = 0; i < fit; ++i) s += piece;
        chars -= s.size();
        return s;
    }

    json object(int depth) {
        json o = json::object();
        const int n = b.next() % 8;
        for (int i = 0; i < n; ++i) o[kKeys[b.next() % std::size(kKeys)]] = value(depth + 1);
        return o;
    }

    json value(int depth) {
        static const double numbers[] = {0, 1, -1, 0.5, 1.5, 2.5, 5, 6, 12, 60, 100, 1000, -5000, 1e-9, 1e12, 1e300,
                                         -1e300, std::numeric_limits<double>::quiet_NaN(),
                                         std::numeric_limits<double>::infinity(), -0.0, 3, 400, 20, 90};
        const uint8_t c = b.next();
        switch (c % 8) {
            case 0:
            case 1: return numbers[b.next() % std::size(numbers)];
            case 2:
            case 3: return textValue();
            case 4: return (b.next() & 1) != 0;
            case 5:
            case 6: {
                json list = json::array();
                const int n = b.next() % 12;
                for (int i = 0; i < n; ++i) list.push_back(depth < 3 ? value(depth + 1) : textValue());
                return list;
            }
            default: return depth < 3 ? object(depth) : json(nullptr);
        }
    }

    json block() {
        json o = object(0);
        o["t"] = kKinds[b.next() % std::size(kKinds)];
        // A run of lines and of figure items, so the long forms are reached too.
        if (b.next() % 4 == 0) {
            json lines = json::array();
            const int n = b.next() * 2;  // up to 510, past the lines a code block keeps
            for (int i = 0; i < n; ++i) lines.push_back(textValue());
            o["lines"] = std::move(lines);
        }
        return o;
    }
};

const std::shared_ptr<const Image>& painting() {
    static const std::shared_ptr<const Image> image =
        Image::adopt(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 6));
    return image;
}

void check(const Laid& laid, const std::string& kind, bool draw) {
    require(std::isfinite(laid.height));
    for (const Rect& room : laid.rooms) require(finite(room) && !room.isNull());
    require(laid.rooms.size() == (kind == "ask" ? 1u : 0u));
    requireFiniteOps(laid.ops);
    if (draw) requireDrawable(laid.ops);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    loadFaces();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<J> parsed = J::parse(text);
    if (!parsed) {
        Bytes b{data, size};
        parsed = J(Maker{b}.block());
    }
    const uint64_t seed = stableHash(text);
    const std::string kind = parsed->str("t", "");
    const Blocks small{{400, 869}, Color::hex(0x1971c2)};
    check(small.lay(*parsed, seed), kind, true);
    const Blocks large{{600, 1600}, Color::hex(0x2f9e44)};
    check(large.lay(*parsed, seed + 1, painting()), kind, false);
    return 0;
}
