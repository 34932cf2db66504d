#pragma once
// What the shelf, the lists and the covers read of a notebook: every field but its pages and
// turns, and the few facts of its pages a cover shows. A few hundred bytes, so the store can
// hand its whole list out, and the shelf keep its own, without copying any page.
//
// A head from the store also holds on to the rest of its notebook as the store keeps it (the
// file's bytes, or the notebook itself once changed in this run); Library::notebook(id)
// gives the whole notebook back.

#include "notebook/Notebook.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nolby {

// The rest of one notebook, as the store keeps it: the notebook itself when this run made or
// changed it (or had to repair its file), else the clean file's bytes, read back on demand.
struct NotebookBody {
    std::shared_ptr<const Notebook> whole;
    std::shared_ptr<const std::string> file;
};

struct NotebookHead {
    // What every pass over the store's list reads (the shelf's count and newest issue, which
    // heads were saved again) comes first, so that a pass over thousands of heads touches
    // about one cache line of each.
    Uuid id;
    std::optional<Uuid> parent;
    Date updated;
    std::optional<int64_t> issue;
    // The store's keeping of the rest; none on a head made from a notebook.
    std::shared_ptr<const NotebookBody> body;

    std::string title;
    std::string color = "blue";
    Date created;
    double pageW = 400;
    double pageH = 869;
    std::optional<std::string> plan;
    int64_t step = 1;
    std::string mode = "lesson";
    int64_t pace = 3;
    int64_t lastPage = 0;
    std::optional<std::string> next;
    std::optional<std::string> verdict;
    std::optional<int64_t> misses;
    std::optional<std::string> from;
    std::optional<std::string> passage;

    // Of the pages: how many there are, how many hold an item, and the first page's first
    // typed note that has text (a cover's subject may quote it).
    size_t pageCount = 1;
    size_t writtenPages = 0;
    std::optional<std::string> opening;

    NotebookHead() = default;
    // The head of `notebook` (without a body): a notebook stands wherever a head is read.
    NotebookHead(const Notebook& notebook);  // NOLINT(google-explicit-constructor)

    // Equal when id and updated are equal, as notebooks are.
    bool operator==(const NotebookHead& o) const { return id == o.id && updated == o.updated; }
    // Equal and holding the same body: the notebook was not saved again in between (a save
    // that leaves `updated` as it was still gives its head a new body).
    bool sameSave(const NotebookHead& o) const { return *this == o && body == o.body; }
};

}  // namespace nolby
