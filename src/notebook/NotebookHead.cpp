#include "notebook/NotebookHead.h"

namespace nolby {

NotebookHead::NotebookHead(const Notebook& n)
    : id(n.id), parent(n.parent), updated(n.updated), issue(n.issue), title(n.title), color(n.color),
      created(n.created), pageW(n.pageW), pageH(n.pageH), plan(n.plan), step(n.step), mode(n.mode), pace(n.pace),
      lastPage(n.lastPage), next(n.next), verdict(n.verdict), misses(n.misses), from(n.from), passage(n.passage),
      pageCount(n.pages.size()) {
    for (const Page& p : n.pages)
        if (!p.items.empty()) ++writtenPages;
    if (n.pages.empty()) return;
    for (const PageItem& item : n.pages.front().items)
        if (const TextItem* note = item.text(); note && !note->text.empty()) {
            opening = note->text;
            break;
        }
}

}  // namespace nolby
