#include "notebook/Notebook.h"

namespace nolby {

std::vector<Notebook::Unread> Notebook::newItems() const {
    std::vector<Unread> out;
    for (size_t p = 0; p < pages.size(); ++p) {
        for (const PageItem& item : pages[p].items) {
            const TextItem* t = item.text();
            const StrokeItem* s = item.stroke();
            bool unread = (t && !t->turn) || (s && !s->turn);
            if (unread) out.push_back({static_cast<int64_t>(p), item});
        }
    }
    return out;
}

}  // namespace nolby
