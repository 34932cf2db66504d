// Reading the notebook file tolerantly, in one pass over the text: every repair is noted,
// nothing throws, and no document tree is built, so memory follows what is kept.
#include "notebook/JsonCursor.h"
#include "notebook/NotebookFile.h"
#include "platform/DataFolder.h"
#include "platform/NumberText.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <new>
#include <stdexcept>

namespace nolby {

namespace {

using Type = JsonCursor::Type;

// Where a value sits, as "notebook.pages[2].items[5]"; made into text only for a note.
struct Where {
    const Where* parent = nullptr;
    const char* name = "notebook";
    size_t index = 0;

    std::string text() const {
        if (!parent) return name;
        return parent->text() + "." + name + "[" + std::to_string(index) + "]";
    }
};

class Reader {
public:
    static constexpr size_t kMaxIssues = 100;

    Reader(std::string_view bytes)
        : c(bytes, NotebookFile::maxDepth), budget_(NotebookFile::memoryFactor * bytes.size() + NotebookFile::memorySlack) {}

    JsonCursor c;
    std::vector<std::string> issues;
    // The field being read, for the notes of the value readers.
    const Where* where = nullptr;
    const char* key = "";
    // Reused for text that is only looked at (ids), so reading one allocates nothing.
    std::string scratch;

    void note(const Where& w, std::string_view what) {
        // A damaged file could repeat one fault a million times; the first ones tell enough.
        if (issues.size() < kMaxIssues) issues.push_back(w.text() + ": " + std::string(what));
        else if (issues.size() == kMaxIssues) issues.push_back("notebook: more repairs than are listed here");
    }
    void noteField(std::string_view what) { note(*where, "\"" + std::string(key) + "\" " + std::string(what)); }

