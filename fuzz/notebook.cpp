// Notebook files through the reader: any bytes give a notebook or none, never a crash;
// what is read is finite and consistent; writing it and reading it back repairs nothing
// and writes the same bytes again.
#include "FuzzSupport.h"
#include "notebook/NotebookFile.h"

#include <cmath>
#include <string_view>

using namespace nolby;
using namespace nolby::fuzz;

namespace {

bool finiteRect(const std::optional<Rect>& r) {
    return !r || (std::isfinite(r->x) && std::isfinite(r->y) && std::isfinite(r->w) && std::isfinite(r->h));
}

void checkFinite(const Notebook& n) {
    require(std::isfinite(n.pageW) && n.pageW > 0 && std::isfinite(n.pageH) && n.pageH > 0);
    require(!n.pages.empty() && n.lastPage >= 0 && n.lastPage < static_cast<int64_t>(n.pages.size()));
    for (const Page& p : n.pages) {
        for (const PageItem& it : p.items) {
            if (auto t = it.text())
                require(std::isfinite(t->x) && std::isfinite(t->y) && std::isfinite(t->width) &&
                        std::isfinite(t->size) && finiteRect(t->anchor));
            if (auto s = it.stroke()) {
                for (float v : s->pts) require(std::isfinite(v));
                require(std::isfinite(s->width));
            }
            if (auto b = it.block())
                require(std::isfinite(b->dx) && std::isfinite(b->y) && (!b->h || std::isfinite(*b->h)) &&
                        finiteRect(b->box));
            require(std::isfinite(it.top()));
            (void)it.contentHash();
            (void)it.shapeHash();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto decoded = NotebookFile::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!decoded.notebook) return 0;
    checkFinite(*decoded.notebook);
    (void)decoded.notebook->newItems();
    const std::string once = NotebookFile::encode(*decoded.notebook);
    auto again = NotebookFile::decode(once);
    require(again.notebook.has_value() && again.issues.empty());
    require(NotebookFile::encode(*again.notebook) == once);
    require(again.notebook->pages == decoded.notebook->pages && again.notebook->turns == decoded.notebook->turns);
    return 0;
}
