// The painting prompt of a notebook: the tutor's own art direction when its plan has one,
// else a sentence about the title (with the plan's first steps), else about the first
// words the learner typed.
#include "press/Press.h"

#include "ink/J.h"
#include "platform/Unicode.h"

namespace nolby {

namespace {

constexpr size_t kFirstWords = 120;  // characters of the first note a subject quotes
constexpr size_t kSteps = 4;         // plan steps a title's subject names

}  // namespace

std::optional<std::string> Press::subject(const NotebookHead& notebook) {
    std::optional<J> plan = notebook.plan ? J::parse(*notebook.plan) : std::nullopt;
    if (plan) {
        std::string art = plan->str("art", "");
        if (!art.empty()) return art;
    }
    if (!notebook.title.empty()) {
        std::string steps;
        if (plan) {
            std::vector<std::string> all = plan->strs("steps");
            for (size_t i = 0; i < all.size() && i < kSteps; ++i) {
                if (i) steps += ", ";
                steps += all[i];
            }
        }
        std::string s = "An evocative, concrete scene for an issue about \u201C" + notebook.title + "\u201D";
        if (!steps.empty()) s += " (" + steps + ")";
        return s + ": a real place, creature, machine, person at work or moment from its history, shown as it "
                   "really looks, not a metaphor";
    }
    if (!notebook.opening) return std::nullopt;
    return "An evocative, concrete scene for a notebook that begins with the words \u201C" +
           unicode::prefix(*notebook.opening, kFirstWords) +
           "\u201D: a real place, creature, machine, person at work or moment from history, shown as it really "
           "looks, not a metaphor";
}

}  // namespace nolby
