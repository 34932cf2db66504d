#include "ui/library/AskPage.h"

#include "platform/DayText.h"

namespace nolby::AskPage {

const std::array<std::string, 12> starts = {
    "Why is the sky blue?",
    "How does a black hole bend light?",
    "How did one painter see light in a haystack?",
    "How do vaccines teach your body?",
    "Why does bread rise?",
    "How does a neural network learn?",
    "What makes a chord sound sad?",
    "How did the Romans build the Colosseum?",
    "What is a derivative, really?",
    "How does the heart pump blood?",
    "Why do leaves change colour?",
    "How does the internet find a website?",
};

std::array<std::string, 3> forOrdinal(int64_t ordinal) {
    // The remainder of 3 × d taken as a non-negative number, so days before the era still
    // fall into one of the four sets.
    const int64_t i = ((3 * (ordinal % 12)) % 12 + 12) % 12;
    return {starts[i], starts[(i + 1) % 12], starts[(i + 2) % 12]};
}

std::array<std::string, 3> today(Date now) { return forOrdinal(DayText::dayOrdinal(DayText::localDay(now))); }

}  // namespace nolby::AskPage
