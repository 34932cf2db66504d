// Writing the notebook file: fields in declaration order, optionals only when present.
#include "notebook/JsonText.h"
#include "notebook/NotebookFile.h"
#include "notebook/StrokeSamples.h"

#include <cmath>

namespace nolby {

namespace {

// A required number that is not finite is written as the field's default.
double finiteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

bool finiteRect(const Rect& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.w) && std::isfinite(r.h);
}

void writeUuid(JsonText& j, const char* key, const Uuid& id) { j.key(key); j.string(id.string()); }
void writeString(JsonText& j, const char* key, std::string_view s) { j.key(key); j.string(s); }
void writeNumber(JsonText& j, const char* key, double v, double fallback = 0) {
    j.key(key);
    j.number(finiteOr(v, fallback));
}
void writeInt(JsonText& j, const char* key, int64_t v) { j.key(key); j.integer(v); }
void writeDate(JsonText& j, const char* key, Date d) { writeNumber(j, key, referenceSeconds(d)); }

void writeOptString(JsonText& j, const char* key, const std::optional<std::string>& s) {
    if (s) writeString(j, key, *s);
}
void writeOptInt(JsonText& j, const char* key, const std::optional<int64_t>& v) {
    if (v) writeInt(j, key, *v);
}
// [[x, y], [width, height]]; a rectangle with a non-finite member is left out.
void writeOptRect(JsonText& j, const char* key, const std::optional<Rect>& r) {
    if (!r || !finiteRect(*r)) return;
    j.key(key);
    j.beginArray();
    j.beginArray(); j.number(r->x); j.number(r->y); j.endArray();
    j.beginArray(); j.number(r->w); j.number(r->h); j.endArray();
    j.endArray();
}

void writeText(JsonText& j, const TextItem& t) {
    j.beginObject();
    writeUuid(j, "id", t.id);
    writeNumber(j, "x", t.x);
    writeNumber(j, "y", t.y);
    writeNumber(j, "width", t.width);
    writeString(j, "text", t.text);
    writeString(j, "color", t.color);
    writeNumber(j, "size", t.size);
    writeDate(j, "created", t.created);
    writeOptInt(j, "turn", t.turn);
    j.key("spoken");
    j.boolean(t.spoken);
    writeOptRect(j, "anchor", t.anchor);
    writeOptString(j, "about", t.about);
    j.endObject();
}

void writeStroke(JsonText& j, const StrokeItem& s) {
    j.beginObject();
    writeUuid(j, "id", s.id);
    j.key("pts");
    j.beginArray();
    for (float v : finiteSamples(s.pts)) j.number(v);
    j.endArray();
    writeString(j, "color", s.color);
    writeNumber(j, "width", s.width);
    writeString(j, "tool", s.tool);
    writeDate(j, "created", s.created);
    writeOptInt(j, "turn", s.turn);
    j.endObject();
}

void writeBlock(JsonText& j, const BlockItem& b) {
    j.beginObject();
    writeUuid(j, "id", b.id);
    writeString(j, "json", b.json);
    writeNumber(j, "dx", b.dx);
    writeNumber(j, "y", b.y);
    if (b.h && std::isfinite(*b.h)) writeNumber(j, "h", *b.h);
    j.key("seed");
    j.unsignedInteger(b.seed);
    writeOptInt(j, "turn", b.turn);
    writeDate(j, "created", b.created);
    writeOptString(j, "image", b.image);
    writeOptRect(j, "box", b.box);
    j.endObject();
}

// {"text":{"_0":{...}}} and likewise "stroke" and "block".
void writeItem(JsonText& j, const PageItem& item) {
    static constexpr const char* caseKeys[] = {"text", "stroke", "block"};
    j.beginObject();
    j.key(caseKeys[item.value.index()]);
    j.beginObject();
    j.key("_0");
    if (const TextItem* t = item.text()) writeText(j, *t);
    else if (const StrokeItem* s = item.stroke()) writeStroke(j, *s);
    else writeBlock(j, *item.block());
    j.endObject();
    j.endObject();
}

void writePage(JsonText& j, const Page& p) {
    j.beginObject();
    writeUuid(j, "id", p.id);
    j.key("items");
    j.beginArray();
    for (const PageItem& item : p.items) writeItem(j, item);
    j.endArray();
    if (p.carry) {
        j.key("carry");
        j.boolean(*p.carry);
    }
    j.endObject();
}

void writeTurn(JsonText& j, const Turn& t) {
    j.beginObject();
    writeDate(j, "at", t.at);
    writeString(j, "read", t.read);
    writeString(j, "kind", t.kind);
    writeString(j, "reply", t.reply);
    writeInt(j, "page", t.page);
    j.endObject();
}

void writePages(JsonText& j, const Notebook& n) {
    j.key("pages");
    j.beginArray();
    for (const Page& p : n.pages) writePage(j, p);
    j.endArray();
}

}  // namespace

std::string NotebookFile::encode(const Notebook& n) {
    JsonText j;
    j.beginObject();
    writeUuid(j, "id", n.id);
    writeString(j, "title", n.title);
    writeString(j, "color", n.color);
    writeDate(j, "created", n.created);
    writeDate(j, "updated", n.updated);
    writeNumber(j, "pageW", n.pageW, 400);
    writeNumber(j, "pageH", n.pageH, 869);
    writePages(j, n);
    writeOptString(j, "plan", n.plan);
    writeInt(j, "step", n.step);
    writeString(j, "mode", n.mode);
    writeString(j, "learner", n.learner);
    writeInt(j, "pace", n.pace);
    j.key("turns");
    j.beginArray();
    for (const Turn& t : n.turns) writeTurn(j, t);
    j.endArray();
    writeInt(j, "lastPage", n.lastPage);
    writeOptInt(j, "issue", n.issue);
    writeOptString(j, "next", n.next);
    writeOptString(j, "verdict", n.verdict);
    writeOptInt(j, "misses", n.misses);
    if (n.review) {
        j.key("review");
        j.beginArray();
        for (const std::string& r : *n.review) j.string(r);
        j.endArray();
    }
    if (n.parent) writeUuid(j, "parent", *n.parent);
    writeOptString(j, "from", n.from);
    writeOptString(j, "passage", n.passage);
    j.endObject();
    return j.take();
}

std::optional<std::string> NotebookFile::unreadable(const Notebook& n, size_t bytes) {
    auto most = [](size_t bound, const char* what) {
        return "it has more " + std::string(what) + " than a notebook file may hold (" + std::to_string(bound) + ")";
    };
    if (bytes > maxBytes)
        return "it is larger than a notebook file may be (" + std::to_string(maxBytes >> 20) + " MB)";
    if (n.pages.size() > maxPages) return most(maxPages, "pages");
    if (n.turns.size() > maxTurns) return most(maxTurns, "turns");
    if (n.review && n.review->size() > maxReview) return most(maxReview, "ideas to review");
    for (const Page& page : n.pages) {
        if (page.items.size() > maxItemsPerPage) return most(maxItemsPerPage, "items on a page");
        for (const PageItem& item : page.items)
            if (const StrokeItem* stroke = item.stroke(); stroke && stroke->pts.size() > maxStrokeNumbers)
                return most(maxStrokeNumbers / 3, "points in a pen stroke");
    }
    return std::nullopt;
}

}  // namespace nolby
