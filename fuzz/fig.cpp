// Random figure item lists through the figure interpreter: no crash, bounded work, and
// every operation finite. Input that is JSON is read as the figure block reads its items;
// other bytes are turned into an item list, byte by byte, so every kind and every odd
// number (huge, tiny, negative, not finite) is reached without a JSON grammar.
#include "ink/J.h"
#include "ink/fig/Fig.h"

#include "FuzzSupport.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

using namespace nolby;
using namespace nolby::fuzz;
using json = nlohmann::json;

namespace {

json value(Bytes& b, int depth = 0);

// Keys the kinds read; also the keys of nested objects (tree nodes, flow steps).
const char* const kKeys[] = {
    "x", "y", "w", "h", "r", "rx", "ry", "s", "x1", "y1", "x2", "y2", "pts", "to", "fill", "text", "tc", "size",
    "align", "face", "arrow", "dash", "smooth", "lw", "d", "name", "c", "ruled", "id", "f", "x0", "y0", "box",
    "xl", "yl", "rows", "cols", "gap", "group", "fc", "gc", "parts", "n", "cs", "rh", "head", "colc", "hl", "hc",
    "hcol", "vals", "max", "labels", "show", "root", "kids", "steps", "edges", "dir", "shape", "elbow", "edge",
    "from", "step", "marks", "points", "ranges", "brace", "label", "caption"};

json value(Bytes& b, int depth) {
    static const double numbers[] = {0, 1, -1, 0.5, 2.5, 8, 20, 50, 99, 100, 1000, 5000, -5000, 1e-9, 1e12, 1e300,
                                     -1e300, std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::infinity(), 0.4, 3, 10, 140, -0.0};
    static const char* texts[] = {"", " ", "none", "red", "#ff0000", "Gray", "x**y**", "$x^2$", "((ring))",
                                  "a much longer label that will not fit anywhere at all", "<>", ">", "<", "print",
                                  "pencil", "c", "r", "M0 0 C 10 10 20 0 30 5 Z", "M0 0 A 5 5 0 1 1 1 0 Z", "heart",
                                  "spark", "rocket", "sun", "true", "12", "x^2 - 1", "sin(x)", "1/x", "row",
                                  "col", "cycle", "circle", "left"};
    const uint8_t c = b.next();
    switch (c % 8) {
        case 0:
        case 1: return numbers[b.next() % std::size(numbers)];
        case 2: return texts[b.next() % std::size(texts)];
        case 3: return (b.next() & 1) != 0;
        case 4: {
            json pts = json::array();
            const int n = b.next() % 8;
            for (int i = 0; i < n; ++i) pts.push_back(json::array({value(b, depth + 1), value(b, depth + 1)}));
            return pts;
        }
        case 5: {  // a list of anything (values, rows, nodes), a few levels deep at most
            json list = json::array();
            const int n = depth < 4 ? b.next() % 12 : 0;
            for (int i = 0; i < n; ++i) list.push_back(value(b, depth + 1));
            return list;
        }
        case 6: {  // an object: a tree node, a flow step, a slice
            json o = json::object();
            const int n = depth < 4 ? b.next() % 5 : 0;
            for (int i = 0; i < n; ++i) o[kKeys[b.next() % std::size(kKeys)]] = value(b, depth + 1);
            return o;
        }
        default: return nullptr;
    }
}

json itemsFromBytes(Bytes& b) {
    static const char* kinds[] = {"line",  "arrow", "rect",   "box",        "circle", "ellipse", "poly",
                                  "polygon", "path", "dot", "doodle",     "text",   "label",   "axes",
                                  "plot",  "brace", "dots",   "cells",      "numberline", "pie", "table",
                                  "bars",  "tree",  "flow",   "unknown"};
    json items = json::array();
    while (!b.done() && items.size() < 64) {
        json item = json::object();
        item["k"] = kinds[b.next() % std::size(kinds)];
        const int n = b.next() % 10;
        for (int i = 0; i < n; ++i) item[kKeys[b.next() % std::size(kKeys)]] = value(b);
        items.push_back(std::move(item));
    }
    return items;
}

void check(const Fig& fig) { requireFiniteOps(fig.ops); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    loadFaces();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // As the figure block reads it: one reply line whose "items" holds the list.
    json items;
    if (auto j = J::parse("{\"items\":" + std::string(text) + "}"); j && j->arr("items")) {
        items = *j->arr("items");
    } else {
        Bytes b{data, size};
        items = itemsFromBytes(b);
    }
    const uint64_t seed = stableHash(text);
    // A figure block's frame, and a cover doodle's small one.
    Fig block(seed, 24, 4, 3.52, 40, 12.5, 1.55);
    block.draw(items);
    check(block);
    Fig cover(seed + 1, 0, 0, 0.6, 100, 10.5, 1.2);
    cover.draw(items);
    check(cover);
    return 0;
}
