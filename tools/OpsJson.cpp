#include "OpsJson.h"

#include "ink/ops/FillOp.h"
#include "ink/ops/MonoOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "ink/ops/WrapOp.h"
#include "platform/NumberText.h"

#include <cmath>

namespace nolby::tools {

namespace {

// Four decimals at most, integral values as integers, whatever the locale.
std::string number(double v) { return std::isfinite(v) ? NumberText::trimmed(v, 4) : "null"; }

}  // namespace

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char b[8];
            std::snprintf(b, sizeof b, "\\u%04x", c);
            out += b;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

namespace {

std::string rect(const Rect& r) {
    if (r.isNull()) return "null";
    Rect s = r.standardized();
    return "[" + number(s.x) + "," + number(s.y) + "," + number(s.w) + "," + number(s.h) + "]";
}

std::string phraseText(const PhraseOp& p) {
    std::string text;
    for (const auto& run : p.runs) {
        if (!text.empty()) text += ' ';
        text += run.glyphs.text;
    }
    return text;
}

}  // namespace

std::string opJson(const InkOp& op) {
    std::string wrap;
    const InkOp* base = &op;
    while (auto w = dynamic_cast<const WrapOp*>(base)) {
        wrap += (wrap.empty() ? "" : ",") + quoted(w->className());
        base = w->inner.get();
    }
    std::string out = "{\"op\":" + quoted(base->className()) + ",\"wrap\":[" + wrap + "]";
    out += ",\"bounds\":" + rect(op.bounds());
    out += ",\"cost\":" + number(op.cost()) + ",\"pace\":" + number(op.pace()) + ",\"pause\":" + number(op.pause);
    if (auto s = dynamic_cast<const StrokeOp*>(base)) {
        out += ",\"color\":" + quoted(s->pen.color.hexString()) + ",\"width\":" + number(s->pen.width);
        out += ",\"blend\":" + quoted(std::string(blendName(s->pen.blend)));
    } else if (auto f = dynamic_cast<const FillOp*>(base)) {
        out += ",\"color\":" + quoted(f->color.hexString()) + ",\"blend\":" + quoted(std::string(blendName(f->blend)));
    } else if (auto t = dynamic_cast<const TextOp*>(base)) {
        out += ",\"text\":" + quoted(t->text) + ",\"color\":" + quoted(t->color.hexString());
    } else if (auto p = dynamic_cast<const PhraseOp*>(base)) {
        out += ",\"text\":" + quoted(phraseText(*p));
        if (!p->runs.empty()) out += ",\"color\":" + quoted(p->runs.front().color.hexString());
    } else if (auto m = dynamic_cast<const MonoOp*>(base)) {
        out += ",\"text\":" + quoted(m->text);
        if (!m->cells().empty()) out += ",\"color\":" + quoted(m->cells().front().color.hexString());
    }
    return out + "}";
}

std::string laidJson(const Laid& laid) {
    std::string rooms;
    for (const Rect& r : laid.rooms) rooms += (rooms.empty() ? "" : ",") + rect(r);
    return "{\"height\":" + number(laid.height) + ",\"rooms\":[" + rooms + "]}";
}

void printOps(std::FILE* out, const std::vector<InkOpRef>& ops) {
    for (const auto& op : ops) std::fprintf(out, "%s\n", opJson(*op).c_str());
}

}  // namespace nolby::tools
