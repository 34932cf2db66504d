// Reading the notebook file tolerantly: every repair is noted, nothing throws.
#include "ink/J.h"
#include "model/NotebookFile.h"
#include "model/StrokeSamples.h"

#include <nlohmann/json.hpp>

#include <cfloat>
#include <cmath>

namespace nolby {

namespace {

using Json = nlohmann::json;

constexpr size_t maxBytes = size_t(256) << 20;

class Reader {
public:
    std::vector<std::string> issues;

    void note(std::string_view where, std::string_view what) {
        // A damaged file could repeat one fault a million times; the first ones tell enough.
        if (issues.size() < 100) issues.push_back(std::string(where) + ": " + std::string(what));
    }

    // The value under key, or nothing when missing or null (both mean absent).
    static const Json* find(const Json& obj, const char* key) {
        auto it = obj.find(key);
        if (it == obj.end() || it->is_null()) return nullptr;
        return &*it;
    }

    // Required fields: a missing or malformed one takes `fallback` and is noted.
    template <class T, class Conv>
    T required(const Json& obj, const char* key, T fallback, std::string_view where, Conv conv) {
        const Json* v = find(obj, key);
        if (!v) {
            note(where, std::string("missing \"") + key + "\"");
            return fallback;
        }
        std::optional<T> got = conv(*v);
        if (!got) {
            note(where, std::string("bad \"") + key + "\"");
            return fallback;
        }
        return *got;
    }

