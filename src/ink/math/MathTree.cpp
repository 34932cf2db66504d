#include "ink/math/MathTree.h"

#include "platform/NumberText.h"

namespace nolby::math {

namespace {

const char* kindName(Kind k) {
    switch (k) {
        case Kind::ord: return "ord";
        case Kind::bin: return "bin";
        case Kind::rel: return "rel";
        case Kind::open: return "open";
        case Kind::close: return "close";
        case Kind::punct: return "punct";
        case Kind::fn: return "fn";
    }
    return "?";
}

// Shortest round-trip form, independent of the process locale.
std::string number(double v) { return NumberText::shortest(v); }

void write(std::string& out, const MRef& m);

void optional(std::string& out, const char* label, const MRef& m) {
    if (!m) return;
    out += ',';
    out += label;
    out += '=';
    write(out, m);
}

void write(std::string& out, const MRef& m) {
    if (!m) {
        out += "none";
        return;
    }
    if (auto* n = m->as<M::Row>()) {
        out += "row(";
        for (size_t k = 0; k < n->items.size(); ++k) {
            if (k) out += ' ';
            write(out, n->items[k]);
        }
        out += ')';
    } else if (auto* n = m->as<M::Sym>()) {
        out += "sym(" + n->s + "," + kindName(n->kind) + ")";
    } else if (auto* n = m->as<M::Script>()) {
        out += "script(";
        write(out, n->base);
        optional(out, "sup", n->sup);
        optional(out, "sub", n->sub);
        out += ')';
    } else if (auto* n = m->as<M::Frac>()) {
        out += "frac(";
        write(out, n->num);
        out += ',';
        write(out, n->den);
        if (!n->bar) out += ",nobar";
        out += ')';
    } else if (auto* n = m->as<M::Fence>()) {
        // "." is TeX's null delimiter and never a delimiter character itself.
        out += "fence(" + n->open.value_or(".") + ",";
        write(out, n->body);
        out += "," + n->close.value_or(".") + ")";
    } else if (auto* n = m->as<M::Root>()) {
        out += "root(";
        write(out, n->body);
        optional(out, "index", n->index);
        out += ')';
    } else if (auto* n = m->as<M::Big>()) {
        out += "big(" + n->name;
        optional(out, "sub", n->sub);
        optional(out, "sup", n->sup);
        out += ')';
    } else if (auto* n = m->as<M::Accent>()) {
        out += "accent(" + n->name + ",";
        write(out, n->body);
        out += ')';
    } else if (auto* n = m->as<M::Space>()) {
        out += "space(" + number(n->em) + ")";
    } else if (auto* n = m->as<M::Text>()) {
        out += "text(\"" + n->s + "\")";  // quoted: leading and trailing spaces matter
    } else if (auto* n = m->as<M::Tint>()) {
        out += "tint(" + n->color + ",";
        write(out, n->body);
        if (n->label) out += ",label=" + *n->label;
        out += ')';
    }
}

}  // namespace

std::string dump(const MRef& m) {
    std::string out;
    write(out, m);
    return out;
}

}  // namespace nolby::math
