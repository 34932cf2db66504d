#pragma once
// A notebook: its pages, the tutor's lesson state and its finished turns. A plain value,
// copied freely between the store, the open model and the views.

#include "notebook/ContentHasher.h"
#include "notebook/Page.h"
#include "notebook/Turn.h"
#include "platform/Date.h"
#include "platform/Uuid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nolby {

struct Notebook {
    Uuid id = Uuid::random();  // also the notebook's file name
    std::string title;
    std::string color = "blue";
    Date created = ReferenceClock::now();
    Date updated = ReferenceClock::now();  // read just after created; set by every change
    double pageW = 400;
    double pageH = 869;
    std::vector<Page> pages = {Page{}};
    std::optional<std::string> plan;  // the lesson plan, as the text of one JSON object
    int64_t step = 1;                 // plan step reached, counted from 1
    std::string mode = "lesson";      // "lesson", "explore" or "think"
    std::string learner;
    int64_t pace = 3;
    std::vector<Turn> turns;
    int64_t lastPage = 0;
    std::optional<int64_t> issue;  // issue number of a top-level notebook
    std::optional<std::string> next;
    std::optional<std::string> verdict;  // "right", "wrong", "partly"
    std::optional<int64_t> misses;
    std::optional<std::vector<std::string>> review;
    std::optional<Uuid> parent;  // on a deep dive: the notebook it was opened from
    std::optional<std::string> from;
    std::optional<std::string> passage;

    // Learner writing that no tutor turn has read yet: a note or stroke on a page.
    struct Unread {
        int64_t page = 0;
        PageItem item;
        bool operator==(const Unread&) const = default;
    };
    // Every note and stroke without a turn, page by page in item order; blocks never count.
    std::vector<Unread> newItems() const;

    // The hash covers the id alone, so notebooks that differ only in content hash alike.
    void hashInto(ContentHasher& h) const { h.combine(id); }

    // Equal when id and updated are equal; no other field is compared, so a store or view
    // holding an older copy with the same date treats it as the same notebook.
    bool operator==(const Notebook& o) const { return id == o.id && updated == o.updated; }
};

}  // namespace nolby