    // Optional fields: missing or null is absent; a malformed one is absent and noted.
    template <class T, class Conv>
    std::optional<T> optional(const Json& obj, const char* key, std::string_view where, Conv conv) {
        const Json* v = find(obj, key);
        if (!v) return std::nullopt;
        std::optional<T> got = conv(*v);
        if (!got) note(where, std::string("bad \"") + key + "\"");
        return got;
    }
};

std::optional<std::string> asString(const Json& v) {
    if (!v.is_string()) return std::nullopt;
    return v.get<std::string>();
}

std::optional<bool> asBool(const Json& v) {
    if (!v.is_boolean()) return std::nullopt;
    return v.get<bool>();
}

std::optional<double> asDouble(const Json& v) {
    if (!v.is_number()) return std::nullopt;
    double d = v.get<double>();
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

// Whole numbers only; a fractional or out-of-range value is not an integer.
std::optional<int64_t> asInt(const Json& v) {
    if (v.is_number_integer() && !v.is_number_unsigned()) return v.get<int64_t>();
    if (v.is_number_unsigned()) {
        uint64_t u = v.get<uint64_t>();
        if (u > uint64_t(INT64_MAX)) return std::nullopt;
        return static_cast<int64_t>(u);
    }
    if (v.is_number_float()) {
        double d = v.get<double>();
        if (!(d >= -0x1p63 && d < 0x1p63) || d != std::trunc(d)) return std::nullopt;
        return static_cast<int64_t>(d);
    }
    return std::nullopt;
}

std::optional<uint64_t> asUInt64(const Json& v) {
    if (v.is_number_unsigned()) return v.get<uint64_t>();
    if (v.is_number_integer()) {
        int64_t i = v.get<int64_t>();
        if (i < 0) return std::nullopt;
        return static_cast<uint64_t>(i);
    }
    if (v.is_number_float()) {
        double d = v.get<double>();
        if (!(d >= 0 && d < 0x1p64) || d != std::trunc(d)) return std::nullopt;
        return static_cast<uint64_t>(d);
    }
    return std::nullopt;
}

std::optional<Date> asDate(const Json& v) {
    std::optional<double> d = asDouble(v);
    if (!d) return std::nullopt;
    return dateFromReference(*d);
}

std::optional<Uuid> asUuid(const Json& v) {
    if (!v.is_string()) return std::nullopt;
    return Uuid::parse(v.get_ref<const std::string&>());
}

// [[x, y], [width, height]]
std::optional<Rect> asRect(const Json& v) {
    auto pair = [](const Json& p) -> std::optional<std::pair<double, double>> {
        if (!p.is_array() || p.size() != 2) return std::nullopt;
        std::optional<double> a = asDouble(p[0]), b = asDouble(p[1]);
        if (!a || !b) return std::nullopt;
        return std::make_pair(*a, *b);
    };
    if (!v.is_array() || v.size() != 2) return std::nullopt;
    auto origin = pair(v[0]), size = pair(v[1]);
    if (!origin || !size) return std::nullopt;
    return Rect{origin->first, origin->second, size->first, size->second};
}

// A number a float can hold; anything else becomes NaN, so its triple is dropped.
float asSample(const Json& v) {
    std::optional<double> d = asDouble(v);
    if (!d || std::fabs(*d) > double(FLT_MAX)) return std::nanf("");
    return static_cast<float>(*d);
}

std::string at(std::string_view where, const char* list, size_t i) {
    return std::string(where) + "." + list + "[" + std::to_string(i) + "]";
}

// The elements of a list field, at most `limit` of them; a non-array is noted and empty.
const Json::array_t* listOf(Reader& r, const Json& obj, const char* key, bool required, std::string_view where) {
    const Json* v = Reader::find(obj, key);
    if (!v) {
        if (required) r.note(where, std::string("missing \"") + key + "\"");
        return nullptr;
    }
    if (!v->is_array()) {
        r.note(where, std::string("bad \"") + key + "\"");
        return nullptr;
    }
    return &v->get_ref<const Json::array_t&>();
}

size_t bounded(Reader& r, const Json::array_t& list, size_t limit, std::string_view where, const char* key) {
    if (list.size() <= limit) return list.size();
    r.note(where, std::string("\"") + key + "\" cut to " + std::to_string(limit) + " entries");
    return limit;
}

// Every type's fields read from one object; `where` names it in the issues.
TextItem readText(Reader& r, const Json& o, const std::string& w) {
    TextItem t;
    t.id = r.required(o, "id", Uuid::random(), w, asUuid);
    t.x = r.required(o, "x", 0.0, w, asDouble);
    t.y = r.required(o, "y", 0.0, w, asDouble);
    t.width = r.required(o, "width", 0.0, w, asDouble);
    t.text = r.required(o, "text", std::string(), w, asString);
    t.color = r.required(o, "color", std::string(), w, asString);
    t.size = r.required(o, "size", 0.0, w, asDouble);
    t.created = r.required(o, "created", ReferenceClock::now(), w, asDate);
    t.turn = r.optional<int64_t>(o, "turn", w, asInt);
    t.spoken = r.required(o, "spoken", false, w, asBool);
    t.anchor = r.optional<Rect>(o, "anchor", w, asRect);
    t.about = r.optional<std::string>(o, "about", w, asString);
    return t;
}

StrokeItem readStroke(Reader& r, const Json& o, const std::string& w) {
    StrokeItem s;
    s.id = r.required(o, "id", Uuid::random(), w, asUuid);
    if (const Json::array_t* pts = listOf(r, o, "pts", true, w)) {
        size_t n = bounded(r, *pts, NotebookFile::maxStrokeNumbers, w, "pts");
        s.pts.reserve(n);
        for (size_t i = 0; i < n; ++i) s.pts.push_back(asSample((*pts)[i]));
        size_t before = s.pts.size();
        s.pts = finiteSamples(s.pts);
        if (s.pts.size() != before) r.note(w, "samples that a float cannot hold dropped");
    }
    s.color = r.required(o, "color", std::string(), w, asString);
    s.width = r.required(o, "width", 0.0, w, asDouble);
    s.tool = r.required(o, "tool", std::string(), w, asString);
    s.created = r.required(o, "created", ReferenceClock::now(), w, asDate);
    s.turn = r.optional<int64_t>(o, "turn", w, asInt);
    return s;
}

BlockItem readBlock(Reader& r, const Json& o, const std::string& w) {
    BlockItem b;
    b.id = r.required(o, "id", Uuid::random(), w, asUuid);
    b.json = r.required(o, "json", std::string(), w, asString);
    b.dx = r.required(o, "dx", 0.0, w, asDouble);
    b.y = r.required(o, "y", 0.0, w, asDouble);
    b.h = r.optional<double>(o, "h", w, asDouble);
    b.seed = r.required(o, "seed", uint64_t(0), w, asUInt64);
    b.turn = r.optional<int64_t>(o, "turn", w, asInt);
    b.created = r.required(o, "created", ReferenceClock::now(), w, asDate);
    b.image = r.optional<std::string>(o, "image", w, asString);
    b.box = r.optional<Rect>(o, "box", w, asRect);
    return b;
}

// {"text":{"_0":{...}}}: exactly one case key; anything else drops the item.
std::optional<PageItem> readItem(Reader& r, const Json& o, const std::string& w) {
    if (!o.is_object()) {
        r.note(w, "not an object");
        return std::nullopt;
    }
    static constexpr const char* caseKeys[] = {"text", "stroke", "block"};
    int found = -1, count = 0;
    for (int k = 0; k < 3; ++k) {
        if (o.contains(caseKeys[k])) { found = k; ++count; }
    }
    if (count != 1) {
        r.note(w, "Invalid number of keys found, expected one.");
        return std::nullopt;
    }
    const Json& wrap = o.at(caseKeys[found]);
    const Json* body = wrap.is_object() ? Reader::find(wrap, "_0") : nullptr;
    if (!body || !body->is_object()) {
        r.note(w, "no item object under \"_0\"");
        return std::nullopt;
    }
    if (found == 0) return PageItem(readText(r, *body, w));
    if (found == 1) return PageItem(readStroke(r, *body, w));
    return PageItem(readBlock(r, *body, w));
}

Page readPage(Reader& r, const Json& o, const std::string& w) {
    Page p;
    if (!o.is_object()) {
        r.note(w, "not an object; an empty page stands in");
        return p;
    }
    p.id = r.required(o, "id", Uuid::random(), w, asUuid);
    if (const Json::array_t* items = listOf(r, o, "items", true, w)) {
        size_t n = bounded(r, *items, NotebookFile::maxItemsPerPage, w, "items");
        for (size_t i = 0; i < n; ++i) {
            if (auto item = readItem(r, (*items)[i], at(w, "items", i))) p.items.push_back(std::move(*item));
        }
    }
    p.carry = r.optional<bool>(o, "carry", w, asBool);
    return p;
}

std::optional<Turn> readTurn(Reader& r, const Json& o, const std::string& w) {
    if (!o.is_object()) {
        r.note(w, "not an object");
        return std::nullopt;
    }
    Turn t;
    t.at = r.required(o, "at", ReferenceClock::now(), w, asDate);
    t.read = r.required(o, "read", std::string(), w, asString);
    t.kind = r.required(o, "kind", std::string(), w, asString);
    t.reply = r.required(o, "reply", std::string(), w, asString);
    t.page = r.required(o, "page", int64_t(0), w, asInt);
    return t;
}

void readPages(Reader& r, const Json& o, Notebook& n) {
    n.pages.clear();
    if (const Json::array_t* pages = listOf(r, o, "pages", true, "notebook")) {
        size_t count = bounded(r, *pages, NotebookFile::maxPages, "notebook", "pages");
        for (size_t i = 0; i < count; ++i) n.pages.push_back(readPage(r, (*pages)[i], at("notebook", "pages", i)));
    }
    // Every notebook has at least one page to show and to write on.
    if (n.pages.empty()) {
        r.note("notebook", "no pages; an empty page stands in");
        n.pages.push_back(Page{});
    }
}

void readTurnsAndReview(Reader& r, const Json& o, Notebook& n) {
    if (const Json::array_t* turns = listOf(r, o, "turns", true, "notebook")) {
        size_t count = bounded(r, *turns, NotebookFile::maxTurns, "notebook", "turns");
        for (size_t i = 0; i < count; ++i) {
            if (auto t = readTurn(r, (*turns)[i], at("notebook", "turns", i))) n.turns.push_back(std::move(*t));
        }
    }
    if (const Json::array_t* review = listOf(r, o, "review", false, "notebook")) {
        size_t count = bounded(r, *review, NotebookFile::maxReview, "notebook", "review");
        n.review.emplace();
        for (size_t i = 0; i < count; ++i) {
            if (auto s = asString((*review)[i])) n.review->push_back(std::move(*s));
            else r.note(at("notebook", "review", i), "not a string");
        }
    }
}

// Page sizes divide layouts: a size that is not positive takes the new-notebook size.
double pageSize(Reader& r, const Json& o, const char* key, double fallback) {
    double v = r.required(o, key, fallback, "notebook", asDouble);
    if (v > 0) return v;
    r.note("notebook", std::string("\"") + key + "\" not positive");
    return fallback;
}

Notebook readNotebook(Reader& r, const Json& o, Uuid id) {
    const char* w = "notebook";
    Notebook n;
    n.id = id;
    n.title = r.required(o, "title", std::string(), w, asString);
    n.color = r.required(o, "color", std::string("blue"), w, asString);
    n.created = r.required(o, "created", n.created, w, asDate);
    n.updated = r.required(o, "updated", n.updated, w, asDate);
    n.pageW = pageSize(r, o, "pageW", 400);
    n.pageH = pageSize(r, o, "pageH", 869);
    readPages(r, o, n);
    n.plan = r.optional<std::string>(o, "plan", w, asString);
    n.step = r.required(o, "step", int64_t(1), w, asInt);
    n.mode = r.required(o, "mode", std::string("lesson"), w, asString);
    n.learner = r.required(o, "learner", std::string(), w, asString);
    n.pace = r.required(o, "pace", int64_t(3), w, asInt);
    readTurnsAndReview(r, o, n);
    n.lastPage = r.required(o, "lastPage", int64_t(0), w, asInt);
    // A reopened notebook starts on this page, so it must name one.
    int64_t last = static_cast<int64_t>(n.pages.size()) - 1;
    if (n.lastPage < 0 || n.lastPage > last) {
        r.note(w, "\"lastPage\" outside the pages");
        n.lastPage = std::clamp<int64_t>(n.lastPage, 0, last);
    }
    n.issue = r.optional<int64_t>(o, "issue", w, asInt);
    n.next = r.optional<std::string>(o, "next", w, asString);
    n.verdict = r.optional<std::string>(o, "verdict", w, asString);
    n.misses = r.optional<int64_t>(o, "misses", w, asInt);
    n.parent = r.optional<Uuid>(o, "parent", w, asUuid);
    n.from = r.optional<std::string>(o, "from", w, asString);
    n.passage = r.optional<std::string>(o, "passage", w, asString);
    return n;
}

}  // namespace

NotebookFile::Decoded NotebookFile::decode(std::string_view bytes) {
    Decoded out;
    if (bytes.size() > maxBytes) {
        out.issues.push_back("file too large");
        return out;
    }
    if (J::nestingDepth(bytes) > maxDepth) {
        out.issues.push_back("nested too deep");
        return out;
    }
    Json root = Json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        out.issues.push_back("not a JSON object");
        return out;
    }
    Reader r;
    const Json* idValue = Reader::find(root, "id");
    std::optional<Uuid> id = idValue ? asUuid(*idValue) : std::nullopt;
    if (!id) {
        out.issues.push_back("notebook: missing or bad \"id\"");
        return out;
    }
    out.notebook = readNotebook(r, root, *id);
    out.issues = std::move(r.issues);
    return out;
}

}  // namespace nolby