    // Memory taken by what is kept; once the budget is spent, lists stop growing.
    void charge(size_t bytes) {
        if (bytes <= budget_) {
            budget_ -= bytes;
            return;
        }
        budget_ = 0;
        if (!overBudget_) {
            overBudget_ = true;
            // Listed even past the limit on notes: it says that content was left out.
            issues.push_back("notebook: holds more than a file of its size can; the rest of its lists is left out");
        }
    }
    template <class T>
    bool append(std::vector<T>& list, T&& element) {
        if (overBudget_) return false;
        charge(sizeof(T));
        if (overBudget_) return false;
        list.push_back(std::move(element));
        return true;
    }
    void chargeText(const std::string& s) {
        if (s.capacity() > std::string().capacity()) charge(s.capacity() + 1);
    }

private:
    size_t budget_;
    bool overBudget_ = false;
};

// How reading one value went: read, absent (null), present but not of its form, or
// present and malformed in a way already noted.
enum class Got { value, absent, bad, noted };

// Null is absent; a value of another type is skipped as bad.
Got other(Reader& r, Type t) {
    if (t == Type::null) {
        r.c.null();
        return Got::absent;
    }
    r.c.skip();
    return Got::bad;
}

// ---- Numbers: each type parses the literal text itself, so a float reads as a float and
// a number beyond a type's range is that field's damage only.

bool integralText(std::string_view t) {
    size_t i = (!t.empty() && t[0] == '-') ? 1 : 0;
    if (i == t.size()) return false;
    for (; i < t.size(); ++i)
        if (t[i] < '0' || t[i] > '9') return false;
    return true;
}

std::optional<int64_t> intOf(std::string_view t) {
    if (integralText(t)) {
        int64_t v = 0;
        auto res = std::from_chars(t.data(), t.data() + t.size(), v);
        if (res.ec != std::errc() || res.ptr != t.data() + t.size()) return std::nullopt;  // out of range
        return v;
    }
    // "2.0" and "2e0" are whole numbers too; "2.5" and "1e19" are not Ints.
    std::optional<double> d = NumberText::parseDouble(t);
    if (!d || !(*d >= -0x1p63 && *d < 0x1p63) || *d != std::trunc(*d)) return std::nullopt;
    return static_cast<int64_t>(*d);
}

std::optional<uint64_t> uint64Of(std::string_view t) {
    if (!t.empty() && t[0] != '-' && integralText(t)) {
        uint64_t v = 0;
        auto res = std::from_chars(t.data(), t.data() + t.size(), v);
        if (res.ec != std::errc() || res.ptr != t.data() + t.size()) return std::nullopt;
        return v;
    }
    std::optional<double> d = NumberText::parseDouble(t);
    if (!d || !(*d >= 0 && *d < 0x1p64) || *d != std::trunc(*d)) return std::nullopt;
    return static_cast<uint64_t>(*d);
}

// A number too large for its field, or not whole where the field wants an integer, is
// noted with its text (shortened: it may be hundreds of digits).
template <class T, class Parse>
Got number(Reader& r, T& out, Parse parse) {
    Type t = r.c.peek();
    if (t != Type::number) return other(r, t);
    std::string_view text = r.c.number();
    auto v = parse(text);
    if (!v) {
        std::string shown = text.size() > 24 ? std::string(text.substr(0, 20)) + "..." : std::string(text);
        r.noteField("cannot hold " + shown);
        return Got::noted;
    }
    out = *v;
    return Got::value;
}

Got read(Reader& r, double& out) { return number(r, out, NumberText::parseDouble); }
Got read(Reader& r, int64_t& out) { return number(r, out, intOf); }
Got read(Reader& r, uint64_t& out) { return number(r, out, uint64Of); }

Got read(Reader& r, Date& out) {
    double seconds = 0;
    Got got = read(r, seconds);
    if (got == Got::value) out = dateFromReference(seconds);
    return got;
}

Got read(Reader& r, bool& out) {
    Type t = r.c.peek();
    if (t != Type::boolean) return other(r, t);
    return r.c.boolean(out) ? Got::value : Got::bad;
}

// ---- Text

void noteRepairs(Reader& r) {
    unsigned bits = r.c.repairs();
    if (bits & JsonCursor::badUtf8) r.noteField("had bytes that are not UTF-8; each became U+FFFD");
    if (bits & JsonCursor::loneSurrogate) r.noteField("had a lone surrogate escape; it became U+FFFD");
    if (bits & JsonCursor::badEscape) r.noteField("had a bad escape; it became U+FFFD");
    if (bits & JsonCursor::rawControl) r.noteField("had a raw control character");
}

Got read(Reader& r, std::string& out) {
    Type t = r.c.peek();
    if (t != Type::string) return other(r, t);
    if (!r.c.string(out)) return Got::bad;
    noteRepairs(r);
    r.chargeText(out);
    return Got::value;
}

Got read(Reader& r, Uuid& out) {
    Type t = r.c.peek();
    if (t != Type::string) return other(r, t);
    if (!r.c.string(r.scratch)) return Got::bad;
    std::optional<Uuid> id = Uuid::parse(r.scratch);
    if (!id) return Got::bad;
    out = *id;
    return Got::value;
}

// [[x, y], [width, height]]
Got read(Reader& r, Rect& out) {
    Type t = r.c.peek();
    if (t != Type::array) return other(r, t);
    double v[4] = {};
    size_t pairs = 0;
    bool ok = true;
    r.c.enterArray();
    while (r.c.nextElement()) {
        if (pairs >= 2 || r.c.peek() != Type::array) {
            ok = false;
            r.c.skip();
            ++pairs;
            continue;
        }
        size_t n = 0;
        r.c.enterArray();
        while (r.c.nextElement()) {
            if (n < 2) ok = read(r, v[pairs * 2 + n]) == Got::value && ok;
            else {
                ok = false;
                r.c.skip();
            }
            ++n;
        }
        ok = ok && n == 2;
        ++pairs;
    }
    if (!ok || pairs != 2) return Got::bad;
    out = Rect{v[0], v[1], v[2], v[3]};
    return Got::value;
}

template <class T>
Got read(Reader& r, std::optional<T>& out) {
    T v{};
    Got got = read(r, v);
    if (got == Got::value) out = std::move(v);
    return got;
}

// ---- Objects: a table of fields per type. Unknown keys are skipped; a field that is
// missing, null or malformed keeps the value a new value of its type starts with.

template <class T>
struct Field {
    const char* key;
    bool required;
    Got (*read)(Reader&, T&);
};

template <class>
struct MemberOf;
template <class C, class M>
struct MemberOf<M C::*> {
    using Class = C;
};

// The field reader of one member: the value read as the member's type.
template <auto Member>
Got member(Reader& r, typename MemberOf<decltype(Member)>::Class& object) {
    return read(r, object.*Member);
}

template <class T, size_t N>
constexpr uint64_t bitOf(const Field<T> (&)[N], size_t i) {
    static_assert(N <= 64);
    return uint64_t(1) << i;
}

// Reads an object's fields (the object is next); returns the fields read well, as bits.
template <class T, size_t N>
uint64_t readFields(Reader& r, T& object, const Field<T> (&fields)[N], const Where& w) {
    uint64_t good = 0, present = 0;
    r.c.enterObject();
    std::string_view key;
    while (r.c.nextKey(key)) {
        size_t i = 0;
        while (i < N && key != fields[i].key) ++i;
        if (i == N) {
            r.c.skip();
            continue;
        }
        r.where = &w;
        r.key = fields[i].key;
        Got got = fields[i].read(r, object);
        if (got == Got::absent) continue;
        present |= bitOf(fields, i);
        if (got == Got::value) good |= bitOf(fields, i);
        else if (got == Got::bad) r.note(w, std::string("bad \"") + fields[i].key + "\"");
    }
    for (size_t i = 0; i < N; ++i)
        if (fields[i].required && !(present & bitOf(fields, i)))
            r.note(w, std::string("missing \"") + fields[i].key + "\"");
    return good;
}

// An object of a type read by its table; anything else is skipped and noted.
template <class T, size_t N>
std::optional<T> readObject(Reader& r, const Field<T> (&fields)[N], const Where& w) {
    if (r.c.peek() != Type::object) {
        r.c.skip();
        r.note(w, "not an object");
        return std::nullopt;
    }
    T object;
    readFields(r, object, fields, w);
    return object;
}

// The elements of a list (the list is next), at most `cap` of them; each element is read
// by `one`, which gives none to drop it. Elements beyond the cap, or beyond the memory
// budget, are skipped.
template <class E, class One>
Got readList(Reader& r, std::vector<E>& out, size_t cap, One one) {
    Type t = r.c.peek();
    if (t != Type::array) return other(r, t);
    const Where& w = *r.where;
    const char* key = r.key;
    r.c.enterArray();
    size_t i = 0;
    while (r.c.nextElement()) {
        if (i >= cap) {
            if (i == cap) r.note(w, std::string("\"") + key + "\" cut to " + std::to_string(cap) + " entries");
            ++i;
            r.c.skip();
            continue;
        }
        Where at{&w, key, i++};
        std::optional<E> element = one(r, at);
        if (element) r.append(out, std::move(*element));
    }
    return Got::value;
}

// ---- Items

// A stroke's samples as floats. A triple holding a number a float cannot hold is dropped
// whole (dropping one number would shift every later triple); in a trailing incomplete
// triple, everything from the first such number on goes.
Got readSamples(Reader& r, StrokeItem& s) {
    Type t = r.c.peek();
    if (t != Type::array) return other(r, t);
    const Where& w = *r.where;
    r.c.enterArray();
    size_t i = 0, tripleStart = 0;
    bool tripleBad = false, dropped = false;
    while (r.c.nextElement()) {
        if (i >= NotebookFile::maxStrokeNumbers) {
            if (i == NotebookFile::maxStrokeNumbers)
                r.note(w, "\"pts\" cut to " + std::to_string(NotebookFile::maxStrokeNumbers) + " entries");
            ++i;
            r.c.skip();
            continue;
        }
        // Samples are noted once for the stroke, below, rather than one by one.
        std::optional<float> v;
        if (r.c.peek() == Type::number) v = NumberText::parseFloat(r.c.number());
        else r.c.skip();
        bool ok = v.has_value();
        if (!ok) tripleBad = true;
        else if (!tripleBad) r.append(s.pts, float(*v));
        if (++i % 3 == 0) {
            if (tripleBad) {
                s.pts.resize(tripleStart);
                dropped = true;
            }
            tripleStart = s.pts.size();
            tripleBad = false;
        }
    }
    if (tripleBad) dropped = true;
    if (dropped) r.note(w, "samples that a float cannot hold dropped");
    return Got::value;
}

// A painting's file name must name a file in the sketch folder and nothing else.
Got readImage(Reader& r, BlockItem& b) {
    std::optional<std::string> name;
    Got got = read(r, name);
    if (got != Got::value) return got;
    if (!Platform::isPlainFileName(*name)) {
        r.noteField("is not a plain file name; dropped");
        return Got::absent;
    }
    b.image = std::move(name);
    return Got::value;
}

const Field<TextItem> kTextFields[] = {
    {"id", true, member<&TextItem::id>},         {"x", true, member<&TextItem::x>},
    {"y", true, member<&TextItem::y>},           {"width", true, member<&TextItem::width>},
    {"text", true, member<&TextItem::text>},     {"color", true, member<&TextItem::color>},
    {"size", true, member<&TextItem::size>},     {"created", true, member<&TextItem::created>},
    {"turn", false, member<&TextItem::turn>},    {"spoken", true, member<&TextItem::spoken>},
    {"anchor", false, member<&TextItem::anchor>}, {"about", false, member<&TextItem::about>},
};

const Field<StrokeItem> kStrokeFields[] = {
    {"id", true, member<&StrokeItem::id>},       {"pts", true, readSamples},
    {"color", true, member<&StrokeItem::color>}, {"width", true, member<&StrokeItem::width>},
    {"tool", true, member<&StrokeItem::tool>},   {"created", true, member<&StrokeItem::created>},
    {"turn", false, member<&StrokeItem::turn>},
};

const Field<BlockItem> kBlockFields[] = {
    {"id", true, member<&BlockItem::id>},   {"json", true, member<&BlockItem::json>},
    {"dx", true, member<&BlockItem::dx>},   {"y", true, member<&BlockItem::y>},
    {"h", false, member<&BlockItem::h>},    {"seed", true, member<&BlockItem::seed>},
    {"turn", false, member<&BlockItem::turn>}, {"created", true, member<&BlockItem::created>},
    {"image", false, readImage},            {"box", false, member<&BlockItem::box>},
};

// {"text":{"_0":{...}}}: exactly one case key; anything else drops the item.
std::optional<PageItem> readItem(Reader& r, const Where& w) {
    if (r.c.peek() != Type::object) {
        r.c.skip();
        r.note(w, "not an object");
        return std::nullopt;
    }
    static constexpr std::string_view caseKeys[] = {"text", "stroke", "block"};
    std::optional<PageItem> item;
    unsigned cases = 0;
    bool body = false;
    r.c.enterObject();
    std::string_view key;
    while (r.c.nextKey(key)) {
        size_t k = std::find(std::begin(caseKeys), std::end(caseKeys), key) - std::begin(caseKeys);
        if (k == 3) {
            r.c.skip();
            continue;
        }
        cases |= 1u << k;
        item.reset();
        body = false;
        if (r.c.peek() != Type::object) {
            r.c.skip();
            continue;
        }
        r.c.enterObject();
        std::string_view inner;
        while (r.c.nextKey(inner)) {
            if (inner != "_0" || r.c.peek() != Type::object) {
                r.c.skip();
                continue;
            }
            body = true;
            if (k == 0) item = PageItem(*readObject(r, kTextFields, w));
            else if (k == 1) item = PageItem(*readObject(r, kStrokeFields, w));
            else item = PageItem(*readObject(r, kBlockFields, w));
        }
    }
    if (std::popcount(cases) != 1) {
        r.note(w, "Invalid number of keys found, expected one.");
        return std::nullopt;
    }
    if (!body) {
        r.note(w, "no item object under \"_0\"");
        return std::nullopt;
    }
    return item;
}

Got readItems(Reader& r, Page& p) { return readList(r, p.items, NotebookFile::maxItemsPerPage, readItem); }

const Field<Page> kPageFields[] = {
    {"id", true, member<&Page::id>},
    {"items", true, readItems},
    {"carry", false, member<&Page::carry>},
};

// A page that is not an object keeps its place as an empty page.
std::optional<Page> readPage(Reader& r, const Where& w) {
    if (r.c.peek() != Type::object) {
        r.c.skip();
        r.note(w, "not an object; an empty page stands in");
        return Page{};
    }
    Page p;
    readFields(r, p, kPageFields, w);
    return p;
}

const Field<Turn> kTurnFields[] = {
    {"at", true, member<&Turn::at>},       {"read", true, member<&Turn::read>},
    {"kind", true, member<&Turn::kind>},   {"reply", true, member<&Turn::reply>},
    {"page", true, member<&Turn::page>},
};

Got readPages(Reader& r, Notebook& n) {
    n.pages.clear();
    return readList(r, n.pages, NotebookFile::maxPages, readPage);
}

Got readTurns(Reader& r, Notebook& n) {
    return readList(r, n.turns, NotebookFile::maxTurns,
                    [](Reader& r, const Where& w) { return readObject(r, kTurnFields, w); });
}

Got readReview(Reader& r, Notebook& n) {
    std::vector<std::string> review;
    Got got = readList(r, review, NotebookFile::maxReview, [](Reader& r, const Where& w) -> std::optional<std::string> {
        std::string s;
        if (read(r, s) == Got::value) return s;
        r.note(w, "not a string");
        return std::nullopt;
    });
    if (got == Got::value) n.review = std::move(review);
    return got;
}

const Field<Notebook> kNotebookFields[] = {
    {"id", true, member<&Notebook::id>},
    {"title", true, member<&Notebook::title>},
    {"color", true, member<&Notebook::color>},
    {"created", true, member<&Notebook::created>},
    {"updated", true, member<&Notebook::updated>},
    {"pageW", true, member<&Notebook::pageW>},
    {"pageH", true, member<&Notebook::pageH>},
    {"pages", true, readPages},
    {"plan", false, member<&Notebook::plan>},
    {"step", true, member<&Notebook::step>},
    {"mode", true, member<&Notebook::mode>},
    {"learner", true, member<&Notebook::learner>},
    {"pace", true, member<&Notebook::pace>},
    {"turns", true, readTurns},
    {"lastPage", true, member<&Notebook::lastPage>},
    {"issue", false, member<&Notebook::issue>},
    {"next", false, member<&Notebook::next>},
    {"verdict", false, member<&Notebook::verdict>},
    {"misses", false, member<&Notebook::misses>},
    {"review", false, readReview},
    {"parent", false, member<&Notebook::parent>},
    {"from", false, member<&Notebook::from>},
    {"passage", false, member<&Notebook::passage>},
};

// ---- Repairs of the whole notebook once read

// Page sizes divide layouts: a size that is not positive takes the new-notebook size.
void positivePageSizes(Reader& r, Notebook& n) {
    const Where w;
    if (!(n.pageW > 0)) {
        r.note(w, "\"pageW\" not positive");
        n.pageW = Notebook().pageW;
    }
    if (!(n.pageH > 0)) {
        r.note(w, "\"pageH\" not positive");
        n.pageH = Notebook().pageH;
    }
}

void somePageToShow(Reader& r, Notebook& n) {
    const Where w;
    // Every notebook has at least one page to show and to write on.
    if (n.pages.empty()) {
        r.note(w, "no pages; an empty page stands in");
        n.pages.push_back(Page{});
    }
    // A reopened notebook starts on this page, so it must name one.
    int64_t last = static_cast<int64_t>(n.pages.size()) - 1;
    if (n.lastPage < 0 || n.lastPage > last) {
        r.note(w, "\"lastPage\" outside the pages");
        n.lastPage = std::clamp<int64_t>(n.lastPage, 0, last);
    }
}

// Ids tell pages and items apart (the ink cache keys its entries by item id): of two
// pages, or two items anywhere in the notebook, with one id, the later gets a fresh one.
template <class Get>
void freshDuplicates(Reader& r, size_t count, Get get, const char* what) {
    std::vector<std::pair<Uuid, size_t>> ids;
    ids.reserve(count);
    for (size_t i = 0; i < count; ++i) ids.emplace_back(*get(i).first, i);
    std::sort(ids.begin(), ids.end());
    for (size_t k = 1; k < ids.size(); ++k) {
        if (ids[k].first != ids[k - 1].first) continue;
        auto [id, where] = get(ids[k].second);
        *id = Uuid::random();
        r.note(where, std::string("has the id of an earlier ") + what + "; it takes a fresh one");
    }
}

void uniqueIds(Reader& r, Notebook& n) {
    const Where root;
    std::vector<Where> pageAt;
    for (size_t p = 0; p < n.pages.size(); ++p) pageAt.push_back(Where{&root, "pages", p});
    freshDuplicates(r, n.pages.size(), [&](size_t p) { return std::make_pair(&n.pages[p].id, pageAt[p]); }, "page");

    std::vector<std::pair<size_t, size_t>> items;  // (page, item) in reading order
    for (size_t p = 0; p < n.pages.size(); ++p)
        for (size_t i = 0; i < n.pages[p].items.size(); ++i) items.emplace_back(p, i);
    freshDuplicates(
        r, items.size(),
        [&](size_t k) {
            auto [p, i] = items[k];
            Uuid* id = std::visit([](auto& item) { return &item.id; }, n.pages[p].items[i].value);
            return std::make_pair(id, Where{&pageAt[p], "items", i});
        },
        "item");
}

std::optional<Notebook> readNotebook(Reader& r) {
    Notebook n;
    uint64_t good = readFields(r, n, kNotebookFields, Where{});
    // Without its id a notebook cannot be told apart from others.
    if (!(good & 1)) return std::nullopt;
    positivePageSizes(r, n);
    somePageToShow(r, n);
    uniqueIds(r, n);
    return n;
}

NotebookFile::Decoded decodeText(std::string_view bytes) {
    NotebookFile::Decoded out;
    if (bytes.size() > NotebookFile::maxBytes) {
        out.issues.push_back("file too large (more than " + std::to_string(NotebookFile::maxBytes >> 20) + " MB)");
        return out;
    }
    Reader r(bytes);
    if (r.c.peek() != Type::object) {
        out.issues.push_back("not a JSON object");
        return out;
    }
    std::optional<Notebook> n = readNotebook(r);
    if (!r.c.atEnd()) {
        out.issues.push_back("not JSON: " + (r.c.failed() ? r.c.error() : std::string("text after the notebook")));
        return out;
    }
    if (!n) {
        out.issues.push_back("notebook: missing or bad \"id\"");
        return out;
    }
    out.notebook = std::move(n);
    out.issues = std::move(r.issues);
    return out;
}

}  // namespace

NotebookFile::Decoded NotebookFile::decode(std::string_view bytes) {
    try {
        return decodeText(bytes);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    // Everything read so far is gone again, so this small allocation succeeds.
    Decoded out;
    out.issues.push_back("out of memory while reading; no notebook");
    return out;
}

}  // namespace nolby
