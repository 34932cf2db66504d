#include "page/NoteCanvas.h"

#include "ink/Ink.h"
#include "model/InkCache.h"
#include "platform/Canvas.h"

namespace nolby {

Color NoteCanvas::color() const { return editing.text.empty() ? Ink::faint : Ink::learner; }

std::vector<InkOpRef> NoteCanvas::ops() const {
    // The note as the text item it will become, in its colour by name ("#rrggbb").
    TextItem t;
    t.id = editing.id;
    t.x = editing.x;
    t.y = editing.y;
    t.width = editing.width;
    t.text = editing.text;
    t.color = color().hexString().substr(0, 7);
    t.size = kSize;
    t.anchor = editing.anchor;
    t.about = editing.about;
    return InkCache::build(PageItem(std::move(t)), Geo{}, Ink::ink);
}

void NoteCanvas::draw(cairo_t* cr, double ox, double s) const { draw(cr, ops(), ox, s); }

void NoteCanvas::draw(cairo_t* cr, const std::vector<InkOpRef>& ops, double ox, double s) {
    if (!cr) return;
    draw::Saved saved(cr);
    if (!draw::translate(cr, ox, 0) || !draw::scale(cr, s, s)) return;
    for (const InkOpRef& op : ops)
        if (op) op->draw(cr, 1);
}

}  // namespace nolby
